#pragma once

#include "core/Error.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "records/RecordList.h"
#include "shell/LanguageTexts.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <string>

namespace aql::shell {

// A record file refused at one of its lines: the error readFile raises, with which line (counted
// from 1, the header being line 1) and why, in English, for a message such as
// "log.csv, line 7: 29 fields where the export header has 30".
class RecordLineError : public AqlError {
public:
    RecordLineError(const AqlError &error, std::size_t lineNumber, std::string reason);

    std::size_t lineNumber() const { return m_lineNumber; }
    const std::string &reason() const { return m_reason; }

private:
    std::size_t m_lineNumber;
    std::string m_reason;
};

// Reads a stored record file (a CSV log as the log export writes it) back into a record list,
// normally the current pool's.
class FileReader {
public:
    // A stored line is about 300 characters; anything past this cannot be a record.
    static constexpr std::size_t kMaxLineLength = 64u * 1024u;

    // `texts` gives the messages' wording, `box` shows them; all three must outlive the reader.
    FileReader(records::RecordList &target, const LanguageTexts &texts, platform::MessageBox &box);

    // Reads `fileName` into the target list by its insertion rule; a record whose key is present
    // already is skipped. The separator is always the comma, the first line always the header and
    // every line is read: `delimiter`, `firstRowNames` and `stopRow` are accepted for the callers'
    // sake only. An empty file name does nothing. An empty file shows the text "stored log empty",
    // a first line without "Record" in its first 10 characters the text "not a stored log"
    // (critical style); the list keeps what it held. Any error while reading (file not found, a
    // line no parser can read) ends the reading, keeps the records inserted so far and is raised
    // as AqlError with the same number, source "ReadFile" and the text "stored log unreadable" as
    // its description; an error at a line is a RecordLineError that says which line and why.
    //
    // Under the export's own header line every line is read in the export's column layout (30
    // fields, pH in pH units); a line of another field count is refused (error 13). Under any
    // other header every line is a stored record line.
    //
    // Lines: as the export writes them (CR LF), or ended by LF or CR alone; the last line needs no
    // line end. One empty line at the very end is allowed; any other empty line is refused.
    void readFile(const std::string &fileName, const std::string &delimiter = ",",
                  bool firstRowNames = true, std::int32_t stopRow = 20000);

    // readFile over the content of an already opened stream.
    void readStream(std::istream &in);

    records::RecordList &target() { return m_target; }

private:
    void readLines(std::istream &in);
    // One record line into `record`; a line no parser can read raises a RecordLineError.
    void readLine(std::string_view line, bool exportLayout, std::size_t number,
                  records::LogRecord &record);
    static RecordLineError tooLong(std::size_t number);

    records::RecordList &m_target;
    const LanguageTexts &m_texts;
    platform::MessageBox &m_box;
};

// True when the first 10 characters of `line`, blanks around them removed, contain "Record".
bool isRecordHeader(std::string_view line);

// How a base-file import ended.
enum class BaseFileImport {
    Cancelled, // no file chosen: the list is as it was
    Read,      // readFile returned (after a message, if any)
    Stopped,   // readFile raised an error: the records read before it stay
};

// The Base-file command: asks `chooseFile` for a file (nullopt = Cancel); once a file is chosen,
// empties the reader's target list and reads the file. An error ends the import without a
// message. Cancel leaves the records held untouched.
BaseFileImport importBaseFile(FileReader &reader,
                              const std::function<std::optional<std::string>()> &chooseFile);

// The same with the platform's file dialog, opened in `programFolder` on "CSV files|*.csv".
BaseFileImport importBaseFile(FileReader &reader, platform::FileDialog &dialog,
                              const std::string &programFolder);

} // namespace aql::shell
