#include "support/ShellRig.h"
#include "unit/link/LinkRig.h"

#include <gtest/gtest.h>

#include <string>

using namespace aql;
using namespace aql::test;

namespace {

// Started with `arguments`, Online to a controller at address 1 that sends the one log record
// `record`: that record as the log holds it.
records::LogRecord received(const std::string &arguments, const std::string &record) {
    ShellRig rig("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<aqlRemoteConfig>"
                 "<siteName>Oost</siteName><managedSystems>"
                 "<system address=\"1\" ipaddress=\"127.0.0.1\" port=\"4100\" name=\"Bad\"/>"
                 "</managedSystems></aqlRemoteConfig>\r\n",
                 ShellRig::Texts::Numbered);
    rig.useProject("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<aqlRemoteConfig>"
                   "<UseProject UP=\"1\"/><Update Time=\"x\"/><Project projectname=\"P\">"
                   "<system systemname=\"S\"><pool a0=\"Bad\" a1=\"\" a2=\"\" a3=\"\" a4=\"\" "
                   "a5=\"127.0.0.1\" a6=\"4100\"/></system></Project></aqlRemoteConfig>\r\n");
    rig.open(arguments);
    EXPECT_TRUE(rig.started);
    rig.main->console().chooseOnline(); // project mode is Online already
    EXPECT_TRUE(rig.main->console().connected());
    rig.socket.deliver(addressedLine(1, record) + "\r");
    const records::RecordList &log = rig.main->currentPool()->records();
    EXPECT_EQ(log.count(), 1u);
    return log.count() == 1 ? log.item(1) : records::LogRecord();
}

} // namespace

// The controller sends the same bytes however the console was started: a system code on the
// command line changes which pool is operated, never where a value stands in a record.
TEST(RecordDecoding, aConsoleStartedWithASystemCodeDecodesARecordAsAnInteractiveOne) {
    // A value block holding its own positions (byte at position i is i), so a value read one
    // position off comes out different.
    std::string record = recordBody(4711, 815);
    const std::size_t blockStart = 1 + 4 + 4 + 6;
    for (std::size_t i = 0; i < 68; ++i) {
        record[blockStart + i] = static_cast<char>(i + 1);
    }
    const records::LogRecord r = received("000000", record);
    EXPECT_EQ(r.toCSV(), received("", record).toCSV());

    // And neither shifted (the layout itself is pinned with the records): reagent is the word at
    // positions 1-2.
    EXPECT_EQ(r.recordNumber, 815);
    EXPECT_EQ(r.values()->reagent, 1 + 2 * 256);
}
