#include "records/Exports.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <string>

using namespace aql::records;

namespace {

struct NameRow {
    const char *what;
    TextEncoding encoding;
    std::string name;
    std::string written; // between the tags, bytes as in the file
    std::string reads;   // what an XML reader gets, UTF-8
};

const NameRow kRows[] = {
    {"Latin-1 from the configuration", TextEncoding::SingleByte, "Zwembad Caf\xE9",
     "Zwembad Caf\xE9", "Zwembad Caf\xC3\xA9"},
    {"the Western code page's euro", TextEncoding::SingleByte, "\x80 5", "&#8364; 5",
     "\xE2\x82\xAC 5"},
    {"a byte that code page leaves undefined", TextEncoding::SingleByte, "a\x81z", "a&#129;z",
     "a\xC2\x81z"},
    {"UTF-8 from the command line", TextEncoding::Utf8, "Zwembad Caf\xC3\xA9", "Zwembad Caf\xE9",
     "Zwembad Caf\xC3\xA9"},
    {"letters Latin-1 lacks", TextEncoding::Utf8,
     "\xC5\x81\xC3\xB3"
     "d\xC5\xBA",
     "&#321;\xF3"
     "d&#378;",
     "\xC5\x81\xC3\xB3"
     "d\xC5\xBA"},
    {"beyond the Basic Multilingual Plane", TextEncoding::Utf8, "\xF0\x9F\x8F\x8A", "&#127946;",
     "\xF0\x9F\x8F\x8A"},
    {"bytes that are no UTF-8", TextEncoding::Utf8, "a\xC3 \xE9\xBF z\xC0\xAF",
     "a&#65533; &#65533;&#65533; z&#65533;&#65533;",
     "a\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD z\xEF\xBF\xBD\xEF\xBF\xBD"},
    {"markup", TextEncoding::Utf8, "A&B <C> \"D\"", "A&amp;B &lt;C&gt; &quot;D&quot;",
     "A&B <C> \"D\""},
    {"line breaks and tabs", TextEncoding::SingleByte, "a\tb\r\nc", "a&#9;b&#13;&#10;c",
     "a\tb\r\nc"},
    {"control characters XML cannot carry", TextEncoding::SingleByte, std::string("a\x01z\0", 4),
     "a&#65533;z&#65533;", "a\xEF\xBF\xBDz\xEF\xBF\xBD"},
};

// "Zwembad Café" came out as UTF-8 bytes under the ISO-8859-1 declaration and read back as
// "Zwembad CafÃ©".
TEST(XmlNames, readBackAsTheyWereMeant) {
    for (const NameRow &row : kRows) {
        SCOPED_TRACE(row.what);
        XmlDocumentInfo info;
        info.executableName = "AqlRemote";
        info.siteName = row.name;
        info.poolName = row.name;
        info.contact = row.name;
        info.textEncoding = row.encoding;
        const std::string xml = xmlDocument(info, RecordList());
        ASSERT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", 0), 0u);
        EXPECT_NE(xml.find("<siteName>" + row.written + "</siteName>"), std::string::npos) << xml;
        EXPECT_NE(xml.find("<pool name=\"" + row.written + "\">"), std::string::npos) << xml;

        pugi::xml_document doc;
        const pugi::xml_parse_result parsed =
            doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_auto);
        ASSERT_TRUE(parsed) << parsed.description();
        const pugi::xml_node root = doc.document_element();
        EXPECT_EQ(std::string(root.child("siteName").text().get()), row.reads);
        EXPECT_EQ(std::string(root.child("contact").text().get()), row.reads);
        EXPECT_EQ(std::string(root.child("pools").child("pool").attribute("name").value()),
                  row.reads);
    }
}

} // namespace
