#include "Handles.h"

#include <windows.h>

#include <gtest/gtest.h>

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

} // namespace
