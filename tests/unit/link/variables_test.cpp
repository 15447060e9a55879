#include "LinkRig.h"

#include <gtest/gtest.h>

using namespace aql;
using namespace aql::test;

namespace {

// A variable block packet: type 5, block, one unread byte, 26 little-endian values.
std::string blockLine(int block, const std::vector<std::pair<int, int>> &values) {
    std::string body{'\x05', static_cast<char>(block), '\0'};
    std::string raw(52, '\0');
    for (auto [var, value] : values) {
        raw[static_cast<std::size_t>(2 * var - 2)] = static_cast<char>(value & 0xFF);
        raw[static_cast<std::size_t>(2 * var - 1)] = static_cast<char>((value >> 8) & 0xFF);
    }
    return addressedLine(1, body + raw) + "\r";
}

struct VariablesRig : LinkRig {
    VariablesRig() {
        goOnline();
        console.variables();
        socket.sent.clear();
    }
    link::VariablesController &w() { return console.variables(); }
    // The SETVAR frames sent so far as (block, var, high, low).
    std::vector<std::array<int, 4>> writes() const {
        std::vector<std::array<int, 4>> out;
        for (const auto &f : socket.sent) {
            if (f[2] == 3) {
                out.push_back({static_cast<unsigned char>(f[3]), static_cast<unsigned char>(f[4]),
                               static_cast<unsigned char>(f[5]), static_cast<unsigned char>(f[6])});
            }
        }
        return out;
    }
};

} // namespace

TEST(Variables, rawValuesAboveThe33000ThresholdAreNegative) {
    VariablesRig rig;
    rig.socket.deliver(blockLine(1, {{3, 0x012C}, {4, 0xFFFF}, {5, 0x80E8}, {6, 0x80E9}}));
    EXPECT_EQ(rig.w().values[1][3], 300);
    EXPECT_EQ(rig.w().values[1][4], -1);
    EXPECT_EQ(rig.w().values[1][5], 33000);
    EXPECT_EQ(rig.w().values[1][6], -32535);
    rig.w().tmrFillDatabase_Timer();
    EXPECT_EQ(rig.w().txtVAR[2], "300");
    EXPECT_EQ(rig.w().lblNRvar[2], "3");
}

TEST(Variables, readsBlock0Then1Then2AndThenKeepsAskingBlock2) {
    LinkRig rig;
    rig.goOnline();
    rig.console.variables();
    ASSERT_EQ(rig.socket.sent.size(), 1u);
    EXPECT_EQ(static_cast<int>(rig.socket.sent[0][3]), 0);
    rig.socket.sent.clear();
    rig.socket.deliver(blockLine(0, {}));
    rig.console.variables().tmrFillDatabase_Timer();
    rig.socket.deliver(blockLine(1, {}));
    rig.console.variables().tmrFillDatabase_Timer();
    rig.socket.deliver(blockLine(2, {}));
    rig.console.variables().tmrFillDatabase_Timer();
    rig.console.variables().tmrFillDatabase_Timer();
    std::vector<int> asked;
    for (const auto &f : rig.socket.sent) {
        asked.push_back(f[3]);
    }
    EXPECT_EQ(asked, (std::vector<int>{1, 2, 2, 2}));
    EXPECT_FALSE(rig.console.variables().cycling);
}

TEST(Variables, aWriteRepeatsEvery500msUntilTheControllerReportsIt) {
    VariablesRig rig;
    rig.w().selectedTab = 3;          // "Blok 4"
    rig.w().txtVAR_Click(3 * 25 + 6); // variable 7
    EXPECT_EQ(rig.w().lblSetVarNr, "Var. nr.: 7");
    rig.w().txtChange = "25";
    rig.w().txtChange_KeyPress(13);
    EXPECT_FALSE(rig.w().writeIdle);
    EXPECT_EQ(rig.w().tmrFillDatabase().interval(), 500);

    for (int round = 0; round < 3; ++round) {
        rig.timers.advance(500); // asks a block
        rig.socket.deliver(blockLine(4, {{7, 24}}));
    }
    auto writes = rig.writes();
    ASSERT_EQ(writes.size(), 3u);
    for (const auto &w : writes) {
        EXPECT_EQ(w, (std::array<int, 4>{4, 7, 0x00, 0x19}));
    }
    EXPECT_EQ(rig.w().askBlock, 4);
    rig.socket.deliver(blockLine(4, {{7, 25}}));
    EXPECT_TRUE(rig.w().writeIdle);
    EXPECT_EQ(rig.w().tmrFillDatabase().interval(), 3000);
    rig.socket.deliver(blockLine(4, {{7, 25}}));
    EXPECT_EQ(rig.writes().size(), 3u);
}

