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
