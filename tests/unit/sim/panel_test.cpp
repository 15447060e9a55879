#include "sim/Controller.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace aql::sim;

namespace {

Controller makeController() {
    ControllerSetup setup;
    setup.records = 0;
    setup.startMinutes = minutesFromTimestamp({2024, 6, 3, 8, 0});
    Controller c(setup);
    c.plant() = PlantValues{724, 85, 725, 42, 275};
    return c;
}

void press(Controller &c, std::initializer_list<std::uint8_t> keys) {
    for (std::uint8_t k : keys) {
        EXPECT_TRUE(c.pressKey(k)) << int(k);
    }
}

std::string row(const Display &d, int r) {
    return d.text.substr(static_cast<std::size_t>(r) * 20, 20);
}

} // namespace

TEST(Panel, statusScreenShowsReadingsSetpointsModeAndClock) {
    Controller c = makeController();
    c.advance(15 * 60'000); // clock 08:15; plant steps are replaced below
    c.plant() = PlantValues{724, 85, 725, 42, 275};
    const Display d = c.display();
    EXPECT_EQ(d.text, "pH  7.24    sp  7.20"
                      "Cl  0.85    sp  0.80"
                      "Rx  725mV   Flow  42"
                      "27.5C  AUTO    08:15");
    EXPECT_EQ(d.flags, flag::kRun);
    EXPECT_EQ(d.cursor, 0);
}

TEST(Panel, editingASetpointWritesItsVariableRaisesTheFlagAndShowsOnTheStatusScreen) {
    Controller c = makeController();
    press(c, {key::kAccept});
    EXPECT_EQ(c.display().text, "SETTINGS       01/11"
                                ">pH setpoint    7.20"
                                " pH high alm    7.60"
                                " pH low alm     6.80");
    press(c, {key::kRight, key::kRight, key::kLeft, key::kRight});
    Display d = c.display();
    EXPECT_EQ(row(d, 0), "EDIT <> V=OK X=BACK ");
    EXPECT_EQ(row(d, 1), ">pH setpoint    7.30");
    EXPECT_EQ(d.cursor, 0x80 | 83); // row 2 starts at display address 64; column 19
    EXPECT_EQ(c.variables().value(var::kPhSetpoint), 720) << "not stored before V";

    press(c, {key::kAccept});
    EXPECT_EQ(c.variableBlock(1)[0], 730);
    EXPECT_EQ(c.variableBlock(2)[11], 1);
    EXPECT_EQ(c.display().cursor, 0);
    press(c, {key::kCancel});
    EXPECT_EQ(row(c.display(), 0), "pH  7.24    sp  7.30");

    // The console clears the flag by writing 0.
    EXPECT_TRUE(c.setVariable(2, 12, 0));
    EXPECT_EQ(c.variableBlock(2)[11], 0);
}

TEST(Panel, droppedUnchangedAndClampedEdits) {
    Controller c = makeController();
    press(c, {key::kAccept, key::kDown, key::kRight, key::kCancel}); // X drops the edit
    press(c, {key::kAccept, key::kAccept});                          // V, V: no change
    EXPECT_EQ(c.variables().value(var::kPhHighAlarm), 760);
    EXPECT_EQ(c.variables().value(var::kChangeFlag), 0);
    press(c, {key::kDown, key::kDown}); // Cl setpoint 0.80, lowest 0.20
    for (int i = 0; i < 20; ++i) {
        press(c, {key::kLeft});
    }
    press(c, {key::kAccept});
    EXPECT_EQ(c.variables().value(var::kClSetpoint), 20);
}

TEST(Panel, listScrollsAndTheCursorFollowsTheScreenRow) {
    Controller c = makeController();
    press(c, {key::kAccept, key::kUp});
    EXPECT_EQ(c.panel().selected(), 0u);
    for (int i = 0; i < 15; ++i) {
        press(c, {key::kDown});
    }
    press(c, {key::kRight}); // last item, Mode: third visible row, display address 84
    const Display d = c.display();
    EXPECT_EQ(row(d, 1), " Flow low alm 20m3/h");
    EXPECT_EQ(row(d, 2), " Flow stop    10m3/h");
    EXPECT_EQ(row(d, 3), ">Mode         MANUAL");
    EXPECT_EQ(d.cursor, 0x80 | (84 + 19));
}

TEST(Panel, manualModeLightsItsLampAndTheWaterDriftsIntoAlarm) {
    Controller c = makeController();
    for (int i = 0; i < 11; ++i) {
        press(c, {i == 0 ? key::kAccept : key::kDown});
    }
    press(c, {key::kRight, key::kAccept, key::kCancel});
    EXPECT_EQ(c.variables().value(var::kManualMode), 1);
    EXPECT_EQ(c.display().text.substr(60 + 7, 6), "MANUAL");
    EXPECT_TRUE(c.display().flags & flag::kManual);
    EXPECT_FALSE(c.display().flags & flag::kAlarm);
    c.advance(10 * 60'000); // no dosing for ten minutes
    EXPECT_TRUE(c.display().flags & flag::kAlarm);
}

TEST(Panel, alarmLampFollowsEachLimit) {
    Controller c = makeController();
    struct Case {
        PlantValues v;
        bool alarm;
    };
    const Case cases[] = {
        {{724, 85, 725, 42, 275}, false}, {{761, 85, 725, 42, 275}, true},
        {{679, 85, 725, 42, 275}, true},  {{724, 151, 725, 42, 275}, true},
        {{724, 39, 725, 42, 275}, true},  {{724, 85, 851, 42, 275}, true},
        {{724, 85, 649, 42, 275}, true},  {{724, 85, 725, 19, 275}, true},
        {{760, 40, 850, 20, 275}, false}, // on the limits is still fine
    };
    for (const Case &k : cases) {
        c.plant() = k.v;
        EXPECT_EQ((c.display().flags & flag::kAlarm) != 0, k.alarm) << k.v.pH << " " << k.v.flow;
    }
}

TEST(Panel, keyPressBeepsOnceAndLightsTheBacklightForAMinute) {
    Controller c = makeController();
    for (std::uint8_t code : {0, 15, 22, 66}) {
        EXPECT_FALSE(c.pressKey(code)) << "not a key";
    }
    EXPECT_FALSE(c.display().flags & (flag::kBeep | flag::kBacklight));
    press(c, {key::kDown});
    EXPECT_EQ(c.takeDisplay().flags & (flag::kBeep | flag::kBacklight),
              flag::kBeep | flag::kBacklight);
    EXPECT_FALSE(c.takeDisplay().flags & flag::kBeep);
    c.advance(59'999);
    EXPECT_TRUE(c.display().flags & flag::kBacklight);
    c.advance(1);
    EXPECT_FALSE(c.display().flags & flag::kBacklight);
}

TEST(Panel, aWriteFromTheConsoleShowsInTheMenu) {
    Controller c = makeController();
    EXPECT_TRUE(c.setVariable(1, 4, 95));
    EXPECT_FALSE(c.setVariable(9, 1, 1));
    EXPECT_FALSE(c.setVariable(1, 27, 1));
    EXPECT_FALSE(c.setVariable(1, 0, 1));
    press(c, {key::kAccept, key::kDown, key::kDown, key::kDown});
    EXPECT_EQ(row(c.display(), 3), ">Cl setpoint    0.95");
    EXPECT_EQ(c.variables().value(var::kChangeFlag), 0) << "only panel changes raise the flag";
}
