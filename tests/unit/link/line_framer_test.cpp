#include "link/LineFramer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace aql::link;

namespace {

// A kind-1 display line written out by hand: type 1 is "1" "0", flags 0x19 are "9" "1", cursor
// 0x85 is "5" "8", 80 blanks are "0" "2" each, one unread byte, checksum 1 + 105 + 0x19 = 0x83.
std::string displayLine() {
    std::string line = "\x01"
                       "10"
                       "91"
                       "58";
    for (int i = 0; i < 80; ++i) {
        line += "02";
    }
    return line + "00"
                  "38";
}

std::vector<std::string> drain(LineFramer &framer) {
    std::vector<std::string> lines;
    std::string_view line;
    while (framer.nextLine(line)) {
        lines.emplace_back(line);
    }
    return lines;
}

} // namespace

TEST(DisplayLine, aHandWrittenKindOneLineChecksAndDecodes) {
    const std::string line = displayLine();
    ASSERT_EQ(line.size(), 171u);
    char buffer[kLongestPayload];
    CheckedLine checked = checkLine(line, buffer);
    ASSERT_EQ(checked.status, LineStatus::Ok);
    EXPECT_EQ(checked.kind, 1);
    ASSERT_EQ(checked.payload.size(), 85u);
    EXPECT_EQ(checked.payload.substr(3, 80), std::string(80, ' '));
    EXPECT_EQ(static_cast<unsigned char>(checked.payload[2]), 0x85);
    std::string bad = line;
    bad.back() = '9';
    EXPECT_EQ(checkLine(bad, buffer).status, LineStatus::ChecksumError);
}

TEST(LineFramer, anOverlongLineIsDiscardedAndCountedNotBufferedAndTheLongestIsKept) {
    LineFramer framer;
    const std::string good = displayLine();
    framer.append(good + "\r");
    // 10 MB without a CR, in 4 KiB reads: the buffer must stay bounded.
    const std::string junk(4096, 'x');
    for (int i = 0; i < 2560; ++i) {
        framer.append(junk);
        EXPECT_LE(framer.pending().size(), kLongestLine);
    }
    framer.append("tail-of-junk\r" + good + "\r");
    EXPECT_EQ(drain(framer), (std::vector<std::string>{good, good}));
    EXPECT_EQ(framer.overlongLines(), 1u);
    EXPECT_EQ(framer.discardedBytes(), 2560u * 4096u + 13u);

    for (std::size_t length : {kLongestLine, kLongestLine + 1}) {
        framer.append(std::string(length, '2'));
        framer.append("\r");
    }
    EXPECT_EQ(drain(framer), std::vector<std::string>{std::string(kLongestLine, '2')});
    EXPECT_EQ(framer.overlongLines(), 2u);
}
