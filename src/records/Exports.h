#pragma once

#include "records/RecordList.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace aql::records {

// The whole CSV export of a record list: the header line of the first record, then one line per
// record, every line ended by CR LF. An empty list gives an empty text (no header either).
std::string recordListCsv(const RecordList &records);

// Writes recordListCsv to `path` atomically (AqlError 75 on failure, the old file untouched).
void writeRecordListCsv(const std::filesystem::path &path, const RecordList &records);

// What the XML document says about its origin and its pool.
struct XmlDocumentInfo {
    std::string executableName;    // xmlGenerator: name, " V", major.minor.revision
    std::int32_t majorVersion = 2; // also the root name: aqlLogV + 3 digits
    std::int32_t minorVersion = 0;
    std::int32_t revision = 41;
    std::string generatedAt;       // local time, "yyyy-mm-dd hh:nn:ss"
    std::string contact;           // the contact element's address
    std::string siteName;          // the pool's resort
    std::string poolName;
    std::int32_t numberOfPools = 0; // all pools of the site
};

// The XML document of one pool's records, lines ended by CR LF.
std::string xmlDocument(const XmlDocumentInfo &info, const RecordList &records);

// Writes xmlDocument to `path` atomically (AqlError 75 on failure, the old file untouched).
void writeXmlDocument(const std::filesystem::path &path, const XmlDocumentInfo &info,
                      const RecordList &records);

} // namespace aql::records
