#include "cli/Outputs.h"

#include "core/Error.h"
#include "records/Exports.h"
#include "records/Workbook.h"

#include <stdexcept>
#include <system_error>

namespace aql::cli {

namespace fs = std::filesystem;

namespace {

// The same file, or two spellings of one that does not exist yet ("out.csv", "./out.csv").
bool namesSameFile(const fs::path &a, const fs::path &b) {
    if (a == "-" || b == "-") {
        return a == b;
    }
    if (platform::sameFile(a, b)) {
        return true;
    }
    std::error_code ea;
    std::error_code eb;
    const fs::path ca = fs::weakly_canonical(fs::absolute(a, ea), ea);
    const fs::path cb = fs::weakly_canonical(fs::absolute(b, eb), eb);
    return !ea && !eb && ca == cb;
}

std::string spelled(const fs::path &path) {
    return path.u8string();
}

} // namespace

std::vector<Output> planOutputs(const CliArgs &args, const platform::FileSaver &saver,
                                const std::optional<fs::path> &input) {
    std::vector<Output> outputs;
    const struct {
        const char *name;
        ExportFormat format;
    } kinds[] = {
        {"csv", ExportFormat::Csv}, {"xml", ExportFormat::Xml}, {"xlsx", ExportFormat::Xlsx}};
    for (const auto &kind : kinds) {
        if (auto value = args.value(kind.name)) {
            if (value->empty()) {
                throw std::invalid_argument(std::string("--") + kind.name + " needs a file name");
            }
            outputs.push_back({kind.format, fs::u8path(*value), std::string("--") + kind.name});
        }
    }
    if (outputs.empty()) {
        throw std::invalid_argument("no output given: name at least one of --csv, --xml, --xlsx "
                                    "(\"-\" writes to standard output)");
    }
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const Output &out = outputs[i];
        if (input && namesSameFile(out.path, *input)) {
            throw std::invalid_argument(out.option + " " + spelled(out.path) +
                                        " is the input file: it would be destroyed");
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (namesSameFile(out.path, outputs[j].path)) {
                throw std::invalid_argument(outputs[j].option + " and " + out.option +
                                            " name the same file, " + spelled(out.path));
            }
        }
        if (auto why = saver.whyNotWritable(out.path)) {
            throw std::invalid_argument(out.option + " " + spelled(out.path) +
                                        " cannot be written: " + *why);
        }
    }
    return outputs;
}

fs::path incompleteName(const fs::path &target) {
    fs::path name = target.stem();
    name += ".incomplete";
    name += target.extension();
    return target.parent_path() / name;
}

std::string leftAsItWas(const Output &output, const platform::FileSaver &saver) {
    return spelled(output.path) + (saver.kindOf(output.path) == platform::TargetKind::Missing
                                       ? " was not created"
                                       : " was left as it was");
}

Destination destinationFor(const Output &output, bool runSucceeded, std::size_t records,
                           const platform::FileSaver &saver, const std::vector<fs::path> &keep) {
    const std::string target = spelled(output.path);
    if (runSucceeded) {
        return {output.path, false, {}};
    }
    if (records == 0) {
        return {std::nullopt, false, "nothing was received: " + leftAsItWas(output, saver)};
    }
    switch (saver.kindOf(output.path)) {
    case platform::TargetKind::Missing:
    case platform::TargetKind::NotRegular:
    case platform::TargetKind::StandardOutput: return {output.path, true, {}};
    case platform::TargetKind::Directory:
        return {std::nullopt, false, target + " is a folder: nothing was written"};
    case platform::TargetKind::Regular: break;
    }
    const fs::path beside = incompleteName(output.path);
    for (const fs::path &kept : keep) {
        if (namesSameFile(beside, kept)) {
            return {std::nullopt, false,
                    spelled(beside) + " is a file of this run: nothing was written beside " +
                        target + ", which was left as it was"};
        }
    }
    return {beside, true, target + " was left as it was"};
}

std::string singleByteFromUtf8(std::string_view utf8) {
    // The Windows Western code page's characters at 0x80-0x9F.
    static const char16_t kWesternHigh[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string out;
    std::size_t at = 0;
    while (at < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const int length = lead < 0x80    ? 1
                           : lead >= 0xF0 ? 4
                           : lead >= 0xE0 ? 3
                           : lead >= 0xC0 ? 2
                                          : 0;
        char32_t c = length == 1   ? lead
                     : length == 2 ? lead & 0x1Fu
                     : length == 3 ? lead & 0x0Fu
                                   : lead & 0x07u;
        bool valid = length != 0 && at + static_cast<std::size_t>(length) <= utf8.size();
        for (int i = 1; valid && i < length; ++i) {
            const auto next = static_cast<unsigned char>(utf8[at + static_cast<std::size_t>(i)]);
            valid = (next & 0xC0u) == 0x80u;
            c = (c << 6) | (next & 0x3Fu);
        }
        if (!valid) {
            out += '?';
            ++at;
            continue;
        }
        at += static_cast<std::size_t>(length);
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        char byte = '?';
        for (int i = 0; i < 32; ++i) {
            if (kWesternHigh[i] != 0 && kWesternHigh[i] == c) {
                byte = static_cast<char>(0x80 + i);
            }
        }
        out += byte;
    }
    return out;
}

namespace {

void writeOne(const Output &output, const fs::path &path, const records::RecordList &records,
              const ExportTexts &texts, platform::FileSaver &saver) {
    switch (output.format) {
    case ExportFormat::Csv: records::writeRecordListCsv(saver, path, records); return;
    case ExportFormat::Xml: {
        records::XmlDocumentInfo info;
        info.executableName = texts.generator;
        info.generatedAt = texts.generatedAt;
        info.siteName = texts.siteName;
        info.poolName = texts.poolName;
        info.numberOfPools = 1;
        info.textEncoding = records::TextEncoding::Utf8;
        records::writeXmlDocument(saver, path, info, records);
        return;
    }
    case ExportFormat::Xlsx: {
        records::WorkbookInfo info;
        info.executableName = singleByteFromUtf8(texts.generator);
        info.siteName = singleByteFromUtf8(texts.siteName);
        info.poolName = singleByteFromUtf8(texts.poolName);
        const std::string bytes = records::workbookBytes(records, info);
        saver.saveWhole(path, bytes);
        return;
    }
    }
}

} // namespace

bool writeOutputs(const std::vector<Output> &outputs, const records::RecordList &records,
                  bool runSucceeded, const ExportTexts &texts, platform::FileSaver &saver,
                  std::ostream &log, const std::optional<fs::path> &input) {
    std::vector<fs::path> keep;
    if (input) {
        keep.push_back(*input);
    }
    for (const Output &output : outputs) {
        keep.push_back(output.path);
    }
    bool allWritten = true;
    for (const Output &output : outputs) {
        const Destination destination =
            destinationFor(output, runSucceeded, records.count(), saver, keep);
        if (!destination.path) {
            log << destination.note << "\n";
            continue;
        }
        try {
            writeOne(output, *destination.path, records, texts, saver);
        } catch (const AqlError &e) {
            log << "error: " << e.description() << "\n";
            allWritten = false;
            continue;
        }
        log << "wrote " << records.count() << (records.count() == 1 ? " record" : " records")
            << " to " << spelled(*destination.path);
        if (destination.incomplete) {
            log << " (incomplete: the run failed" << (destination.note.empty() ? "" : "; ")
                << destination.note << ")";
        }
        log << "\n";
    }
    return allWritten;
}

} // namespace aql::cli
