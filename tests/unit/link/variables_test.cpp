#include "LinkRig.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace aql;
using namespace aql::test;

namespace {

struct VariablesRig : LinkRig {
    VariablesRig() {
        goOnline();
        console.variables();
        socket.sent.clear();
    }
    link::VariablesController &w() { return console.variables(); }
    const link::VariablesController::View &window() { return w().view(); }
    void controllerReportsBlock(int block, const std::vector<std::pair<int, int>> &values) {
        socket.deliver(blockLine(block, values));
    }
    // The SETVAR frames sent so far as (block, var, high, low).
    std::vector<std::array<int, 4>> writes() const {
        std::vector<std::array<int, 4>> out;
        for (const auto &f : socket.sent) {
            auto at = [&f](std::size_t i) { return static_cast<unsigned char>(f[i]); };
            if (at(2) == 3) {
                out.push_back({at(3), at(4), at(5), at(6)});
            }
        }
        return out;
    }
    // The blocks asked for so far.
    std::vector<int> asked() const {
        std::vector<int> out;
        for (const auto &f : socket.sent) {
            if (f[2] == 4) {
                out.push_back(static_cast<unsigned char>(f[3]));
            }
        }
        return out;
    }
};

// A controller that keeps its variables, takes every write sent to it and answers every block
// request with the block as it then stands, while the variables window's clock runs for `ms`.
struct AnsweringController {
    std::map<std::pair<int, int>, int> values;
    std::size_t framesSeen = 0;
    std::vector<std::array<int, 3>> writes; // block, variable, value as received

    std::vector<std::pair<int, int>> blockValues(int block) const {
        std::vector<std::pair<int, int>> out;
        for (const auto &[where, value] : values) {
            if (where.first == block) {
                out.emplace_back(where.second, value);
            }
        }
        return out;
    }
    void run(VariablesRig &rig, int ms) {
        for (int t = 0; t < ms; t += 100) {
            rig.timers.advance(100);
            for (; framesSeen < rig.socket.sent.size(); ++framesSeen) {
                const std::string frame = rig.socket.sent[framesSeen]; // answering may send more
                auto at = [&frame](std::size_t i) { return static_cast<unsigned char>(frame[i]); };
                if (at(2) == 3) {
                    values[{at(3), at(4)}] = at(5) << 8 | at(6);
                    writes.push_back({at(3), at(4), at(5) << 8 | at(6)});
                } else if (at(2) == 4) {
                    rig.controllerReportsBlock(at(3), blockValues(at(3)));
                }
            }
        }
    }
};

} // namespace

// A write is confirmed only by a report of its block that came after it, never by what the
// window held before: a 0 typed into a block never read stays pending until the block is seen.
TEST(Variables, aWriteRepeatsEvery500msUntilALaterReportOfItsBlockShowsIt) {
    VariablesRig rig;
    rig.chooseVariable(4, 7);
    rig.typeValue("25");
    EXPECT_TRUE(rig.w().writePending());
    for (int round = 0; round < 3; ++round) {
        rig.timers.advance(500); // asks a block
        rig.controllerReportsBlock(4, {{7, 24}});
    }
    EXPECT_EQ(rig.writes(), (std::vector<std::array<int, 4>>(3, {4, 7, 0x00, 0x19})));
    EXPECT_EQ(rig.w().askedBlock(), 4);
    rig.controllerReportsBlock(4, {{7, 25}});
    EXPECT_FALSE(rig.w().writePending());
    rig.controllerReportsBlock(4, {{7, 25}});
    EXPECT_EQ(rig.writes().size(), 3u);

    rig.chooseVariable(5, 1);
    rig.typeValue("0");
    rig.timers.advance(2000);
    EXPECT_TRUE(rig.w().writePending());
    rig.controllerReportsBlock(5, {{1, 7}});
    EXPECT_EQ(rig.writes().back(), (std::array<int, 4>{5, 1, 0, 0}));
    rig.controllerReportsBlock(5, {});
    EXPECT_FALSE(rig.w().writePending());

    // -32600 goes out as 0x80A8, which reads back as +32936: confirmed by its bit pattern.
    rig.chooseVariable(1, 1);
    rig.typeValue("-32600");
    rig.controllerReportsBlock(1, {{1, 0x80A8}});
    EXPECT_EQ(rig.w().value(1, 1), 32936);
    EXPECT_FALSE(rig.w().writePending());
    EXPECT_EQ(rig.writes().size(), 4u);
}

TEST(Variables, aClickWhileAWriteIsPendingShowsTheBusyNoticeAndChangesNothing) {
    VariablesRig rig;
    rig.chooseVariable(1, 5);
    rig.typeValue("-2");
    rig.chooseVariable(6, 2);
    EXPECT_TRUE(rig.window().busyNoticeVisible);
    EXPECT_EQ(rig.w().lastWrite().block, 1);
    EXPECT_EQ(rig.w().lastWrite().variable, 5);
    EXPECT_EQ(rig.w().lastWrite().value, -2);
}

