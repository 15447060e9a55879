#pragma once

#include "platform/FileSaver.h"
#include "records/RecordList.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace aql::records {

// The header line of the CSV export (30 quoted titles and "$%^", no line end), as every record's
// csvHeaders gives it. A file that starts with it holds export lines for fromExportCsv.
std::string exportCsvHeader();

// The whole CSV export of a record list: the header line of the first record, then one line per
// record, every line ended by CR LF. An empty list gives an empty text (no header either).
std::string recordListCsv(const RecordList &records);

// Writes recordListCsv to `path` through the saver, a piece at a time (AqlError 75 on failure, an
// existing file untouched; a record that cannot be exported raises its AqlError 91 the same way).
void writeRecordListCsv(platform::FileSaver &saver, const std::filesystem::path &path,
                        const RecordList &records);

// How the texts handed to a writer are encoded.
enum class TextEncoding {
    // The program's single-byte texts, as the configuration and the language files give them:
    // Latin-1, with the bytes 0x80-0x9F as the Windows Western code page has them ("€" is 0x80).
    SingleByte,
    // UTF-8, as command-line arguments and file names arrive.
    Utf8,
};

// What the XML document says about its origin and its pool.
struct XmlDocumentInfo {
    std::string executableName;    // xmlGenerator: name, " V", major.minor.revision
    std::int32_t majorVersion = 2; // also the root name: aqlLogV + 3 digits
    std::int32_t minorVersion = 0;
    std::int32_t revision = 41;
    std::string generatedAt; // local time, "yyyy-mm-dd hh:nn:ss"
    std::string contact;     // the contact element's address; empty: kContactAddress
    std::string siteName;    // the pool's resort
    std::string poolName;
    std::int32_t numberOfPools = 0;                       // all pools of the site
    TextEncoding textEncoding = TextEncoding::SingleByte; // of every text above
};

// The fixed address of the contact element. The reserved ".invalid" domain keeps a document that
// leaves the site from pointing anybody at a real mailbox.
inline constexpr std::string_view kContactAddress = "support@aqlremote.invalid";

// The XML document of one pool's records, lines ended by CR LF, declared and encoded ISO-8859-1.
// The texts of `info` are escaped (& < > "), since a site or pool name comes from the
// configuration and must not break the document; a character Latin-1 cannot hold ("€", "Ł")
// becomes a character reference ("&#8364;"), tab, line feed and carriage return too, and what XML
// cannot carry at all (other control characters, bytes that are no UTF-8) becomes "&#65533;".
std::string xmlDocument(const XmlDocumentInfo &info, const RecordList &records);

// Writes xmlDocument to `path` through the saver (AqlError 75 on failure, an existing file
// untouched).
void writeXmlDocument(platform::FileSaver &saver, const std::filesystem::path &path,
                      const XmlDocumentInfo &info, const RecordList &records);

} // namespace aql::records
