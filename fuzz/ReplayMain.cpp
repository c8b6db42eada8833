// Feeds every file of the given folders (or the given files) to the target once, as the fuzzer
// would: a crash found once stays found, in every build, with no fuzzer linked.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

// As the fuzzer counts it: a single allocation above 32 MB is a fault. The inputs are small
// files, and a reader must refuse a size its file cannot hold before it allocates for it.
void *operator new(std::size_t size)
{
    if (size > (std::size_t(32) << 20)) {
        std::fprintf(stderr, "allocation démesurée : %zu octets\n", size);
        std::abort();
    }
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void *p) noexcept
{
    std::free(p);
}

void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}

namespace {

bool replay(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "illisible : %s\n", file.c_str());
        return false;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // A copy of exactly the file's size, so that a read past its end is a read past the block.
    std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(data.data(), data.size());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    int replayed = 0;
    bool ok = argc > 1;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(path)) {
            for (const auto &entry : std::filesystem::directory_iterator(path))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        } else {
            files.push_back(path);
        }
        std::sort(files.begin(), files.end());
        for (const auto &file : files) {
            ok = replay(file) && ok;
            ++replayed;
        }
    }
    std::printf("%d fichier(s) rejoué(s)\n", replayed);
    // An empty corpus tests nothing: it counts as a failure.
    return ok && replayed > 0 ? 0 : 1;
}