TEST(Variables, aWrittenValueInTheThresholdGapIsConfirmedByItsBitPattern) {
    VariablesRig rig;
    rig.w().txtVAR_Click(0);
    rig.w().txtChange = "-32600"; // 0x80A8 = 32936 reads back as +32936
    rig.w().txtChange_KeyPress(13);
    rig.socket.deliver(blockLine(1, {{1, 0x80A8}}));
    EXPECT_EQ(rig.w().values[1][1], 32936);
    EXPECT_TRUE(rig.w().writeIdle);
    EXPECT_TRUE(rig.writes().empty());
}

TEST(Variables, aClickWhileAWriteIsPendingShowsTheBusyNoticeAndChangesNothing) {
    VariablesRig rig;
    rig.w().selectedTab = 0;
    rig.w().txtVAR_Click(4);
    rig.w().txtChange = "-2";
    rig.w().txtChange_KeyPress(13);
    rig.w().selectedTab = 5;
    rig.w().txtVAR_Click(5 * 25 + 1);
    EXPECT_TRUE(rig.w().fraBussyVisible);
    EXPECT_EQ(rig.w().writeBlock, 1);
    EXPECT_EQ(rig.w().writeVar, 5);
    EXPECT_EQ(rig.w().writeValue, -2);
    rig.w().cmdOK_Click();
    EXPECT_FALSE(rig.w().fraBussyVisible);
}

TEST(Variables, aTypoIsRefusedWithAMessageAndNeverWritten) {
    for (const char *typed : {"", "abc", "12x", "2.5", "40000", "-32769"}) {
        VariablesRig rig;
        rig.w().txtVAR_Click(0);
        rig.w().txtChange = typed;
        rig.w().txtChange_KeyPress(13);
        EXPECT_TRUE(rig.w().writeIdle) << typed;
        EXPECT_EQ(rig.box.shown.size(), 1u) << typed;
        EXPECT_TRUE(rig.w().fraSetValueVisible) << typed; // the operator can correct it
        rig.socket.deliver(blockLine(1, {}));
        EXPECT_TRUE(rig.writes().empty()) << typed;
    }
    VariablesRig rig;
    rig.w().txtVAR_Click(0);
    rig.w().txtChange = " -32768 ";
    rig.w().txtChange_KeyPress(13);
    rig.socket.deliver(blockLine(1, {}));
    ASSERT_EQ(rig.writes().size(), 1u);
    EXPECT_EQ(rig.writes()[0], (std::array<int, 4>{1, 1, 0x80, 0x00}));
}

TEST(Variables, enterAfterAGridClickNeverWritesToAnotherVariable) {
    VariablesRig rig;
    rig.w().selectedTab = 2;
    rig.w().txtVAR_Click(2 * 25 + 9); // block 3, variable 10 chosen on a tab
    rig.w().txtChange_KeyPress(27);
    rig.w().msfDataBase_Click(20);
    EXPECT_EQ(rig.w().lblSetVarNr, "Var. nr.: 19");
    rig.w().txtChange = "5";
    rig.w().txtChange_KeyPress(13);
    rig.socket.deliver(blockLine(3, {}));
    EXPECT_TRUE(rig.writes().empty());
    EXPECT_TRUE(rig.w().writeIdle);
}

TEST(Variables, theChangeFlagIsClearedInBlock2AndAllBlocksAreReadAgain) {
    VariablesRig rig;
    rig.socket.deliver(blockLine(2, {{12, 1}}));
    ASSERT_EQ(rig.writes().size(), 1u);
    EXPECT_EQ(rig.writes()[0], (std::array<int, 4>{2, 12, 0, 0}));
    rig.socket.deliver(blockLine(2, {{12, 0}})); // confirmed
    EXPECT_TRUE(rig.w().writeIdle);
    rig.socket.sent.clear();
    std::vector<int> asked;
    int block = 2;
    for (int i = 0; i < 9; ++i) {
        rig.socket.deliver(blockLine(block, {}));
        rig.w().tmrFillDatabase_Timer();
        block = static_cast<unsigned char>(rig.socket.sent.back()[3]);
        asked.push_back(block);
    }
    EXPECT_EQ(asked, (std::vector<int>{3, 4, 5, 6, 7, 8, 1, 2, 2}));
}

TEST(Variables, aBlockNumberAbove8IsDroppedWithoutHarm) {
    VariablesRig rig;
    rig.socket.deliver(blockLine(9, {{1, 5}}) + blockLine(1, {{1, 6}}));
    EXPECT_EQ(rig.console.online.counters().lineErrors, 1u);
    EXPECT_EQ(rig.w().values[1][1], 6);
}

