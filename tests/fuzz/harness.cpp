#include "harness.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "d88image.h"
#include "n88volume.h"

namespace fs = std::filesystem;

namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// A scratch folder for the whole process, holding the container and the output folder; removed
// when the process ends.
char scratchName[4096];

void RemoveScratch() {
    std::error_code ignored;
    fs::remove_all(scratchName, ignored);
}

fs::path Scratch() {
    if (!scratchName[0]) {
        const std::string pattern = (fs::temp_directory_path() / "diskpeel-fuzz-XXXXXX").string();
        Check(pattern.size() < sizeof scratchName, "scratch folder");
        std::strcpy(scratchName, pattern.c_str());
        Check(mkdtemp(scratchName) != nullptr, "scratch folder");
        std::atexit(RemoveScratch);
    }
    return scratchName;
}

std::string WriteContainer(const std::uint8_t* data, std::size_t size) {
    const std::string path = (Scratch() / "container.d88").string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    Check(file != nullptr, "container written");
    if (size > 0) std::fwrite(data, 1, size, file);
    Check(std::fclose(file) == 0, "container written");
    return path;
}

// Numbers for the reads, taken from the input itself, from its end backwards.
class Numbers {
  public:
    Numbers(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}
    int Next() {
        if (size == 0) return 0;
        const int value = data[size - 1 - at % size];
        ++at;
        return value;
    }

  private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

}  // namespace

void FuzzReader(const std::uint8_t* data, std::size_t size) {
    const std::string path = WriteContainer(data, size);
    D88Image reader;
    Check(reader.Open(path.c_str()), "open");
    Check(reader.ImageCount() >= 0 && reader.ImageCount() <= D88Image::MaxImages, "image count");
    Numbers numbers(data, size);
    for (int i = -1; i <= reader.ImageCount(); ++i) {
        const bool selected = reader.SelectImage(i);
        Check(selected == (i >= 0 && i < reader.ImageCount()), "selection");
        Check(std::strlen(reader.DiskName()) <= 16, "disk name");
        if (numbers.Next() & 1) reader.SetSectorRange(numbers.Next() & 31, numbers.Next() & 31);
        for (int n = 0; n <= 3; ++n) {
            const int track = numbers.Next() % 170 - 3, c = numbers.Next(), h = numbers.Next() & 3,
                      r = numbers.Next() & 31;
            const int length = (numbers.Next() << 8 | numbers.Next()) % 9000 - 8;
            std::vector<unsigned char> buffer(length > 0 ? length : 0);
            const int run = reader.ReadSectors(track, c, h, r, n, buffer.data(), length);
            Check(run >= 0 && run <= (length > 0 ? length : 0), "run length");
            const int one = reader.ReadSector(track, c, h, r, n, buffer.data(), length);
            Check(one >= 0 && one <= (length > 0 ? length : 0), "sector length");
            const int ids = reader.ReadSectorIds(track, buffer.data(), length);
            Check(ids >= 0 && ids <= (length > 0 ? length : 0) && ids % 4 == 0, "id list length");
        }
    }
    Check(reader.Open(nullptr) && reader.ImageCount() == 0, "close");
}

void FuzzExtract(const std::uint8_t* data, std::size_t size) {
    const fs::path scratch = Scratch();
    const fs::path out = scratch / "out";
    fs::create_directory(out);
    const std::string path = WriteContainer(data, size);
    const fs::path home = fs::current_path();
    fs::current_path(out);
    {
        D88Image reader;
        Check(reader.Open(path.c_str()), "open");
        for (int i = 0; i < reader.ImageCount(); ++i) {
            reader.SelectImage(i);
            reader.SetSectorRange(1, 16);
            LoadVolume(reader);
            ExtractMembers();
        }
    }
    std::fflush(stdout);
    fs::current_path(home);

    // The scratch folder holds the container and the output folder, and nothing else; the output
    // folder holds plain files no larger than 160 clusters.
    for (const fs::directory_entry& item : fs::directory_iterator(scratch)) {
        Check(item.path() == out || item.path() == path, "nothing outside the output folder");
    }
    for (const fs::directory_entry& item : fs::directory_iterator(out)) {
        Check(item.is_regular_file() && !item.is_symlink(), "only plain files");
        Check(item.file_size() <= std::uintmax_t{ClusterCount} * ClusterSize, "file size");
    }
    fs::remove_all(out);
}
