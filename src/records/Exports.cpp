#include "records/Exports.h"

#include "core/Error.h"
#include "core/Numbers.h"

#include <memory>
#include <system_error>

namespace aql::records {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The Windows Western code page's characters at 0x80-0x9F; 0 where it has none (the byte then
// stays the control character Latin-1 has there).
constexpr char32_t kWesternHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr char32_t kReplacement = 0xFFFD;

char32_t fromSingleByte(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F && kWesternHigh[byte - 0x80] != 0) {
        return kWesternHigh[byte - 0x80];
    }
    return byte;
}

// One character of UTF-8 at `at`, which moves past it; a byte that starts no valid sequence
// (a stray continuation, an overlong form, a surrogate, beyond U+10FFFF) is one U+FFFD.
char32_t nextUtf8(std::string_view text, std::size_t &at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    int length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07u;
    } else {
        ++at;
        return kReplacement;
    }
    if (at + static_cast<std::size_t>(length) > text.size()) {
        ++at;
        return kReplacement;
    }
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + static_cast<std::size_t>(i)]);
        if ((next & 0xC0u) != 0x80u) {
            ++at;
            return kReplacement;
        }
        c = (c << 6) | (next & 0x3Fu);
    }
    const char32_t lowest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (c < lowest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++at;
        return kReplacement;
    }
    at += static_cast<std::size_t>(length);
    return c;
}

void appendReference(std::string &out, char32_t c) {
    out += "&#";
    out += std::to_string(static_cast<std::uint32_t>(c));
    out += ';';
}

// One character into a document declared ISO-8859-1.
void appendCharacter(std::string &out, char32_t c) {
    switch (c) {
    case '&': out += "&amp;"; return;
    case '<': out += "&lt;"; return;
    case '>': out += "&gt;"; return;
    case '"': out += "&quot;"; return;
    case '\t':
    case '\n':
    case '\r':
        // Written as they are, a parser would turn them into blanks inside the pool's name.
        appendReference(out, c);
        return;
    default: break;
    }
    if (c < 0x20 || c == 0xFFFE || c == 0xFFFF) {
        appendReference(out, kReplacement); // XML 1.0 has no way to carry these
    } else if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        out += static_cast<char>(static_cast<unsigned char>(c));
    } else {
        appendReference(out, c);
    }
}

// Names come from the site configuration or the command line and may hold any character; the
// record values are numbers and need no escaping.
void appendEscaped(std::string &out, std::string_view text, TextEncoding encoding) {
    std::size_t at = 0;
    while (at < text.size()) {
        if (encoding == TextEncoding::Utf8) {
            appendCharacter(out, nextUtf8(text, at));
        } else {
            appendCharacter(out, fromSingleByte(static_cast<unsigned char>(text[at++])));
        }
    }
}

void appendElement(std::string &out, std::string_view tag, std::string_view text,
                   TextEncoding encoding) {
    out += "  <";
    out += tag;
    out += '>';
    appendEscaped(out, text, encoding);
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

namespace {

// Room for one line of the first record with each of its 35 numbers (the timestamp's six included)
// at its widest.
std::size_t widestCsvLine(const LogRecord &first) {
    return first.toCSV().size() + 36 * kWidestNumber + kLineEnd.size();
}

// Appends the CSV export to `out`. After every line `drain(out)` may take the text written so far
// away (to a file) and clear it.
template <class Drain>
void buildRecordListCsv(const RecordList &records, std::string &out, Drain &&drain) {
    if (records.empty()) {
        return;
    }
    out += records.item(1).csvHeaders();
    out += kLineEnd;
    records.forEach([&](const LogRecord &r) {
        r.appendCSV(out);
        out += kLineEnd;
        drain(out);
    });
}

} // namespace

std::string recordListCsv(const RecordList &records) {
    std::string out;
    if (records.empty()) {
        return out;
    }
    // Room for every line at its widest: the text is never moved while it grows, and reserved
    // pages that stay unwritten cost nothing.
    out.reserve(exportCsvHeader().size() + kLineEnd.size() +
                records.count() * widestCsvLine(records.item(1)));
    buildRecordListCsv(records, out, [](std::string &) {});
    return out;
}

void writeRecordListCsv(platform::FileSaver &saver, const std::filesystem::path &path,
                        const RecordList &records) {
    // The text goes to the file in pieces, as the XML does: a long log's export is not held whole
    // in memory beside the records, and a piece is written while it is still in the cache. The
    // saver still replaces the target only once the whole text is there.
    constexpr std::size_t kPiece = 1 << 20;
    const std::unique_ptr<platform::FileSink> sink = saver.open(path);
    std::string buffer;
    buffer.reserve(kPiece + (records.empty() ? 0 : widestCsvLine(records.item(1))) + 1024);
    buildRecordListCsv(records, buffer, [&](std::string &text) {
        if (text.size() >= kPiece) {
            sink->write(text);
            text.clear();
        }
    });
    sink->write(buffer);
    sink->commit();
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
    const TextEncoding encoding = info.textEncoding;
    appendElement(out, "xmlGenerator",
                  info.executableName + " V" + std::to_string(info.majorVersion) + "." +
                      std::to_string(info.minorVersion) + "." + std::to_string(info.revision),
                  encoding);
    appendElement(out, "generatedAt", info.generatedAt, encoding);
    appendElement(out, "contact", info.contact.empty() ? kContactAddress : info.contact, encoding);
    appendElement(out, "siteName", info.siteName, encoding);
    out += "  <reagentType>chlorine</reagentType>";
    out += kLineEnd;
    appendElement(out, "numberOfPools", std::to_string(info.numberOfPools), encoding);
    out += "  <pools>";
    out += kLineEnd;
    out += "    <pool name=\"";
    appendEscaped(out, info.poolName, encoding);
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
