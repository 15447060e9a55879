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
    for (LineReader::Status status; (status = reader.next(line)) != LineReader::Status::End;) {
        lines.emplace_back(status == LineReader::Status::Line ? line : "<too long>");
        if (status == LineReader::Status::TooLong) {
            break;
        }
    }
    return lines;
}

TEST(LineReader, lineEndsAreSeenOnceWhereverTheReadsSplitThemAndLongLinesAreRefused) {
    // Short lines read a few bytes at a time, so the CR and LF of one pair land in different
    // reads again and again.
    std::mt19937 rng(7);
    std::string text;
    Lines expected;
    for (int i = 0; i < 3000; ++i) {
        const std::string line(rng() % 9, static_cast<char>('a' + i % 26));
        const bool afterCr = !text.empty() && text.back() == '\r';
        const char *eol[] = {"\r\n", (line.empty() && afterCr) ? "\r\n" : "\n", "\r"};
        text += line + eol[rng() % 3];
        expected.push_back(line);
    }
    for (std::size_t chunk : {1u, 2u, 3u, 5u, 64u, 65536u}) {
        EXPECT_EQ(readAll(text, 8, chunk), expected) << "chunk " << chunk;
        Lines unended = expected;
        unended.push_back("tail");
        EXPECT_EQ(readAll(text + "tail", 8, chunk), unended) << "chunk " << chunk;
    }
    EXPECT_EQ(readAll("a\n\rb\r\r\nc", 8, 2), (Lines{"a", "", "b", "", "c"}));

    // A line longer than the limit is refused wherever it stands.
    const std::string max(100, 'x');
    for (std::size_t chunk : {1u, 7u, 4096u}) {
        EXPECT_EQ(readAll(max + "\r\n" + max, 100, chunk), (Lines{max, max}));
        EXPECT_EQ(readAll("a\r\n" + max + "y\r\nb", 100, chunk), (Lines{"a", "<too long>"}));
        EXPECT_EQ(readAll(max + "y", 100, chunk), (Lines{"<too long>"}));
    }
}

} // namespace
} // namespace aql::shell
