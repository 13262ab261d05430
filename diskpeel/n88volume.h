// The N88-Disk BASIC 2D disk: 80 tracks of 16 sectors of 256 bytes, the directory and the
// allocation table on track 37 (cylinder 18, head 1), files stored as chains of 2048-byte clusters.
#pragma once

#include "d88image.h"

constexpr int DirectorySize = 12 * 256;  // records 1 to 12 of the system track
constexpr int TableSize = 256;           // record 14 of the system track
constexpr int DiskSize = 80 * 16 * 256;  // the whole disk, track after track
constexpr int ClusterSize = 2048;        // 8 sectors
constexpr int ClusterCount = DiskSize / ClusterSize;
constexpr int EntrySize = 16;
constexpr int MemberNameSize = 11;  // 6 name bytes, a dot, 3 extension bytes and a zero

// The buffers the selected disk is loaded into; they live for the whole run and are reused, never
// cleared, for every image.
struct VolumeBuffers {
    unsigned char directory[DirectorySize];
    unsigned char table[TableSize];
    unsigned char disk[DiskSize];
};

// Reads the directory, the allocation table and all 80 tracks of the selected image of `reader`,
// whose sector range must be 1 to 16. A sector that is missing or stored short leaves the rest of
// its read (the rest of the directory or of the track) as the buffers held it before.
void LoadVolume(D88Image& reader);

// Writes every file of the loaded directory into the current folder, printing each name on
// standard output. False at the first file that cannot be created under its name (one that would
// leave the folder, or that is the container itself), written or closed.
bool ExtractMembers();

// The host file name of one 16-byte directory entry: the name field and, when the extension
// field does not begin with a space, a dot and the extension, each cut at its first space.
void MemberName(const unsigned char* entry, char (&name)[MemberNameSize]);
