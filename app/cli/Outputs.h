#pragma once

#include "cli/CliArgs.h"
#include "platform/FileSaver.h"
#include "records/RecordList.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace aql::cli {

enum class ExportFormat { Csv, Xml, Xlsx };

// One file the operator asked for.
struct Output {
    ExportFormat format = ExportFormat::Csv;
    std::filesystem::path path; // as given; "-" is standard output
    std::string option;         // "--csv", for messages
};

// The outputs named by --csv, --xml and --xlsx, checked before anything is connected or read:
// at least one is given, none is the same file as another or as `input` (however each is
// spelled), and each can be written. Paths are UTF-8. std::invalid_argument otherwise, with the
// reason for the operator.
std::vector<Output> planOutputs(const CliArgs &args, const platform::FileSaver &saver,
                                const std::optional<std::filesystem::path> &input = std::nullopt);

// "log.csv" -> "log.incomplete.csv", beside it; "log" -> "log.incomplete".
std::filesystem::path incompleteName(const std::filesystem::path &target);

// Where the records of a run go.
struct Destination {
    std::optional<std::filesystem::path> path; // nothing is written without one
    bool incomplete = false;                   // the run failed: these records are what it got
    std::string note;                          // why, for the operator; empty for a plain write
};

// A run that succeeded writes to the target. A run that failed writes nothing when it received
// nothing; otherwise to the target only when it does not exist yet or is no regular file (a
// device, a pipe, standard output: written straight into, never a file beside it), else beside it
// under incompleteName, so nothing the operator had is replaced by a partial result. A file beside
// it that would be one of `keep` (the input, the other outputs) is not written either.
Destination destinationFor(const Output &output, bool runSucceeded, std::size_t records,
                           const platform::FileSaver &saver,
                           const std::vector<std::filesystem::path> &keep);

// "FILE was left as it was", or "FILE was not created" when there is none.
std::string leftAsItWas(const Output &output, const platform::FileSaver &saver);

// What the exports say about their origin. Texts are UTF-8, as they arrive on the command line.
struct ExportTexts {
    std::string generator = "AQLRemote";
    std::string generatedAt; // "yyyy-mm-dd hh:nn:ss"
    std::string siteName;
    std::string poolName;
};

// Writes the records to every output by destinationFor and reports each on `log` ("wrote N
// records to FILE", or why not). False when an output could not be written; the others are
// still written.
bool writeOutputs(const std::vector<Output> &outputs, const records::RecordList &records,
                  bool runSucceeded, const ExportTexts &texts, platform::FileSaver &saver,
                  std::ostream &log, const std::optional<std::filesystem::path> &input = {});

// UTF-8 as the program's single-byte text (Latin-1, 0x80-0x9F as the Windows Western code page
// has them): characters that has no byte for become "?".
std::string singleByteFromUtf8(std::string_view utf8);

} // namespace aql::cli
