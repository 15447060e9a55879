#include "core/AtomicFile.h"
#include "core/Error.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using aql::AqlError;
using aql::test::readBytes;
using aql::test::TempDir;
using aql::test::writeBytes;

TEST(AtomicFile, replacesTheTargetWithExactlyTheNewBytes) {
    TempDir dir;
    auto target = dir / "LogValues.csv";
    writeBytes(target, "old content that is longer than the new one\r\n");
    aql::writeFileAtomically(target, std::string("a,b\r\n\xE9\0z", 8));
    EXPECT_EQ(readBytes(target), std::string("a,b\r\n\xE9\0z", 8));
    EXPECT_FALSE(std::filesystem::exists(dir / "LogValues.csv.part"));
}

TEST(AtomicFile, aFailedWriteLeavesTheOldFileAndReportsTheTarget) {
    TempDir dir;
    auto target = dir / "config.xml";
    writeBytes(target, "<old/>");
    // A folder where the temporary file must go makes creating it fail.
    std::filesystem::create_directory(dir / "config.xml.part");
    try {
        aql::writeFileAtomically(target, "<new/>");
        FAIL() << "the write should have failed";
    } catch (const AqlError &e) {
        EXPECT_EQ(e.number(), 75);
        EXPECT_NE(e.description().find("config.xml"), std::string::npos);
    }
    EXPECT_EQ(readBytes(target), "<old/>");
}

TEST(AtomicFile, aMissingFolderIsReportedNotCreated) {
    TempDir dir;
    auto target = dir / "no-such-folder" / "out.xml";
    EXPECT_THROW(aql::writeFileAtomically(target, "x"), AqlError);
    EXPECT_FALSE(std::filesystem::exists(dir / "no-such-folder"));
}
