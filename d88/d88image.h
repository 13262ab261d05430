// Read-only access to a D88 container: one or more floppy-disk images stored one after the other,
// each with a 688-byte header, a table of 164 track offsets and, per track, a run of sectors that
// carry their own identification (cylinder C, head H, record R, size code N).
#pragma once

#include <cstdint>
#include <cstdio>

// Little-endian numbers of the container, assembled byte by byte so that the host's byte order
// does not matter.
int ReadLe16(const unsigned char* bytes);           // 0 to 65535
std::int32_t ReadLe32(const unsigned char* bytes);  // signed

class D88Image {
  public:
    static constexpr int HeaderSize = 688;
    static constexpr int SectorHeaderSize = 16;
    static constexpr int MaxImages = 64;
    static constexpr int TrackCount = 164;

    D88Image();
    ~D88Image();
    D88Image(const D88Image&) = delete;
    D88Image& operator=(const D88Image&) = delete;

    // Opens the container and finds its images. With a null path, closes the container instead.
    bool Open(const char* path);
    int ImageCount() const { return imageCount; }
    // Loads the header of image `index`; false without a container or for an index out of range.
    bool SelectImage(int index);
    // A run of sectors goes on with record `first` of the next track after record `last`.
    void SetSectorRange(int first, int last);
    const char* DiskName() const { return diskName; }
    int SelectedIndex() const { return selectedIndex; }
    int MediaType() const { return mediaType; }

    // Reads the sector with identification C, H, R, N from track slot `track`: the number of data
    // bytes placed in `buffer` (at most `maxLength`), 0 when the sector is not there.
    int ReadSector(int track, int c, int h, int r, int n, unsigned char* buffer, int maxLength);
    // Reads consecutive sectors of 128 << n bytes starting at C, H, R: the number of bytes of the
    // pieces that were delivered whole, at most `length`.
    int ReadSectors(int track, int c, int h, int r, int n, unsigned char* buffer, int length);
    // Lists C, H, R, N of each sector of track slot `track`, four bytes per sector: bytes written.
    int ReadSectorIds(int track, unsigned char* buffer, int length);

  private:
    // Start of a track's sector run in the container, or -1 when the track cannot be read.
    std::int64_t TrackStart(int track) const;
    // Reads up to `length` bytes at an absolute container position: the number of bytes read.
    // Small reads are served from a window of the file, so that the many lookups that walk a
    // track's sector headers do not each go to the operating system.
    int ReadAt(std::int64_t position, unsigned char* buffer, int length);
    void Close();

    static constexpr int WindowSize = 64 * 1024;

    std::FILE* file = nullptr;
    int selectedIndex = -1;
    int imageCount = 0;
    int firstSector = 1;
    int lastSector = 16;
    std::int32_t imageOffsets[MaxImages] = {};
    std::int32_t diskSize = 0;
    std::int32_t imageOffset = -1;
    std::int32_t trackOffsets[TrackCount] = {};
    int mediaType = -1;
    char diskName[17] = {};
    std::int64_t windowStart = -1;  // container position of window[0]; -1 while it holds nothing
    int windowLength = 0;  // bytes of the file in the window; fewer than WindowSize at its end
    unsigned char window[WindowSize];
};
