// Replays a fuzz target's corpus without libFuzzer, or writes its seeds:
//   fuzz_<name>_replay DIR|FILE...
//   fuzz_<name>_replay --write-seeds DIR
#include "fuzz/FuzzTarget.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> readAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int writeSeeds(const fs::path& dir)
{
    fs::create_directories(dir);
    for (const FuzzSeed& s : fuzzSeeds()) {
        std::ofstream out(dir / s.name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(s.bytes.data()), static_cast<std::streamsize>(s.bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", (dir / s.name).c_str());
            return 1;
        }
    }
    std::printf("%zu seeds written to %s\n", fuzzSeeds().size(), dir.c_str());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--write-seeds")
        return writeSeeds(argv[2]);
    std::size_t inputs = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<fs::path> files;
        if (fs::is_directory(argv[i])) {
            for (const auto& e : fs::recursive_directory_iterator(argv[i]))
                if (e.is_regular_file())
                    files.push_back(e.path());
        } else {
            files.emplace_back(argv[i]);
        }
        for (const fs::path& f : files) {
            fuzzOne(readAll(f));
            ++inputs;
        }
    }
    // The seeds too, so a corpus that lost them still checks the writers.
    for (const FuzzSeed& s : fuzzSeeds()) {
        fuzzOne(s.bytes);
        ++inputs;
    }
    if (argc < 2 || inputs == fuzzSeeds().size()) {
        std::fprintf(stderr, "no corpus files given or found\n");
        return 1;
    }
    std::printf("%zu inputs replayed\n", inputs);
    return 0;
}
