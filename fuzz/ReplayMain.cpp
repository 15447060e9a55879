// Runs a fuzz target over every file of the given folders (or the given files), the way libFuzzer
// replays a corpus, so each target is exercised by CTest in every build.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

int main(int argc, char **argv) {
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        if (std::filesystem::is_directory(argv[i])) {
            for (const auto &entry : std::filesystem::recursive_directory_iterator(argv[i])) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
        } else if (std::filesystem::exists(argv[i])) {
            files.emplace_back(argv[i]);
        }
    }
    for (const auto &file : files) {
        std::ifstream in(file, std::ios::binary);
        // A copy of exactly the right size lets ASan catch reads past the end, as under libFuzzer.
        const std::vector<std::uint8_t> exact((std::istreambuf_iterator<char>(in)),
                                              std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
    }
    LLVMFuzzerTestOneInput(nullptr, 0);
    std::printf("replayed %zu inputs\n", files.size());
    return files.empty() ? 1 : 0;
}
