#include "platform/HaldenFunc.h"

#include <gtest/gtest.h>

namespace {

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
