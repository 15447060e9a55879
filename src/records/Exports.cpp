#include "records/Exports.h"

#include "core/Error.h"
#include "core/Numbers.h"

#include <memory>
#include <system_error>

namespace aql::records {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Names come from the site configuration and may hold any character; the record values are
// numbers and need no escaping.
void appendEscaped(std::string &out, std::string_view text) {
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c; break;
        }
    }
}

void appendElement(std::string &out, std::string_view tag, std::string_view text) {
    out += "  <";
    out += tag;
    out += '>';
    appendEscaped(out, text);
    out += "</";
    out += tag;
    out += '>';
    out += kLineEnd;
}

} // namespace

std::string exportCsvHeader() {
    return "\"Record Type\",\"Record Key\",\"Record Number\",\"Date / Time\",\"Temperature\"," +
           LogValues().csvHeaders() + "$%^";
}

// The widest any number can print: "-2147483648", or a pH such as "-3.402823E+38".
constexpr std::size_t kWidestNumber = 13;

std::string recordListCsv(const RecordList &records) {
    std::string out;
    if (records.empty()) {
        return out;
    }
    const LogRecord &first = records.item(1);
    const std::string header = first.csvHeaders();
    const std::string firstLine = first.toCSV();
    // Room for every line with each of its 35 numbers (the timestamp's six included) at its widest:
    // the text is never moved while it grows, and reserved pages that stay unwritten cost nothing.
    const std::size_t widestLine = firstLine.size() + 36 * kWidestNumber + kLineEnd.size();
    out.reserve(header.size() + kLineEnd.size() + records.count() * widestLine);
    out += header;
    out += kLineEnd;
    records.forEach([&](const LogRecord &r) {
        r.appendCSV(out);
        out += kLineEnd;
    });
    return out;
}

void writeRecordListCsv(platform::FileSaver &saver, const std::filesystem::path &path,
                        const RecordList &records) {
    saver.saveWhole(path, recordListCsv(records));
}

namespace {

constexpr std::int32_t kRecordIndentation = 6;
constexpr std::int32_t kRecordIncrement = 2;

// Room for one record with each of its 70 numbers at its widest.
std::size_t widestXmlRecord(const RecordList &records) {
    if (records.empty()) {
        return 0;
    }
    return records.item(1).toXML(kRecordIndentation, kRecordIncrement).size() + 70 * kWidestNumber +
           kLineEnd.size();
}

// Appends the document to `out`. After every record `drain(out)` may take the text written so
// far away (to a file) and clear it.
template <class Drain>
void buildXmlDocument(const XmlDocumentInfo &info, const RecordList &records, std::string &out,
                      Drain &&drain) {
    const std::string root = "aqlLogV" + padded(info.majorVersion, 3);
    out += "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
    out += kLineEnd;
    out += '<';
    out += root;
    out += '>';
    out += kLineEnd;
    appendElement(out, "xmlGenerator",
                  info.executableName + " V" + std::to_string(info.majorVersion) + "." +
                      std::to_string(info.minorVersion) + "." + std::to_string(info.revision));
    appendElement(out, "generatedAt", info.generatedAt);
    appendElement(out, "contact", info.contact.empty() ? kContactAddress : info.contact);
    appendElement(out, "siteName", info.siteName);
    out += "  <reagentType>chlorine</reagentType>";
    out += kLineEnd;
    appendElement(out, "numberOfPools", std::to_string(info.numberOfPools));
    out += "  <pools>";
    out += kLineEnd;
    out += "    <pool name=\"";
    appendEscaped(out, info.poolName);
    out += "\">";
    out += kLineEnd;

    records.forEach([&](const LogRecord &r) {
        r.appendXML(out, kRecordIndentation, kRecordIncrement);
        out += kLineEnd;
        drain(out);
    });

    out += "    </pool>";
    out += kLineEnd;
    out += "  </pools>";
    out += kLineEnd;
    out += "</";
    out += root;
    out += '>';
    out += kLineEnd;
}

} // namespace

std::string xmlDocument(const XmlDocumentInfo &info, const RecordList &records) {
    std::string out;
    out.reserve(1024 +
                6 * (info.siteName.size() + info.poolName.size() + info.contact.size() +
                     info.executableName.size() + info.generatedAt.size()) +
                records.count() * widestXmlRecord(records));
    buildXmlDocument(info, records, out, [](std::string &) {});
    return out;
}

void writeXmlDocument(platform::FileSaver &saver, const std::filesystem::path &path,
                      const XmlDocumentInfo &info, const RecordList &records) {
    // The XML export of a long log runs to hundreds of megabytes, more than is sensible to hold in
    // memory beside the records, so it goes to the file in pieces; the saver still replaces the
    // target only once the whole document is there.
    constexpr std::size_t kPiece = 1 << 20;
    const std::unique_ptr<platform::FileSink> sink = saver.open(path);
    std::string buffer;
    buffer.reserve(kPiece + widestXmlRecord(records) + 4096);
    buildXmlDocument(info, records, buffer, [&](std::string &text) {
        if (text.size() >= kPiece) {
            sink->write(text);
            text.clear();
        }
    });
    sink->write(buffer);
    sink->commit();
}

} // namespace aql::records
