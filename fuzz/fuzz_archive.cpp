// Whatever bytes an archive file holds after a crash, a power cut or a hand edit: opening it
// either refuses it (AqlError) or keeps every byte before the cut exactly as it was, and a record
// appended afterwards is read back from the file. Anything else aborts.
#include "FuzzBox.h"
#include "core/Error.h"
#include "records/Exports.h"
#include "records/LogArchive.h"
#include "records/LogRecord.h"
#include "records/RecordList.h"
#include "support/MemoryArchiveStorage.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using aql::fuzz::check;

aql::records::LogRecord probeRecord() {
    // A number and a time no line of a fuzzed file is likely to share.
    std::string line = "3,1,2000000001,2099-12-31 23:59,0";
    for (int field = 1; field <= 60; ++field) {
        line += "," + std::to_string(field);
    }
    aql::records::LogRecord r;
    r.fromFile(line, aql::records::rtype::kLog);
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace aql;
    const std::string header = records::exportCsvHeader() + "\r\n";
    const std::string body(reinterpret_cast<const char *>(data), data ? size : 0);
    // Half the inputs start as a real archive does, so the fuzzer reaches the lines.
    const std::string original = size > 0 && (data[0] & 1) != 0 ? header + body : body;

    test::MemoryArchiveStorage storage;
    const std::filesystem::path folder = "pool";
    const std::filesystem::path file = folder / records::LogArchive::kFileName;
    storage.put(file, original);
    records::LogArchive archive(storage);
    records::ArchiveOpening opening;
    try {
        opening = archive.open(folder);
    } catch (const AqlError &) {
        check(storage.content(file) == original, "a refused file was changed");
        return 0;
    }
    const std::string kept = storage.content(file).value_or("");
    if (opening.created) {
        // Nothing of a record was there (empty, or a torn header): a fresh header replaces it.
        check(kept == header && opening.cutBytes == original.size(),
              "a fresh archive is not the header alone");
    } else {
        check(kept.size() + opening.cutBytes == original.size() &&
                  original.compare(0, kept.size(), kept) == 0,
              "opening changed bytes before the cut");
    }
    const std::size_t before = archive.recordCount();
    if (!archive.append(probeRecord())) {
        return 0; // already there: nothing to prove
    }
    archive.flush();
    archive.close();
    check(storage.content(file).value_or("").compare(0, kept.size(), kept) == 0,
          "appending rewrote earlier bytes");
    records::LogArchive again(storage);
    again.open(folder); // an AqlError here escapes: the program's own file must open
    check(again.recordCount() == before + 1, "the appended record does not read back");
    records::RecordList list;
    again.loadInto(list);
    check(list.contains(probeRecord().key()), "the appended record does not load");
    return 0;
}
