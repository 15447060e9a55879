// Writes a large file through the saver and stops before committing it, for a test that kills
// it there: argv[1] the target, argv[2] how many MiB.
#include "platform/qt/QtFileSaver.h"

#include <cstdlib>
#include <iostream>
#include <string>

#include <unistd.h>

int main(int argc, char **argv) {
    if (argc != 3) {
        return 2;
    }
    aql::platform::QtFileSaver saver;
    auto sink = saver.open(argv[1]);
    const std::string piece(1 << 20, 'x');
    for (int i = 0; i < std::atoi(argv[2]); ++i) {
        sink->write(piece);
    }
    std::cout << "written" << std::endl;
    for (;;) {
        ::pause();
    }
}
