#include "n88volume.h"

#include <bitset>
#include <cstdio>
#include <cstring>

#include "platform.h"

namespace {

constexpr int kSystemTrack = 37;
constexpr int kSystemCylinder = 18;
constexpr int kSystemHead = 1;
constexpr int kTableRecord = 14;
constexpr int kSectorSize = 256;
constexpr int kSizeCode = 1;  // 128 << 1 = 256
constexpr int kTrackSize = 16 * kSectorSize;
constexpr int kTrackCount = DiskSize / kTrackSize;
constexpr int kEntryCount = DirectorySize / EntrySize;
constexpr int kSectorsPerCluster = ClusterSize / kSectorSize;

constexpr unsigned char kEntryFree = 0x00;
constexpr unsigned char kDirectoryEnd = 0xFF;
constexpr int kFirstClusterOffset = 10;
constexpr int kLastCluster = 0xC0;  // table values from here on end a chain

VolumeBuffers volume;
unsigned char gathered[DiskSize];  // one member file, as it goes out

// Gathers the file whose chain starts at `cluster` into `file`, so that it is written in one go:
// the number of bytes. The walk stays on the disk and always ends: a cluster number past the disk
// or a cluster this file already holds ends the file there, and a last cluster that claims more
// than 8 sectors gives its whole 8. A file thus holds each cluster at most once.
size_t GatherChain(int cluster, unsigned char (&file)[DiskSize]) {
    std::bitset<ClusterCount> taken;
    size_t length = 0;
    while (cluster < ClusterCount && !taken[cluster]) {
        taken[cluster] = true;
        const int next = volume.table[cluster];
        size_t piece = ClusterSize;
        if (next >= kLastCluster && (next & 0x0F) <= kSectorsPerCluster) {
            piece = (next & 0x0F) * size_t{kSectorSize};
        }
        std::memcpy(file + length, volume.disk + cluster * ClusterSize, piece);
        length += piece;
        if (next >= kLastCluster) break;
        cluster = next;
    }
    return length;
}

}  // namespace

void LoadVolume(D88Image& reader) {
    reader.ReadSectors(kSystemTrack, kSystemCylinder, kSystemHead, 1, kSizeCode, volume.directory,
                       DirectorySize);
    reader.ReadSectors(kSystemTrack, kSystemCylinder, kSystemHead, kTableRecord, kSizeCode,
                       volume.table, TableSize);
    for (int track = 0; track < kTrackCount; ++track) {
        reader.ReadSectors(track, track / 2, track % 2, 1, kSizeCode,
                           volume.disk + track * kTrackSize, kTrackSize);
    }
}

void MemberName(const unsigned char* entry, char (&name)[MemberNameSize]) {
    int length = 0;
    for (int i = 0; i < 6 && entry[i] != ' '; ++i) {
        name[length++] = static_cast<char>(entry[i]);
    }
    if (entry[6] != ' ') {
        name[length++] = '.';
        for (int i = 6; i < 9 && entry[i] != ' '; ++i) {
            name[length++] = static_cast<char>(entry[i]);
        }
    }
    name[length] = 0;
}

bool ExtractMembers() {
    for (int k = 0; k < kEntryCount; ++k) {
        const unsigned char* entry = volume.directory + k * EntrySize;
        if (entry[0] == kEntryFree) continue;
        if (entry[0] == kDirectoryEnd) break;
        char name[MemberNameSize];
        MemberName(entry, name);
        // A name that would reach outside the current folder or that names no file of its own is
        // never handed to the file system, and the container itself is never written over.
        std::FILE* out =
            IsPlainFileName(name) && !IsProtectedFile(name) ? std::fopen(name, "wb") : nullptr;
        std::printf("%-9s\n", name);
        if (!out) return false;
        std::setvbuf(out, nullptr, _IONBF, 0);  // the file goes out in one write
        const size_t length = GatherChain(entry[kFirstClusterOffset], gathered);
        if (std::fwrite(gathered, 1, length, out) != length) {
            std::fclose(out);
            return false;
        }
        if (std::fclose(out) != 0) return false;
    }
    return true;
}
