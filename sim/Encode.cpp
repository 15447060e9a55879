// What the simulator puts on the wire. Every line is the kind byte (1 or 2), the payload as nibble
// pairs ('0' + low nibble, then '0' + high nibble) and a CR. Lengths chosen:
//
//   packet            kind  line  payload  body (type .. checksum)
//   display           1     171   85       85
//   display           2     173   86       85 (address first)
//   log record        1     171   85       85
//   log record        2     173   86       85
//   variable block    2     173   86       85 (address first; never kind 1)
//   unknown type      1/2   171/173  85/86    85
//
// The console reads variable blocks from addressed lines only.
//
// Display body:
//   1      1 (type)
//   2      status flags: RUN, ALARM, MANUAL, backlight, beep (bits 0-4)
//   3      cursor code: display-memory address, bit 7 = shown
//   4-83   80 characters, top row first
//   84     0
//   85     checksum
//
// Log record body (value block read from block position 1):
//   1      3 (type)
//   2-5    record key, 32-bit LE
//   6-9    record number, 32-bit LE
//   10-11  year LE;  12 month;  13 day;  14 hour;  15 minute
//   16-83  value block, 68 bytes (block position p = body position p + 15):
//            1-2 reagent (Cl, hundredths mg/l)    3-4 reagent setpoint
//            5-6 reagent high alarm               7-8 reagent low alarm
//            9 reagent pump %    10 reagent bits
//            11-12 pH (hundredths)                13-14 pH setpoint
//            15-16 pH high alarm                  17-18 pH low alarm
//            19 acid pump %    20 pH bits
//            21 flow m3/h    22 flow low alarm    23 flow stop alarm    24 flow bits
//            25 0    26-27 cell null    28-29 cell active    30-31 cell second (TBC)
//            32-33 cell empty (GBC %)    34 0
//            35, 39, 43, 47, 51, 55 digital inputs 1-6 (0 or 1)    48 miscellaneous status
//            every other position up to 68: 0
//   84     0 (not read)
//   85     checksum
//
// Variable block body:
//   1      5 (type)
//   2      block 0-8
//   3      0
//   4-55   26 values, 16-bit LE, value i at 2i+2
//   56-84  0
//   85     checksum

#include "sim/Encode.h"

#include "link/FrameCodec.h"

#include <stdexcept>

