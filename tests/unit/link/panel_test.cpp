#include "LinkRig.h"

#include <gtest/gtest.h>

using namespace aql;
using namespace aql::test;

TEST(DisplayAddressing, rowsMapAsTheControllersMemoryIsLaidOut) {
    const std::pair<int, int> addressToCell[] = {{0, 0},   {19, 19}, {64, 20}, {69, 25},  {83, 39},
                                                 {20, 40}, {39, 59}, {84, 60}, {103, 79}, {40, 0},
                                                 {63, 0},  {104, 0}, {127, 0}};
    for (const auto &[address, cell] : addressToCell) {
        EXPECT_EQ(link::cellForDisplayAddress(address), cell) << address;
    }
}

TEST(Cursor, aShownCursorBlinksWithAOneSecondPeriodAndMovingClearsTheOldCell) {
    LinkRig rig;
    rig.loadMainWindow();                     // starts the blink
    rig.controllerShows(0, 0x14, "SETTINGS"); // cell 40, not shown
    rig.timers.advance(1000);
    EXPECT_FALSE(rig.panel().cursorDrawn[40]);

    rig.controllerShows(0, 0xC5, "SETTINGS"); // address 69, shown
    for (bool drawn : {true, false, true}) {
        rig.timers.advance(500);
        EXPECT_EQ(rig.panel().cursorDrawn[25], drawn);
    }
    rig.controllerShows(0, 0xC6, "SETTINGS"); // cell 26
    rig.timers.advance(500);
    EXPECT_FALSE(rig.panel().cursorDrawn[25]);
    EXPECT_TRUE(rig.panel().cursorDrawn[26]);

    rig.controllerShows(0, 0x80 | 50, "SETTINGS"); // outside the rows: cell 0
    rig.timers.advance(500);
    EXPECT_FALSE(rig.panel().cursorDrawn[26]);
    EXPECT_TRUE(rig.panel().cursorDrawn[0]);
}

TEST(Keypad, theLeftArrowFlashesKey3For50msThenSends16) {
    LinkRig rig;
    rig.goOnline();
    bool shownDuringFlash = false;
    rig.pump.duringProcessEvents = [&] {
        shownDuringFlash = shownDuringFlash || rig.panel().keyFlashing[3];
    };
    rig.console.keyDown(37);
    EXPECT_TRUE(shownDuringFlash);
    EXPECT_FALSE(rig.panel().keyFlashing[3]);
    EXPECT_EQ(rig.pump.sleeps, std::vector<int>{50});
    ASSERT_EQ(rig.socket.sent.size(), 1u);
    EXPECT_EQ(rig.socket.sent[0], std::string("\x40\x01\x10\x00\x00\x00\x00\x7A\x23", 9));
}

TEST(Keypad, computerKeysMapToTheKeypadAndOthersSendNothing) {
    LinkRig rig;
    rig.goOnline();
    for (int code : {38, 39, 62, 40, 37, 60, 86, 118, 88, 120, 65, 13}) {
        rig.console.keyDown(code);
    }
    EXPECT_EQ(rig.commandBytes(), (std::vector<int>{18, 17, 17, 19, 16, 16, 21, 21, 20, 20}));
    EXPECT_EQ(link::keyCodeForIndex(6), 22); // beyond the six keys: low four bits + 16
    EXPECT_EQ(link::keyCodeForIndex(16), 18);
}

TEST(ModePanel, slidesInTenStepsOfFifteenMillisecondsAndReversesMidway) {
    LinkRig rig;
    const auto &panel = rig.panel();
    rig.console.toggleShift();
    EXPECT_EQ(panel.shiftGlyph, "p");
    rig.timers.advance(15);
    EXPECT_EQ(panel.panelTop, 300); // one step: the slide is seen, not a jump
    rig.timers.advance(9 * 15 - 1);
    EXPECT_EQ(panel.panelTop, 1900);
    rig.timers.advance(1); // about 150 ms the whole way
    EXPECT_EQ(panel.panelTop, 2100);
    rig.timers.advance(500);
    EXPECT_EQ(panel.panelTop, 2100);
    rig.console.toggleShift();
    rig.timers.advance(4 * 15);
    EXPECT_EQ(panel.panelTop, 1300);
    rig.console.toggleShift(); // back down before it arrived
    EXPECT_EQ(panel.shiftGlyph, "p");
    rig.timers.advance(1000);
    EXPECT_EQ(panel.panelTop, 2100);
    rig.console.toggleShift();
    rig.timers.advance(1000);
    EXPECT_EQ(panel.panelTop, 100);
    EXPECT_EQ(panel.shiftGlyph, "q");
}
