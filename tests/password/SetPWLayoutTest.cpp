#include "password/SetPWLayout.h"

#include <gtest/gtest.h>

void PrintTo(const SetPWLayout& layout, std::ostream* out)
{
    *out << "{captions " << layout.captionX << ", boxes " << layout.boxX << " w" << layout.boxWidth << ", hint "
         << layout.hintX << "}";
}

namespace {

TEST(SetPWLayout, FollowsTheWiderCaptionAndKeepsTheHintInsideThePanel)
{
    struct Case {
        int first;
        int second;
        int hint;
        SetPWLayout expected;
    };
    const Case cases[] = {
        // Captions that fit keep the design, whatever the hint.
        {80, 105, 200, {23, 131, 100, 240}},
        // One wider caption: the boxes follow it, narrower; the hint stays while it is clear.
        {106, 60, 80, {23, 133, 90, 240}},
        {60, 110, 80, {23, 137, 90, 240}},
        // Equal widths: the boxes follow that width.
        {120, 120, 80, {23, 147, 90, 240}},
        // The boxes reach x + 90 = 240 exactly: the hint moves right of them.
        {123, 100, 80, {23, 150, 90, 244}},
        // The hint would end exactly at 387: the row moves left by 0.
        {140, 100, 126, {23, 167, 90, 261}},
        // Past the edge: the whole row moves left so that the hint ends at 387.
        {160, 140, 150, {-21, 143, 90, 237}},
        {200, 210, 100, {-21, 193, 90, 287}},
    };
    for (const Case& c : cases) {
        const SetPWLayout layout = AdaptSetPWLayout(c.first, c.second, c.hint);
        EXPECT_EQ(c.expected, layout) << c.first << ", " << c.second << ", hint " << c.hint;
        if (c.first > 105 || c.second > 105) {
            EXPECT_LE(layout.hintX + c.hint, 387) << c.first << ", " << c.second << ", hint " << c.hint;
        }
    }
}

} // namespace
