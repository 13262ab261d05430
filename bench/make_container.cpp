// Writes the benchmark container: full N88-BASIC 2D disks (64 unless a count is given), every
// cluster but the system track's in use by files of 1 to 24 clusters.
#include <cstdio>
#include <cstdlib>
#include <random>

#include "d88writer.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s output.d88 [disks]\n", argv[0]);
        return 1;
    }
    const int disks = argc == 3 ? std::atoi(argv[2]) : 64;
    std::mt19937 random(88);
    std::vector<fixture::Image> images;
    int files = 0;
    for (int d = 0; d < disks; ++d) {
        fixture::N88Disk disk;
        int freeClusters = 158;
        for (int k = 0; freeClusters > 0; ++k) {
            int clusters = std::min(freeClusters, 1 + static_cast<int>(random() % 24));
            freeClusters -= clusters;
            fixture::Bytes contents((clusters - 1) * 2048 + 256 * (1 + random() % 8));
            for (unsigned char& byte : contents)
                byte = static_cast<unsigned char>(random());
            char name[16];
            std::snprintf(name, sizeof name, "F%05d", k);
            disk.AddFile(name, "DAT", contents);
            ++files;
        }
        images.push_back(disk.ToImage("BENCH" + std::to_string(d)));
    }
    fixture::WriteFile(argv[1], fixture::BuildContainer(images));
    std::printf("%d files\n", files);
    return 0;
}
