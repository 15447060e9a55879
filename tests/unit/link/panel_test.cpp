#include "LinkRig.h"

#include <gtest/gtest.h>

using namespace aql;
using namespace aql::test;

TEST(DisplayAddressing, rowsMapAsTheControllersMemoryIsLaidOut) {
    EXPECT_EQ(link::cellForDisplayAddress(0), 0);
    EXPECT_EQ(link::cellForDisplayAddress(19), 19);
    EXPECT_EQ(link::cellForDisplayAddress(64), 20);
    EXPECT_EQ(link::cellForDisplayAddress(69), 25);
    EXPECT_EQ(link::cellForDisplayAddress(83), 39);
    EXPECT_EQ(link::cellForDisplayAddress(20), 40);
    EXPECT_EQ(link::cellForDisplayAddress(39), 59);
    EXPECT_EQ(link::cellForDisplayAddress(84), 60);
    EXPECT_EQ(link::cellForDisplayAddress(103), 79);
    for (int a : {40, 50, 63, 104, 127}) {
        EXPECT_EQ(link::cellForDisplayAddress(a), 0) << a;
    }
}

TEST(Cursor, aShownCursorBlinksWithAOneSecondPeriod) {
    LinkRig rig;
    rig.console.panel.cursorPosition = 0xC5; // address 69, shown
    rig.console.remote.tmrCursor().setEnabled(true);
    rig.timers.advance(500);
    EXPECT_TRUE(rig.console.panel.cellPainted[25]);
    rig.timers.advance(500);
    EXPECT_FALSE(rig.console.panel.cellPainted[25]);
    rig.timers.advance(500);
    EXPECT_TRUE(rig.console.panel.cellPainted[25]);
}

TEST(Cursor, aHiddenCursorIsNeverPaintedAndMovingClearsTheOldCell) {
    LinkRig rig;
    rig.console.panel.cursorPosition = 0x14; // cell 40, not shown
    rig.console.remote.tmrCursor_Timer();
    rig.console.remote.tmrCursor_Timer();
    EXPECT_FALSE(rig.console.panel.cellPainted[40]);

    rig.console.panel.cursorPosition = 0xC5; // cell 25
    rig.console.remote.tmrCursor_Timer();
    ASSERT_TRUE(rig.console.panel.cellPainted[25]);
    rig.console.panel.cursorPosition = 0xC6; // cell 26
    rig.console.remote.tmrCursor_Timer();
    EXPECT_FALSE(rig.console.panel.cellPainted[25]);
    EXPECT_TRUE(rig.console.panel.cellPainted[26]);

    rig.console.panel.cursorPosition = 0x80 | 50; // outside the rows: cell 0
    rig.console.remote.tmrCursor_Timer();
    EXPECT_FALSE(rig.console.panel.cellPainted[26]);
    EXPECT_TRUE(rig.console.panel.cellPainted[0]);
}

TEST(Keypad, theLeftArrowFlashesKey3For50msThenSends16) {
    LinkRig rig;
    rig.goOnline();
    bool shownDuringFlash = false;
    rig.pump.duringProcessEvents = [&] {
        shownDuringFlash = shownDuringFlash || rig.console.panel.keyPressedVisible[3];
    };
    rig.console.remote.Form_KeyDown(37);
    EXPECT_TRUE(shownDuringFlash);
    EXPECT_FALSE(rig.console.panel.keyPressedVisible[3]);
    EXPECT_EQ(rig.pump.sleeps, std::vector<int>{50});
    ASSERT_EQ(rig.socket.sent.size(), 1u);
    EXPECT_EQ(rig.socket.sent[0], std::string("\x40\x01\x10\x00\x00\x00\x00\x7A\x23", 9));
}

TEST(Keypad, computerKeysMapToTheKeypadAndOthersSendNothing) {
    LinkRig rig;
    rig.goOnline();
    for (int code : {38, 39, 62, 40, 37, 60, 86, 118, 88, 120}) {
        rig.console.remote.Form_KeyDown(code);
    }
    EXPECT_EQ(rig.commandBytes(), (std::vector<int>{18, 17, 17, 19, 16, 16, 21, 21, 20, 20}));
    EXPECT_EQ(link::keyCodeForIndex(6), 22); // beyond the six keys: low four bits + 16
    EXPECT_EQ(link::keyCodeForIndex(16), 18);
    rig.console.remote.Form_KeyDown(65); // "A"
    rig.console.remote.Form_KeyDown(13);
    EXPECT_EQ(rig.socket.sent.size(), 10u);
}

TEST(ModePanel, slidesInTenStepsAndReversesMidway) {
    LinkRig rig;
    auto &panel = rig.console.panel;
    rig.console.modes.chkShift_Click();
    EXPECT_EQ(panel.chkShiftCaption, "p");
    rig.timers.advance(10);
    EXPECT_EQ(panel.panelTop, 2100);
    rig.timers.advance(50);
    EXPECT_EQ(panel.panelTop, 2100);
    rig.console.modes.chkShift_Click();
    rig.timers.advance(4);
    EXPECT_EQ(panel.panelTop, 1300);
    rig.console.modes.chkShift_Click(); // back down before it arrived
    EXPECT_EQ(panel.chkShiftCaption, "p");
    rig.timers.advance(100);
    EXPECT_EQ(panel.panelTop, 2100);
    rig.console.modes.chkShift_Click();
    rig.timers.advance(100);
    EXPECT_EQ(panel.panelTop, 100);
    EXPECT_EQ(panel.chkShiftCaption, "q");
}

