#include "shell/LineReader.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace aql::shell {
namespace {

using Lines = std::vector<std::string>;

Lines readAll(const std::string &text, std::size_t maxLine, std::size_t chunk) {
    std::istringstream in(text);
    LineReader reader(in, maxLine, chunk);
    Lines lines;
    std::string_view line;
    for (;;) {
        const auto status = reader.next(line);
        if (status != LineReader::Status::Line) {
            if (status == LineReader::Status::TooLong) {
                lines.emplace_back("<too long>");
            }
            return lines;
        }
        lines.emplace_back(line);
    }
}

TEST(LineReader, lineEndsFallingOnEveryReadBoundaryAreSeenOnce) {
    // Short lines with every kind of line end read a few bytes at a time, so that the CR and LF
    // of one pair land in different reads again and again.
    std::mt19937 rng(7);
    std::string text;
    Lines expected;
    bool lastEndedInCr = false;
    for (int i = 0; i < 3000; ++i) {
        std::string line(rng() % 9, static_cast<char>('a' + i % 26));
        int kind = static_cast<int>(rng() % 3);
        if (line.empty() && lastEndedInCr && kind == 1) {
            kind = 0; // CR then LF would be one CR LF, not an empty line
        }
        text += line + (kind == 0 ? "\r\n" : (kind == 1 ? "\n" : "\r"));
        lastEndedInCr = kind == 2;
        expected.push_back(line);
    }
    Lines unended = expected;
    unended.push_back("tail");
    for (std::size_t chunk : {1u, 2u, 3u, 5u, 64u, 65536u}) {
        EXPECT_EQ(readAll(text, 8, chunk), expected) << "chunk " << chunk;
        EXPECT_EQ(readAll(text + "tail", 8, chunk), unended) << "chunk " << chunk;
    }
    EXPECT_EQ(readAll("a\n\rb\r\r\nc", 8, 2), (Lines{"a", "", "b", "", "c"}));
}

TEST(LineReader, aLineLongerThanTheLimitIsRefusedWhereverItStands) {
    const std::string max(100, 'x');
    for (std::size_t chunk : {1u, 7u, 4096u}) {
        EXPECT_EQ(readAll(max + "\r\n" + max, 100, chunk), (Lines{max, max}));
        EXPECT_EQ(readAll("a\r\n" + max + "y\r\nb", 100, chunk), (Lines{"a", "<too long>"}));
        EXPECT_EQ(readAll(max + "y", 100, chunk), (Lines{"<too long>"}));
    }
}

} // namespace
} // namespace aql::shell
