// What the simulated power library does beyond what PwrScheme's tests show through it.
#include "PowerLibrary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(PowerLibrary, NewSchemeGetsTheNextIndexAndAWriteWithoutNamesKeepsThem)
{
    sim::PowerLibrary library;
    library.PutScheme(4, {.name = L"Home", .description = L"At home"});
    const PowerFunctions functions = library.Functions();
    POWER_POLICY policy{};
    policy.user.IdleTimeoutAc = 60;
    std::wstring name = L"Travel";
    std::wstring description = L"On the road";

    UINT index = NEWSCHEME;
    ASSERT_TRUE(functions.WritePwrScheme(&index, name.data(), description.data(), &policy));
    EXPECT_EQ(5u, index);
    EXPECT_EQ(L"Travel", library.Scheme(5)->name);
    index = 4;
    ASSERT_TRUE(functions.WritePwrScheme(&index, nullptr, nullptr, &policy));
    EXPECT_EQ(L"Home", library.Scheme(4)->name);
    EXPECT_EQ(L"At home", library.Scheme(4)->description);
    EXPECT_EQ(60u, library.Scheme(4)->policy.user.IdleTimeoutAc);
    EXPECT_FALSE(functions.SetActivePwrScheme(7, nullptr, &policy)) << "no such scheme";
    EXPECT_EQ((std::vector<std::wstring>{L"WritePwrScheme 4294967295", L"WritePwrScheme 4",
                                         L"SetActivePwrScheme 7 scheme = FALSE"}),
              library.Log());
}

TEST(PowerLibrary, TableFailsOnceTheLibraryIsGone)
{
    PowerFunctions functions{};
    {
        sim::PowerLibrary library;
        functions = library.Functions();
    }
    UINT active = 0;
    EXPECT_FALSE(functions.GetActivePwrScheme(&active));
    EXPECT_FALSE(functions.IsPwrSuspendAllowed());
}

} // namespace
