#include "app/HaldenFunc.h"

#include <gtest/gtest.h>

namespace {

TEST(HaldenFunc, AccessorsShareOneStateAndStoreWhatTheyAreGiven)
{
    HaldenFunc one;
    const HaldenFunc other;

    one.SetBeepNow(1);
    one.SetShakingNow(-7);
    one.SaveHddProtectionStatus(2);
    one.SetMsgIndex(2);
    one.ModifyPassWord(1);
    EXPECT_EQ(1, other.GetBeepNow());
    EXPECT_EQ(-7, other.GetShakingNow());
    EXPECT_EQ(2, other.GetHddProtectionStatus());
    EXPECT_EQ(2, other.GetMsgIndex());
    EXPECT_EQ(1, other.GetModifyPassWord());

    // Making and dropping an accessor changes nothing.
    {
        [[maybe_unused]] const HaldenFunc dropped;
    }
    EXPECT_EQ(1, HaldenFunc().GetBeepNow());
    EXPECT_EQ(-7, HaldenFunc().GetShakingNow());
}

TEST(HaldenFunc, ModifyPassWordStoresOnlyZeroAndOne)
{
    HaldenFunc halden;
    halden.ModifyPassWord(1);
    for (const int ignored : {2, -1, 100}) {
        halden.ModifyPassWord(ignored);
        EXPECT_EQ(1, halden.GetModifyPassWord()) << ignored;
    }
    halden.ModifyPassWord(0);
    EXPECT_EQ(0, halden.GetModifyPassWord());
    halden.ModifyPassWord(2);
    EXPECT_EQ(0, halden.GetModifyPassWord());
}

} // namespace
