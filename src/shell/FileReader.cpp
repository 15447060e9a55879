#include "shell/FileReader.h"

#include "core/Error.h"
#include "core/TextId.h"
#include "records/Exports.h"
#include "shell/LineReader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace aql::shell {
namespace {

constexpr std::size_t kExportColumns = 30;
// Records read go into the list together, in batches that grow from kFirstBatch to kLargestBatch
// records, so that a short file takes little memory and a long one is sorted in a few large runs.
constexpr std::size_t kFirstBatch = 256;
constexpr std::size_t kLargestBatch = 32768;
} // namespace

RecordLineError::RecordLineError(const AqlError &error, std::size_t lineNumber, std::string reason)
    : AqlError(error), m_lineNumber(lineNumber), m_reason(std::move(reason)) {}

bool isRecordHeader(std::string_view line) {
    // Blanks trimmed off those ten characters cannot change whether the word stands inside them.
    return line.substr(0, 10).find("Record") != std::string_view::npos;
}

FileReader::FileReader(records::RecordList &target, const LanguageTexts &texts,
                       platform::MessageBox &box)
    : m_target(target), m_texts(texts), m_box(box) {}

void FileReader::readFile(const std::string &fileName, const std::string & /*delimiter*/,
                          bool /*firstRowNames*/, std::int32_t /*stopRow*/) {
    if (fileName.empty()) {
        return;
    }
    const std::filesystem::path path(fileName);
    std::ifstream in(path, std::ios::binary);
    std::error_code ec;
    if (!in.is_open() || std::filesystem::is_directory(path, ec)) {
        const int number =
            std::filesystem::exists(path, ec) ? errc::kPathFileAccess : errc::kFileNotFound;
        throw standardError(number, "ReadFile")
            .withSource("ReadFile", m_texts.getText(TextId::StoredLogUnreadable));
    }
    readStream(in);
}

void FileReader::readStream(std::istream &in) {
    const std::string unreadable = m_texts.getText(TextId::StoredLogUnreadable);
    try {
        readLines(in);
    } catch (const RecordLineError &e) {
        throw RecordLineError(e.withSource("ReadFile", unreadable), e.lineNumber(), e.reason());
    } catch (const AqlError &e) {
        throw e.withSource("ReadFile", unreadable);
    }
}

void FileReader::readLines(std::istream &in) {
    LineReader lines(in, kMaxLineLength);
    if (lines.atEnd()) {
        m_box.show(m_texts.getText(TextId::StoredLogEmpty), platform::style::kCritical);
        return;
    }
    std::size_t number = 1;
    std::string_view line;
    if (lines.next(line) == LineReader::Status::TooLong) {
        throw tooLong(number);
    }
    if (!isRecordHeader(line)) {
        m_box.show(m_texts.getText(TextId::NotAStoredLog), platform::style::kCritical);
        return;
    }
    // Our own export puts the columns in another order than the stored layout and writes pH in
    // pH units; read through the stored layout, its values would land in the wrong fields.
    const bool exportLayout = line == records::exportCsvHeader();
    // The records go into the list a batch at a time: a batch is sorted once, where single
    // inserts of a shuffled file would each search the whole list.
    std::vector<records::LogRecord> batch;
    batch.reserve(kFirstBatch);
    try {
        // An editor may leave an empty line at the end; anywhere else it is a line that says
        // nothing.
        std::size_t emptyLine = 0;
        for (;;) {
            const LineReader::Status status = lines.next(line);
            ++number;
            if (status == LineReader::Status::End) {
                break;
            }
            if (emptyLine != 0) {
                throw RecordLineError(standardError(errc::kTypeMismatch, "FileReader.readFile"),
                                      emptyLine, "empty line");
            }
            if (status == LineReader::Status::TooLong) {
                throw tooLong(number);
            }
            if (line.empty()) {
                emptyLine = number;
                continue;
            }
            try {
                readLine(line, exportLayout, number, batch.emplace_back());
            } catch (const AqlError &) {
                batch.pop_back(); // what was made of the refused line is no record
                throw;
            }
            if (batch.size() == batch.capacity()) {
                const std::size_t next = std::min(2 * batch.size(), kLargestBatch);
                m_target.insertAll(std::move(batch));
                batch = {};
                batch.reserve(next);
            }
        }
    } catch (const AqlError &) {
        // The records read before the refused line stay.
        m_target.insertAll(std::move(batch));
        throw;
    }
    // A key already present is the normal case when a file is read twice: skipped silently.
    m_target.insertAll(std::move(batch));
}

RecordLineError FileReader::tooLong(std::size_t number) {
    return RecordLineError(standardError(errc::kInvalidArgument, "FileReader.readFile"), number,
                           "longer than " + std::to_string(kMaxLineLength) + " characters");
}

void FileReader::readLine(std::string_view line, bool exportLayout, std::size_t number,
                          records::LogRecord &record) {
    try {
        if (exportLayout) {
            record.fromExportCsv(line, records::rtype::kLog);
        } else {
            record.fromFile(line, records::rtype::kLog);
        }
    } catch (const AqlError &e) {
        // fromExportCsv refuses any other field count before it reads a value, so the fields need
        // counting only on a refused line, where a wrong count is what it is refused for.
        const auto fields = static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')) + 1;
        if (exportLayout && fields != kExportColumns) {
            // Read any other way its values would land in the wrong fields without a word.
            throw RecordLineError(standardError(errc::kTypeMismatch, "FileReader.readFile"), number,
                                  std::to_string(fields) + " fields where the export header has " +
                                      std::to_string(kExportColumns));
        }
        throw RecordLineError(e, number, e.description());
    }
}

BaseFileImport importBaseFile(FileReader &reader,
                              const std::function<std::optional<std::string>()> &chooseFile) {
    std::optional<std::string> file;
    try {
        file = chooseFile();
    } catch (const AqlError &) {
        return BaseFileImport::Cancelled;
    }
    if (!file) {
        return BaseFileImport::Cancelled;
    }
    // Emptied only now: cancelling the dialog must not throw away the records on screen.
    reader.target().clear();
    try {
        reader.readFile(*file, ",", true, 20000);
    } catch (const AqlError &) {
        // The import ends silently; whatever was read before the error stays in the list.
        return BaseFileImport::Stopped;
    }
    return BaseFileImport::Read;
}

BaseFileImport importBaseFile(FileReader &reader, platform::FileDialog &dialog,
                              const std::string &programFolder) {
    return importBaseFile(reader,
                          [&] { return dialog.openFile(programFolder, "CSV files|*.csv"); });
}

} // namespace aql::shell
