// A console's archive or a saved file in another process, for the tests that need a second holder
// or one killed while it writes: argv[1] "hold", "append" or "save", argv[2] the pool's data folder
// or, for "save", the file.
//   hold    opens the archive, says "held", and waits to be killed;
//   append  opens it and appends the 15-minute log from record 1 in batches of 50, flushing each
//           and saying "batch <n>" after it, until it is killed;
//   save    writes 64 MiB through the file saver, says "written" and waits, never committing.
#include "platform/qt/QtArchiveStorage.h"
#include "platform/qt/QtFileSaver.h"
#include "records/LogArchive.h"
#include "support/DownloadedRecords.h"

#include <cstdint>
#include <iostream>
#include <string>

#include <unistd.h>

int main(int argc, char **argv) {
    if (argc != 3) {
        return 2;
    }
    const std::string mode = argv[1];
    if (mode == "save") {
        auto sink = aql::platform::QtFileSaver().open(argv[2]);
        for (int i = 0; i < 64; ++i) {
            sink->write(std::string(1 << 20, 'x'));
        }
        std::cout << "written" << std::endl;
        for (;;) {
            ::pause();
        }
    }
    aql::platform::QtArchiveStorage storage;
    aql::records::LogArchive archive(storage);
    try {
        archive.open(argv[2]);
    } catch (const aql::AqlError &e) {
        std::cout << "refused: " << e.description() << std::endl;
        return 1;
    }
    if (mode == "hold") {
        std::cout << "held" << std::endl;
        for (;;) {
            ::pause();
        }
    }
    std::int32_t number = 1;
    for (int batch = 1;; ++batch) {
        for (int i = 0; i < 50; ++i, ++number) {
            archive.append(aql::test::loggedRecord(number));
        }
        archive.flush();
        std::cout << "batch " << batch << std::endl;
    }
}
