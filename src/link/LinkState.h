#pragma once

#include <cstdint>

namespace aql::records {
class RecordList;
}

namespace aql::link {

// What the link's parts share besides what the main window shows: the controller being operated,
// where its log goes, and what its replies last said.
struct LinkState {
    std::uint8_t controllerAddress = 0;
    records::RecordList *currentRecords = nullptr; // the log of the pool being operated
    // A valid reply arrived since the reply watch last looked.
    bool replyReceived = false;
    // As the controller last sent it: bits 0-6 a display-memory address, bit 7 set = shown.
    std::uint16_t cursorPosition = 0;
};

} // namespace aql::link
