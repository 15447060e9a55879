#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace aql::sim {

// Faults the simulator can inject, each off until asked for. "One in N" faults draw from the
// connection's seeded generator, so a seed repeats the same pattern.
struct FaultOptions {
    std::uint32_t corruptEvery = 0; // corrupt-checksum=N: every Nth line
    bool drop = false;              // drop-after=N[:mid]
    std::uint32_t dropAfter = 0;
    bool dropMidLine = false;
    bool silent = false; // silent-after=N
    std::uint32_t silentAfter = 0;
    bool split = false;                  // split
    std::uint32_t wrongAddressOneIn = 0; // wrong-address[=N]
    std::uint32_t unknownTypeOneIn = 0;  // unknown-type[=N]
    std::uint32_t garbageOneIn = 0;      // garbage[=N]
    std::uint32_t duplicatesOneIn = 0;   // duplicates[=N]
    bool slow = false;                   // slow=D
    std::uint32_t slowMs = 0;

    bool any() const;
};

struct Options {
    std::string bind = "127.0.0.1";
    std::uint16_t port = 0;
    std::uint8_t address = 1;
    std::uint32_t records = 500;
    std::uint32_t seed = 1;
    bool unaddressed = false;
    std::uint32_t logRate = 0; // record lines pushed per second without polls; 0 = on polls only
    std::int64_t startMinutes; // controller clock at start, minutes since 1970
    FaultOptions faults;
    bool help = false;

    Options();
};

struct ParseResult {
    Options options;
    std::string error; // empty when the arguments were understood

    bool ok() const { return error.empty(); }
};

// The arguments after the program name.
ParseResult parseArguments(const std::vector<std::string> &args);

// One fault setting ("drop-after=5:mid"); an empty result means it was understood.
std::string applyFault(const std::string &setting, FaultOptions &faults);

std::string usage(const std::string &program);

} // namespace aql::sim
