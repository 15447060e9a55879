// Received bytes cut into lines and checked, in read sizes chosen by the input itself.
#include "FuzzBox.h"
#include "link/LineFramer.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace aql::link;
    using aql::fuzz::check;
    if (size == 0) {
        return 0;
    }
    const std::size_t readSize = 1 + data[0] % 64;
    std::string_view stream(reinterpret_cast<const char *>(data) + 1, size - 1);
    LineFramer framer;
    char payload[kLongestPayload];
    for (std::size_t pos = 0; pos < stream.size(); pos += readSize) {
        framer.append(stream.substr(pos, readSize));
        check(framer.pending().size() <= kLongestLine, "the partial line grew unbounded");
        std::string_view line;
        while (framer.nextLine(line)) {
            check(line.find('\r') == std::string_view::npos, "a line holds its CR", line);
            CheckedLine checked = checkLine(line, payload);
            check(checked.status == LineStatus::Ignored ||
                      checked.payload.size() == (line.size() - 1) / 2,
                  "the payload is not half the line", line);
            check(checked.status != LineStatus::Ok || frameChecksumOK(checked.payload),
                  "a line with a bad checksum passed", line);
        }
    }
    return 0;
}
