#include "core/AtomicFile.h"

#include "core/Error.h"

#include <fstream>
#include <string>
#include <system_error>

namespace aql {

void writeFileAtomically(const std::filesystem::path &target, std::string_view bytes) {
    namespace fs = std::filesystem;
    const char *source = "writeFileAtomically";
    // A fixed suffix keeps the temporary file next to the target, on the same volume, so the
    // rename is atomic; a crashed earlier write leaves only a stale ".part" file behind.
    fs::path temp = target;
    temp += ".part";

    auto fail = [&](const std::string &why) -> AqlError {
        std::error_code ignored;
        if (fs::is_regular_file(temp, ignored)) {
            fs::remove(temp, ignored); // only our own partial file, never whatever else is there
        }
        return AqlError(errc::kPathFileAccess, source,
                        "Could not write " + target.u8string() + ": " + why);
    };

    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            throw fail("cannot create the file");
        }
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            throw fail("writing failed");
        }
        out.close();
        if (out.fail()) {
            throw fail("closing failed");
        }
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        throw fail(ec.message());
    }
}

} // namespace aql