TEST(Variables, aTypoIsRefusedWithAMessageAndNeverWritten) {
    for (const char *typed : {"", "abc", "12x", "2.5", "40000", "-32769", " -32768 "}) {
        SCOPED_TRACE(typed);
        const bool good = std::string(typed) == " -32768 ";
        VariablesRig rig;
        rig.chooseVariable(1, 1);
        rig.typeValue(typed);
        EXPECT_EQ(rig.w().writePending(), good);
        EXPECT_EQ(rig.box.shown.size(), good ? 0u : 1u);
        EXPECT_EQ(rig.window().editPanelVisible, !good); // the operator can correct it
        rig.controllerReportsBlock(1, {});
        EXPECT_EQ(rig.writes(), (good ? std::vector<std::array<int, 4>>{{1, 1, 0x80, 0x00}}
                                      : std::vector<std::array<int, 4>>{}));
    }
}

TEST(Variables, aGridClickOpensItsCellAndEnterNeverWritesToAnotherVariable) {
    VariablesRig rig;
    rig.w().selectGridCell(20, 0);
    EXPECT_EQ(rig.window().editVariableText, "Var. nr.: 19");
    rig.w().cancelEdit();
    rig.w().selectGridCell(5, 2); // no such cell: nothing opens
    EXPECT_FALSE(rig.window().editPanelVisible);

    rig.chooseVariable(3, 10); // chosen on a tab, then cancelled
    rig.w().cancelEdit();
    rig.w().selectGridCell(20, 1);
    rig.typeValue("5");
    rig.controllerReportsBlock(3, {});
    EXPECT_TRUE(rig.writes().empty());
    EXPECT_FALSE(rig.w().writePending());
}

// The controller raises its change flag (block 2, variable 12) when its variables change, also
// while the operator has the edit panel open or a write under way. Clearing it must neither take
// the operator's value nor lose the operator's write.
TEST(Variables, theChangeFlagNeverRedirectsOrDropsTheOperatorsWrite) {
    enum class Enter { BeforeTheFlagIsSeen, WhileTheFlagIsCleared, AfterTheFlagIsCleared };
    for (Enter when :
         {Enter::BeforeTheFlagIsSeen, Enter::WhileTheFlagIsCleared, Enter::AfterTheFlagIsCleared}) {
        SCOPED_TRACE(static_cast<int>(when));
        VariablesRig rig;
        AnsweringController controller;
        controller.values[{2, 12}] = 1;
        controller.values[{4, 7}] = 3;
        rig.chooseVariable(4, 7);
        if (when == Enter::WhileTheFlagIsCleared) {
            rig.controllerReportsBlock(2, controller.blockValues(2));
            ASSERT_TRUE(rig.w().writePending());
        } else if (when == Enter::AfterTheFlagIsCleared) {
            controller.run(rig, 4000);
            ASSERT_EQ(controller.values[std::make_pair(2, 12)], 0);
            ASSERT_FALSE(rig.w().writePending());
        }
        EXPECT_TRUE(rig.window().editPanelVisible);
        rig.typeValue("25");
        EXPECT_FALSE(rig.window().editPanelVisible);
        controller.run(rig, 10000);

        EXPECT_EQ(controller.values[std::make_pair(4, 7)], 25);
        EXPECT_EQ(controller.values[std::make_pair(2, 12)], 0);
        for (const auto &w : controller.writes) {
            const bool flagCleared = w == std::array<int, 3>{{2, 12, 0}};
            const bool operatorsWrite = w == std::array<int, 3>{{4, 7, 25}};
            EXPECT_TRUE(flagCleared || operatorsWrite) << w[0] << ":" << w[1] << "=" << w[2];
        }
        EXPECT_FALSE(rig.w().writePending());
        EXPECT_EQ(rig.w().value(4, 7), 25);
    }
}

TEST(Variables, theChangeFlagIsClearedInBlock2AndAllBlocksAreReadAgain) {
    VariablesRig rig;
    rig.controllerReportsBlock(2, {{12, 1}});
    EXPECT_EQ(rig.writes(), (std::vector<std::array<int, 4>>{{2, 12, 0, 0}}));
    rig.controllerReportsBlock(2, {{12, 0}}); // confirmed
    EXPECT_FALSE(rig.w().writePending());
    rig.socket.sent.clear();
    int block = 2;
    for (int i = 0; i < 9; ++i) {
        rig.controllerReportsBlock(block, {});
        rig.w().pollNextBlock();
        block = rig.asked().back();
    }
    EXPECT_EQ(rig.asked(), (std::vector<int>{3, 4, 5, 6, 7, 8, 1, 2, 2}));

    rig.socket.deliver(blockLine(9, {{1, 5}}) + blockLine(1, {{1, 6}})); // no block 9
    EXPECT_EQ(rig.console.receiveCounters().lineErrors, 1u);
    EXPECT_EQ(rig.w().value(1, 1), 6);
}
