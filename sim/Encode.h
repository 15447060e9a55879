#pragma once

#include "sim/Calendar.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace aql::sim {

// Byte strings: each char carries one byte (0-255), as on the console's side.
using Bytes = std::string;

enum class LineKind : std::uint8_t { Unaddressed = 1, Addressed = 2 };

// Every packet body the simulator sends is this long (type byte first, checksum byte last): the
// one size that fits the display layout and the log record with a 55-byte value block, and that
// the console accepts in both line kinds (85 payload bytes for kind 1, 86 with the address for
// kind 2).
constexpr std::size_t kBodySize = 85;
constexpr std::size_t kValueBlockSize = 68;
constexpr std::size_t kVariablesPerBlock = 26;
constexpr std::size_t kDisplayCells = 80;

namespace ptype {
constexpr std::uint8_t kDisplay = 1;
constexpr std::uint8_t kLogRecord = 3;
constexpr std::uint8_t kVariableBlock = 5;
constexpr std::uint8_t kUnknown = 9; // a type no console release knows, for the fault injector
} // namespace ptype

// Status flags of a display packet.
namespace flag {
constexpr std::uint8_t kRun = 0x01;
constexpr std::uint8_t kAlarm = 0x02;
constexpr std::uint8_t kManual = 0x04;
constexpr std::uint8_t kBacklight = 0x08;
constexpr std::uint8_t kBeep = 0x10;
} // namespace flag

constexpr std::uint8_t kCursorShown = 0x80;

struct Display {
    std::uint8_t flags = 0;
    std::uint8_t cursor = 0;
    std::string text = std::string(kDisplayCells, ' '); // 4 rows of 20, top row first
};

// One log record in the controller's own units: chlorine and pH in hundredths, flow in m3/h.
struct LogRecord {
    std::uint32_t key = 0;
    std::uint32_t number = 0;
    Timestamp time;
    std::uint16_t reagent = 0;
    std::uint16_t reagentSetpoint = 0;
    std::uint16_t reagentHighAlarm = 0;
    std::uint16_t reagentLowAlarm = 0;
    std::uint8_t reagentPump = 0;
    std::uint8_t reagentBits = 0;
    std::uint16_t pH = 0;
    std::uint16_t pHSetpoint = 0;
    std::uint16_t pHHighAlarm = 0;
    std::uint16_t pHLowAlarm = 0;
    std::uint8_t acidPump = 0;
    std::uint8_t pHBits = 0;
    std::uint8_t flow = 0;
    std::uint8_t flowLowAlarm = 0;
    std::uint8_t flowStopAlarm = 0;
    std::uint8_t flowBits = 0;
    std::uint16_t cellNull = 0;
    std::uint16_t cellActive = 0;
    std::uint16_t cellActive2 = 0;
    std::uint16_t cellEmpty = 0;
    std::array<std::uint8_t, 6> digitalInputs{};
    std::uint8_t miscellaneousStatus = 0;
};

using VariableBlock = std::array<std::uint16_t, kVariablesPerBlock>;

// Appends each byte as two characters, low nibble first, each '0' + nibble (0x30-0x3F): printable,
// never a CR, and only the low 4 bits count on the receiving side.
void appendNibbles(std::string &out, std::string_view bytes);

// The whole line: kind byte, nibble-encoded payload, CR. A payload whose line length the console
// would not accept is a programming error (std::logic_error).
std::string encodeLine(LineKind kind, std::string_view payload);

// Payload of a packet: the address in front for kind 2, then the body; the last byte becomes the
// checksum of the first two.
Bytes packetPayload(LineKind kind, std::uint8_t address, std::string_view body);
void sealChecksum(Bytes &payload);

Bytes displayBody(const Display &display);
Bytes recordBody(const LogRecord &record);
Bytes recordValueBlock(const LogRecord &record);
Bytes variableBlockBody(std::uint8_t block, const VariableBlock &values);
Bytes unknownTypeBody(std::uint8_t type);

std::string displayLine(LineKind kind, std::uint8_t address, const Display &display);
std::string recordLine(LineKind kind, std::uint8_t address, const LogRecord &record);
// Variable blocks always travel addressed: the console takes them from kind-2 lines only.
std::string variableBlockLine(std::uint8_t address, std::uint8_t block,
                              const VariableBlock &values);

} // namespace aql::sim
