// Received bytes cut into lines and checked, in read sizes chosen by the input itself.
#include "link/LineFramer.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace aql::link;
    if (size == 0) {
        return 0;
    }
    const std::size_t readSize = 1 + data[0] % 64;
    std::string_view stream(reinterpret_cast<const char *>(data) + 1, size - 1);
    LineFramer framer;
    char payload[kLongestPayload];
    for (std::size_t pos = 0; pos < stream.size(); pos += readSize) {
        framer.append(stream.substr(pos, readSize));
        if (framer.pending().size() > kLongestLine) {
            std::abort(); // the partial line must stay bounded
        }
        std::string_view line;
        while (framer.nextLine(line)) {
            if (line.find('\r') != std::string_view::npos) {
                std::abort();
            }
            CheckedLine checked = checkLine(line, payload);
            if (checked.status != LineStatus::Ignored &&
                checked.payload.size() != (line.size() - 1) / 2) {
                std::abort();
            }
            if (checked.status == LineStatus::Ok && !frameChecksumOK(checked.payload)) {
                std::abort();
            }
        }
    }
    return 0;
}
