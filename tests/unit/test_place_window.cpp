#include "app/place_window.h"

#include <gtest/gtest.h>

namespace {

const PixelRect kWorkArea = {0, 0, 1280, 770};

void ExpectRect(const PixelRect& actual, const PixelRect& expected, const char* what)
{
    EXPECT_EQ(actual.left, expected.left) << what;
    EXPECT_EQ(actual.top, expected.top) << what;
    EXPECT_EQ(actual.right, expected.right) << what;
    EXPECT_EQ(actual.bottom, expected.bottom) << what;
}

TEST(DialogCaption, NameAndMakerFollowTheProgramCaption)
{
    char text[128];
    ComposeDialogCaption("Tallyview-ZezedazUrod v1.4.0.0", "Links", true, text, sizeof(text));
    EXPECT_STREQ(text, "Tallyview-ZezedazUrod v1.4.0.0 - Links - HOLLOWPINESTUDIO");
    ComposeDialogCaption("Tallyview-ZezedazUrod v1.4.0.0", "Links", false, text, sizeof(text));
    EXPECT_STREQ(text, "Tallyview-ZezedazUrod v1.4.0.0 - Links");
}

TEST(PlaceWindow, CentresOnTheParentsRestoredPosition)
{
    // Parent 400 x 300 on screen, restored at (100, 50); dialog 200 x 101.
    PixelRect placed = CentreInWorkArea(PixelRect{0, 0, 200, 101}, true,
                                        PixelRect{500, 500, 900, 800},
                                        PixelRect{100, 50, 500, 350}, kWorkArea);
    ExpectRect(placed, PixelRect{200, 150, 400, 251}, "centred");
}

TEST(PlaceWindow, HalvesTruncateTowardZeroEachOnItsOwn)
{
    // A parent of odd, negative width: (-3) / 2 is -1, not -2.
    PixelRect placed = CentreInWorkArea(PixelRect{0, 0, 5, 7}, true,
                                        PixelRect{103, 200, 100, 200},
                                        PixelRect{300, 300, 297, 300}, kWorkArea);
    ExpectRect(placed, PixelRect{300 - 1 - 2, 300 + 0 - 3, 300 - 1 - 2 + 5, 297 + 7},
               "truncated halves");
}

TEST(PlaceWindow, CentringIsPulledIntoTheWorkArea)
{
    PixelRect offLeft = CentreInWorkArea(PixelRect{0, 0, 400, 200}, true,
                                         PixelRect{0, 0, 100, 100},
                                         PixelRect{-300, -300, -200, -200}, kWorkArea);
    ExpectRect(offLeft, PixelRect{0, 0, 400, 200}, "left and top edges");
    PixelRect offRight = CentreInWorkArea(PixelRect{0, 0, 400, 200}, true,
                                          PixelRect{0, 0, 100, 100},
                                          PixelRect{1250, 760, 1350, 860}, kWorkArea);
    ExpectRect(offRight, PixelRect{880, 570, 1280, 770}, "right and bottom edges");
}

TEST(PlaceWindow, WithoutAParentCentresOnTheWorkArea)
{
    PixelRect placed =
        CentreInWorkArea(PixelRect{10, 10, 310, 210}, false, PixelRect{}, PixelRect{}, kWorkArea);
    ExpectRect(placed, PixelRect{490, 285, 790, 485}, "no parent");
}

TEST(PlaceWindow, MoveToAFarPointEndsAtTheLowerRightCorner)
{
    PixelRect placed = MoveIntoWorkArea(PixelRect{100, 100, 533, 612}, 20000, 20000, kWorkArea);
    ExpectRect(placed, PixelRect{1280 - 433, 770 - 512, 1280, 770}, "options point");
}

TEST(PlaceWindow, PointLeftOrAboveTheWorkAreaKeepsTheSize)
{
    PixelRect area = {100, 50, 1380, 820};
    PixelRect placed = MoveIntoWorkArea(PixelRect{0, 0, 300, 200}, -500, 10, area);
    ExpectRect(placed, PixelRect{100, 50, 400, 250}, "left and above");
}

TEST(PlaceWindow, LargerThanTheWorkAreaSticksOutLeftAndTop)
{
    PixelRect placed = MoveIntoWorkArea(PixelRect{0, 0, 1500, 900}, 20000, 20000, kWorkArea);
    ExpectRect(placed, PixelRect{-220, -130, 1280, 770}, "moved");
    PixelRect centred =
        CentreInWorkArea(PixelRect{0, 0, 1500, 900}, false, PixelRect{}, PixelRect{}, kWorkArea);
    EXPECT_EQ(centred.left, 0) << "the left edge wins; no second check";
    EXPECT_EQ(centred.top, 0);
}

}  // namespace
