#include "Handles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(Handles, ResetKeepsTheLastErrorAndANullFileHandleIsNeverValid)
{
    // A close that fails and sets an error of its own: the handle was closed already.
    tl::unique_handle first(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(first);
    const HANDLE closed = first.get();
    first.reset();
    tl::unique_handle stale(closed);
    SetLastError(ERROR_FILE_NOT_FOUND);
    stale.reset();
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());

    // Neither empty value is valid, and neither is closed.
    EXPECT_FALSE(tl::unique_hfile());
    EXPECT_FALSE(tl::unique_hfile(nullptr));
    SetLastError(ERROR_SUCCESS);
    tl::unique_hfile(nullptr).reset();
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), GetLastError());
}

TEST(Handles, AVariantMovesWithItsValueAndIsEmptyAfterAClear)
{
    // A string, so that a value owned twice would be freed twice.
    tl::unique_variant text;
    text->vt = VT_BSTR;
    text->bstrVal = SysAllocString(L"shock");
    tl::unique_variant moved(std::move(text));
    tl::unique_variant assigned;
    assigned = std::move(moved);
    EXPECT_EQ(VT_EMPTY, text->vt);
    EXPECT_EQ(VT_EMPTY, moved->vt);
    ASSERT_EQ(VT_BSTR, assigned->vt);
    EXPECT_STREQ(L"shock", assigned->bstrVal);
    EXPECT_EQ(VT_EMPTY, assigned.put()->vt);
}

} // namespace
