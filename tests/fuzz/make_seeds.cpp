// Writes the fuzzers' seed containers into a folder: make_seeds tests/fuzz/corpus
#include <cstdio>
#include <string>

#include "d88writer.h"

namespace {

using fixture::Bytes;
using fixture::Image;
using fixture::N88Disk;

N88Disk Files(int seed) {
    N88Disk disk;
    disk.AddFile("HELLO", "BAS", fixture::Pattern(300, seed));
    disk.AddFile("DATA", "", fixture::Pattern(5000, seed + 1));
    disk.AddFile("EMPTY", "", {});
    return disk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s folder\n", argv[0]);
        return 1;
    }
    const std::string folder = argv[1];
    fixture::WriteFile(folder + "/one.d88", fixture::BuildImage(Files(1).ToSparseImage("ONE")));
    fixture::WriteFile(folder + "/two.d88",
                       fixture::BuildContainer(
                           {Files(2).ToSparseImage("FIRST"), Files(3).ToSparseImage("SECOND")}));

    // Records stored in the order 1, 14, 11, 8, ... on every track.
    Image interleaved = Files(4).ToSparseImage("INTERLEAVED");
    for (auto& [track, sectors] : interleaved.tracks) {
        std::vector<fixture::Sector> reordered;
        for (int k = 0; k < 16; ++k)
            reordered.push_back(sectors[k * 13 % 16]);
        sectors = reordered;
    }
    fixture::WriteFile(folder + "/interleaved.d88", fixture::BuildImage(interleaved));

    // A damaged disk: a missing sector, a short one, a chain that loops, one that leaves the disk,
    // and names that are no plain file names.
    N88Disk damaged = Files(5);
    damaged.SetEntry(3, "LOOP", "", 40);
    damaged.Table(40) = 41;
    damaged.Table(41) = 40;
    damaged.SetEntry(4, "OFF", "", 170);
    damaged.SetEntry(5, "..", "", 0);
    damaged.SetEntry(6, "A/B", "", 0);
    Image image = damaged.ToSparseImage("DAMAGED");
    image.tracks[0].erase(image.tracks[0].begin() + 4);
    image.tracks[0][6].data.resize(100);
    image.tracks[20] = {};
    fixture::WriteFile(folder + "/damaged.d88", fixture::BuildImage(image));
    return 0;
}
