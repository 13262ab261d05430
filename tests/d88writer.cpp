#include "d88writer.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace fixture {

namespace {

void PutLe16(Bytes& out, size_t at, int value) {
    out[at] = static_cast<unsigned char>(value);
    out[at + 1] = static_cast<unsigned char>(value >> 8);
}

void PutLe32(Bytes& out, size_t at, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<unsigned char>(u >> (8 * i));
}

constexpr int kHeaderSize = 688;
constexpr int kSystemClusters[] = {74, 75};
constexpr unsigned char kFree = 0xFF, kReserved = 0xFE;

}  // namespace

Bytes BuildImage(const Image& image) {
    Bytes out(kHeaderSize, 0);
    for (size_t i = 0; i < image.name.size() && i < 16; ++i)
        out[i] = image.name[i];
    out[0x1B] = static_cast<unsigned char>(image.mediaType);
    for (const auto& [track, sectors] : image.tracks) {
        PutLe32(out, 0x20 + 4 * track, static_cast<std::int32_t>(out.size()));
        for (const Sector& s : sectors) {
            const size_t at = out.size();
            out.resize(at + 16, 0);
            out[at] = static_cast<unsigned char>(s.c);
            out[at + 1] = static_cast<unsigned char>(s.h);
            out[at + 2] = static_cast<unsigned char>(s.r);
            out[at + 3] = static_cast<unsigned char>(s.n);
            PutLe16(out, at + 4, s.count >= 0 ? s.count : static_cast<int>(sectors.size()));
            PutLe16(out, at + 14,
                    s.storedSize >= 0 ? s.storedSize : static_cast<int>(s.data.size()));
            out.insert(out.end(), s.data.begin(), s.data.end());
        }
    }
    for (const auto& [track, offset] : image.offsetOverrides)
        PutLe32(out, 0x20 + 4 * track, offset);
    PutLe32(out, 0x1C,
            image.overrideDiskSize ? image.diskSize : static_cast<std::int32_t>(out.size()));
    return out;
}

Bytes BuildContainer(const std::vector<Image>& images) {
    Bytes out;
    for (const Image& image : images) {
        const Bytes one = BuildImage(image);
        out.insert(out.end(), one.begin(), one.end());
    }
    return out;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes Pattern(size_t size, int seed) {
    Bytes out(size);
    for (size_t i = 0; i < size; ++i)
        out[i] = static_cast<unsigned char>(i * 7 + seed + i / 251);
    return out;
}

N88Disk::N88Disk() : bytes(80 * kTrackSize, 0xFF) {
    for (int cluster : kSystemClusters)
        Table(cluster) = kReserved;
}

void N88Disk::SetEntry(int k, const std::string& name, const std::string& ext, int firstCluster) {
    unsigned char* entry = Entry(k);
    for (int i = 0; i < 16; ++i)
        entry[i] = 0;
    for (int i = 0; i < 6; ++i)
        entry[i] = i < static_cast<int>(name.size()) ? name[i] : ' ';
    for (int i = 0; i < 3; ++i)
        entry[6 + i] = i < static_cast<int>(ext.size()) ? ext[i] : ' ';
    entry[10] = static_cast<unsigned char>(firstCluster);
}

int N88Disk::AddFile(const std::string& name, const std::string& ext, const Bytes& contents) {
    int k = 0;
    while (Entry(k)[0] != 0xFF)
        ++k;
    int first = -1, previous = -1;
    size_t done = 0;
    do {
        int cluster = 0;
        while (Table(cluster) != kFree)
            ++cluster;
        const size_t piece = std::min<size_t>(contents.size() - done, kClusterSize);
        std::copy(contents.begin() + done, contents.begin() + done + piece, Cluster(cluster));
        done += piece;
        Table(cluster) = static_cast<unsigned char>(0xC0 | (piece + 255) / 256);
        if (previous >= 0) Table(previous) = static_cast<unsigned char>(cluster);
        if (first < 0) first = cluster;
        previous = cluster;
    } while (done < contents.size());
    SetEntry(k, name, ext, first);
    return first;
}

bool N88Disk::TrackInUse(int track) const {
    if (track == 37) return true;
    for (int cluster = 2 * track; cluster < 2 * track + 2; ++cluster) {
        if (bytes[kTableStart + cluster] != kFree) return true;
    }
    return false;
}

Image N88Disk::ToImage(const std::string& diskName) const {
    Image image;
    image.name = diskName;
    for (int track = 0; track < 80; ++track) {
        std::vector<Sector>& sectors = image.tracks[track];
        for (int r = 1; r <= 16; ++r) {
            const auto start = bytes.begin() + track * kTrackSize + (r - 1) * 256;
            sectors.push_back({track / 2, track % 2, r, 1, Bytes(start, start + 256)});
        }
    }
    return image;
}

Image N88Disk::ToSparseImage(const std::string& diskName) const {
    Image image = ToImage(diskName);
    for (int track = 0; track < 80; ++track) {
        if (!TrackInUse(track)) image.tracks.erase(track);
    }
    return image;
}

}  // namespace fixture
