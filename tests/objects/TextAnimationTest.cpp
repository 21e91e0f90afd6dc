#include "objects/URPropTextAnimation.h"

#include <gtest/gtest.h>

// The group tells the text renderer when its letters move: the kinds ending in "Out" (and
// "Wipe") make letters leave, the "Line" kinds move whole lines, and an unchecked group none.
TEST(TextAnimation, KindsGiveTheirTiming) {
    struct Case {
        const char* kind;
        bool entry, perLine;
    } cases[] = {
        {"Custom In", true, false},     {"Custom Out", false, false},
        {"Wipe", false, false},         {"Slide Out", false, false},
        {"Line Custom In", true, true}, {"Line Custom Out", false, true},
    };
    TRPropTextAnimation group;
    group.SetChecked(true);
    group.FInterval = 100;
    group.FDuration = 50;
    for (const Case& c : cases) {
        group.FName = QString::fromLatin1(c.kind);
        TRTextAnimationTiming timing;
        ASSERT_TRUE(group.AnimationTiming(timing)) << c.kind;
        EXPECT_EQ(timing.Entry, c.entry) << c.kind;
        EXPECT_EQ(timing.PerLine, c.perLine) << c.kind;
        EXPECT_EQ(timing.Interval, 100);
        EXPECT_EQ(timing.Duration, 50);
    }
    group.SetChecked(false);
    TRTextAnimationTiming timing;
    EXPECT_FALSE(group.AnimationTiming(timing));
}