namespace aql::sim {

namespace {

void putWord(Bytes &out, std::size_t position, std::uint16_t value) {
    out[position - 1] = static_cast<char>(value & 0xFF);
    out[position] = static_cast<char>(value >> 8);
}

void putLong(Bytes &out, std::size_t position, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        out[position - 1 + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

void putByte(Bytes &out, std::size_t position, std::uint8_t value) {
    out[position - 1] = static_cast<char>(value);
}

constexpr std::size_t kValueBlockStart = 16; // body position of value block position 1
constexpr std::array<std::size_t, 6> kDigitalInputPositions = {35, 39, 43, 47, 51, 55};

} // namespace

void appendNibbles(std::string &out, std::string_view bytes) {
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.push_back(static_cast<char>(0x30 | (b & 0x0F)));
        out.push_back(static_cast<char>(0x30 | (b >> 4)));
    }
}

std::string encodeLine(LineKind kind, std::string_view payload) {
    const auto kindByte = static_cast<std::uint8_t>(kind);
    if (!link::acceptedLineLength(kindByte, 1 + 2 * payload.size())) {
        throw std::logic_error("aqlsim: payload of " + std::to_string(payload.size()) +
                               " bytes makes a line the console refuses");
    }
    std::string line;
    line.reserve(2 + 2 * payload.size());
    line.push_back(static_cast<char>(kindByte));
    appendNibbles(line, payload);
    line.push_back('\r');
    return line;
}

void sealChecksum(Bytes &payload) {
    payload.back() = static_cast<char>(link::frameChecksum(static_cast<std::uint8_t>(payload[0]),
                                                           static_cast<std::uint8_t>(payload[1])));
}

Bytes packetPayload(LineKind kind, std::uint8_t address, std::string_view body) {
    Bytes payload;
    payload.reserve(body.size() + 1);
    if (kind == LineKind::Addressed) {
        payload.push_back(static_cast<char>(address));
    }
    payload.append(body.data(), body.size());
    sealChecksum(payload);
    return payload;
}

Bytes displayBody(const Display &display) {
    Bytes body(kBodySize, '\0');
    putByte(body, 1, ptype::kDisplay);
    putByte(body, 2, display.flags);
    putByte(body, 3, display.cursor);
    for (std::size_t i = 0; i < kDisplayCells; ++i) {
        body[3 + i] = i < display.text.size() ? display.text[i] : ' ';
    }
    return body;
}

Bytes recordValueBlock(const LogRecord &r) {
    Bytes block(kValueBlockSize, '\0');
    putWord(block, 1, r.reagent);
    putWord(block, 3, r.reagentSetpoint);
    putWord(block, 5, r.reagentHighAlarm);
    putWord(block, 7, r.reagentLowAlarm);
    putByte(block, 9, r.reagentPump);
    putByte(block, 10, r.reagentBits);
    putWord(block, 11, r.pH);
    putWord(block, 13, r.pHSetpoint);
    putWord(block, 15, r.pHHighAlarm);
    putWord(block, 17, r.pHLowAlarm);
    putByte(block, 19, r.acidPump);
    putByte(block, 20, r.pHBits);
    putByte(block, 21, r.flow);
    putByte(block, 22, r.flowLowAlarm);
    putByte(block, 23, r.flowStopAlarm);
    putByte(block, 24, r.flowBits);
    putWord(block, 26, r.cellNull);
    putWord(block, 28, r.cellActive);
    putWord(block, 30, r.cellActive2);
    putWord(block, 32, r.cellEmpty);
    for (std::size_t i = 0; i < kDigitalInputPositions.size(); ++i) {
        putByte(block, kDigitalInputPositions[i], r.digitalInputs[i]);
    }
    putByte(block, 48, r.miscellaneousStatus);
    return block;
}

Bytes recordBody(const LogRecord &record) {
    Bytes body(kBodySize, '\0');
    putByte(body, 1, ptype::kLogRecord);
    putLong(body, 2, record.key);
    putLong(body, 6, record.number);
    putWord(body, 10, static_cast<std::uint16_t>(record.time.year));
    putByte(body, 12, static_cast<std::uint8_t>(record.time.month));
    putByte(body, 13, static_cast<std::uint8_t>(record.time.day));
    putByte(body, 14, static_cast<std::uint8_t>(record.time.hour));
    putByte(body, 15, static_cast<std::uint8_t>(record.time.minute));
    body.replace(kValueBlockStart - 1, kValueBlockSize, recordValueBlock(record));
    return body;
}

Bytes variableBlockBody(std::uint8_t block, const VariableBlock &values) {
    Bytes body(kBodySize, '\0');
    putByte(body, 1, ptype::kVariableBlock);
    putByte(body, 2, block);
    for (std::size_t i = 1; i <= values.size(); ++i) {
        putWord(body, 2 * i + 2, values[i - 1]);
    }
    return body;
}

Bytes unknownTypeBody(std::uint8_t type) {
    Bytes body(kBodySize, '\0');
    putByte(body, 1, type);
    return body;
}

std::string displayLine(LineKind kind, std::uint8_t address, const Display &display) {
    return encodeLine(kind, packetPayload(kind, address, displayBody(display)));
}

std::string recordLine(LineKind kind, std::uint8_t address, const LogRecord &record) {
    return encodeLine(kind, packetPayload(kind, address, recordBody(record)));
}

std::string variableBlockLine(std::uint8_t address, std::uint8_t block,
                              const VariableBlock &values) {
    return encodeLine(LineKind::Addressed, packetPayload(LineKind::Addressed, address,
                                                         variableBlockBody(block, values)));
}

} // namespace aql::sim
