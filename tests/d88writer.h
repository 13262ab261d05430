// A small D88 writer for building test containers, the bundled sample and seed inputs.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace fixture {

using Bytes = std::vector<unsigned char>;

struct Sector {
    int c = 0, h = 0, r = 1, n = 1;
    Bytes data;
    int count = -1;  // sector count stored in the header; -1: the number of sectors in the track
    int storedSize = -1;  // data size stored in the header; -1: data.size()
};

struct Image {
    std::string name;  // at most 16 bytes are stored
    int mediaType = 0;
    std::map<int, std::vector<Sector>> tracks;    // by track slot, laid out in slot order
    std::map<int, std::int32_t> offsetOverrides;  // track slot -> offset stored instead
    bool overrideDiskSize = false;
    std::int32_t diskSize = 0;  // stored instead when overrideDiskSize
};

Bytes BuildImage(const Image& image);
Bytes BuildContainer(const std::vector<Image>& images);
void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);

// `size` bytes that depend on `seed` and that do not repeat from one 256-byte sector to the next,
// so a sector written in the wrong place shows.
Bytes Pattern(size_t size, int seed);

// An N88-Disk BASIC 2D disk as flat bytes, track after track, freshly formatted: an empty
// directory, every cluster free but the two of the system track.
struct N88Disk {
    static constexpr int kTrackSize = 4096;
    static constexpr int kClusterSize = 2048;
    static constexpr int kDirectoryStart = 37 * kTrackSize;
    static constexpr int kTableStart = kDirectoryStart + 13 * 256;

    Bytes bytes;

    N88Disk();
    unsigned char* Entry(int k) { return &bytes[kDirectoryStart + 16 * k]; }
    unsigned char& Table(int cluster) { return bytes[kTableStart + cluster]; }
    unsigned char* Cluster(int k) { return &bytes[k * kClusterSize]; }
    // Writes directory entry k: name and extension padded with spaces, and the first cluster.
    void SetEntry(int k, const std::string& name, const std::string& ext, int firstCluster);
    // Stores a file in free clusters and the next unused directory entry; its length is rounded up
    // to whole sectors. Returns its first cluster.
    int AddFile(const std::string& name, const std::string& ext, const Bytes& contents);
    bool TrackInUse(int track) const;
    // The disk as a D88 image: 80 tracks of records 1 to 16, in order.
    Image ToImage(const std::string& diskName) const;
    // The same with only the tracks that hold something (and the system track), as a writer that
    // stores no unformatted track makes it; small enough to ship.
    Image ToSparseImage(const std::string& diskName) const;
};

}  // namespace fixture
