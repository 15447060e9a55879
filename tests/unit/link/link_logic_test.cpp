#include "LinkRig.h"

#include <gtest/gtest.h>

using namespace aql;
using namespace aql::test;
namespace ss = aql::platform::sockstate;

// ---- connection and modes ---------------------------------------------------------------------

TEST(OnlineChoice, connectsThenPollsEvery120msWithCommandB) {
    LinkRig rig;
    rig.goOnline();
    EXPECT_EQ(rig.socket.state(), ss::kConnected);
    rig.timers.advance(360);
    ASSERT_EQ(rig.commandBytes(), (std::vector<int>{66, 66, 66}));
    EXPECT_EQ(rig.socket.sent[0], std::string("\x40\x01\x42\x00\x00\x00\x00\xAC\x23", 9));
}

TEST(CommandSender, sendsOnlyWhileOnlineAndConnected) {
    LinkRig rig;
    rig.console.pressKey(0);
    rig.console.requestLog();
    EXPECT_TRUE(rig.socket.sent.empty());

    rig.goOnline();
    rig.console.requestLog();
    ASSERT_EQ(rig.socket.sent.size(), 1u);
    EXPECT_EQ(rig.socket.sent[0], std::string("\x40\x01\x41\x00\x00\x00\x00\xAB\x23", 9));

    // Offline with the socket connected again: nothing goes out.
    rig.connectionDropsSilently();
    rig.console.chooseOffline();
    rig.socket.setState(ss::kConnected);
    rig.console.requestLog();
    rig.console.pressKey(0);
    EXPECT_EQ(rig.socket.sent.size(), 1u);
}

// ---- received lines ---------------------------------------------------------------------------

TEST(ReceivedLines, wrongKindLengthOrAddressIsDroppedSilentlyAndTheLinkStays) {
    LinkRig rig(7);
    rig.goOnline();
    std::string line = unaddressedLine(displayBody(0x01, 0, kPanelText));
    rig.socket.deliver(line.substr(0, 170) + "\r" + line + "00\r" + "\x03" + line.substr(1) +
                       "\r\r");
    EXPECT_EQ(rig.console.receiveCounters().linesIgnored, 4u); // the empty line too
    rig.socket.deliver(addressedLine(8, displayBody(0x1F, 0x85, kPanelText)) + "\r" +
                       addressedLine(8, recordBody(1, 1)) + "\r");
    EXPECT_TRUE(rig.box.shown.empty());
    EXPECT_EQ(rig.socket.state(), ss::kConnected);
    EXPECT_EQ(rig.panel().cells[0], '\0');
    EXPECT_EQ(rig.panel().runLampColour, link::colour::kBlack);
    EXPECT_EQ(rig.records.count(), 0u);
    rig.socket.deliver(addressedLine(7, displayBody(0x1F, 0x85, kPanelText)) + "\r");
    EXPECT_EQ(rig.panel().cells[0], 'p');
}

TEST(ReceivedLines, textArrivingWhileABoxIsOpenIsHandledAfterItNeitherReenteredNorLost) {
    LinkRig rig;
    rig.goOnline();
    const std::string unknown = addressedLine(1, "\x09") + "\r";
    const std::string display = addressedLine(1, displayBody(0x01, 0, "after the box")) + "\r";
    int boxes = 0;
    rig.box.whileOpen = [&] {
        if (++boxes == 1) {
            // The modal box's event loop delivers the rest of a line and a whole one.
            rig.socket.deliver(display.substr(0, 40));
            EXPECT_EQ(rig.panel().cells[0], '\0'); // not handled inside the box
            rig.socket.deliver(display.substr(40) + unknown);
        }
    };
    rig.socket.deliver(unknown);
    EXPECT_EQ(boxes, 2);
    EXPECT_EQ(rig.console.receiveCounters().deferredDropped, 0u);
    EXPECT_EQ(std::string(rig.panel().cells.data(), 13), "after the box");
    EXPECT_EQ(rig.console.receiveCounters().linesHandled, 3u);

    // What arrives while a box stays open is bounded, not unlimited.
    rig.box.whileOpen = [&] {
        for (int i = 0; i < 6; ++i) {
            rig.socket.deliver(std::string(1024 * 1024, 'x'));
        }
    };
    rig.socket.deliver(unknown);
    EXPECT_EQ(rig.console.receiveCounters().deferredDropped, 2u * 1024 * 1024);
    EXPECT_LE(rig.console.dispatcher().framer().pending().size(), link::kLongestLine);
}

// ---- records --------------------------------------------------------------------------------

TEST(LogDownload, aRecordThatCannotBeParsedIsDroppedAndTheRestOfTheReadIsStillHandled) {
    LinkRig rig;
    rig.goOnline();
    std::string overflowing = recordBody(1, 1); // a record number of 2^31 does not fit
    overflowing[8] = static_cast<char>(0x80);
    rig.socket.deliver(addressedLine(1, overflowing) + "\r" + recordStream(2, 1));
    EXPECT_EQ(rig.console.receiveCounters().lineErrors, 1u);
    EXPECT_EQ(rig.records.count(), 1u);
    EXPECT_TRUE(rig.records.contains("K2"));
    EXPECT_TRUE(rig.box.shown.empty());
    EXPECT_EQ(rig.socket.state(), ss::kConnected);
}

// A download that ends with the link (a corrupt reply, no answer, the operator choosing Offline)
// leaves the records in memory; they must stay exportable.
TEST(SaveButton, staysUsableWhenTheLinkDropsAfterADownload) {
    enum class Drop { CorruptReply, NoAnswer, OfflineChosen, ReconnectRefused };
    for (Drop drop :
         {Drop::CorruptReply, Drop::NoAnswer, Drop::OfflineChosen, Drop::ReconnectRefused}) {
        SCOPED_TRACE(static_cast<int>(drop));
        LinkRig rig;
        int logWindowsOpened = 0;
        link::ConnectionModes::Hooks hooks;
        hooks.openLogWindow = [&] { ++logWindowsOpened; };
        rig.console.setModeHooks(hooks);
        rig.loadMainWindow();
        rig.goOnline();
        rig.socket.deliver(recordStream(1, 2));
        rig.timers.advance(100);
        ASSERT_TRUE(rig.panel().saveEnabled);
        switch (drop) {
        case Drop::CorruptReply: rig.socket.deliver(corruptReply()); break;
        case Drop::NoAnswer: rig.timers.advance(10100); break;
        case Drop::OfflineChosen: rig.console.chooseOffline(); break;
        case Drop::ReconnectRefused:
            rig.console.chooseOffline();
            rig.socket.outcome = FakeSocket::ConnectOutcome::Refuse;
            rig.goOnline();
            break;
        }
        ASSERT_FALSE(rig.panel().onlineSelected);
        EXPECT_TRUE(rig.panel().saveEnabled); // at once, not only at the next count
        rig.timers.advance(100);
        EXPECT_TRUE(rig.panel().saveEnabled);
        EXPECT_EQ(rig.panel().recordCount, "2");
        rig.console.saveLog();
        EXPECT_EQ(logWindowsOpened, 1);
        EXPECT_EQ(rig.records.count(), 2u);
    }
}
