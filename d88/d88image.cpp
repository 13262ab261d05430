#include "d88image.h"

#include <climits>
#include <cstring>

namespace {

// Image header fields.
constexpr int kMediaTypeOffset = 0x1B;
constexpr int kDiskSizeOffset = 0x1C;
constexpr int kTrackTableOffset = 0x20;
constexpr int kNameLength = 16;

// Sector header fields.
constexpr int kSectorCountOffset = 4;
constexpr int kDataSizeOffset = 14;

constexpr int kMaxSizeCode = 23;  // 128 << 23 is the largest piece that is a positive int
// A sector count is at most 65535, so past the header at this position no header's count can say
// that it is the last: a scan that gets there ends.
constexpr int kLastCountablePosition = 65535 - 1;

}  // namespace

int ReadLe16(const unsigned char* bytes) {
    return bytes[0] | bytes[1] << 8;
}

std::int32_t ReadLe32(const unsigned char* bytes) {
    const std::uint32_t value = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
    return static_cast<std::int32_t>(value);
}

D88Image::D88Image() = default;

D88Image::~D88Image() {
    Close();
}

void D88Image::Close() {
    if (file) std::fclose(file);
    file = nullptr;
    windowStart = -1;
    windowLength = 0;
}

bool D88Image::Open(const char* path) {
    if (!path) {
        Close();
        imageCount = 0;
        selectedIndex = -1;
        mediaType = -1;
        return true;
    }
    Close();
    file = std::fopen(path, "rb");
    if (!file) return false;
    std::setvbuf(file, nullptr, _IONBF, 0);  // the window is the buffer
    // A pipe cannot be positioned, and would look like an empty container.
    if (std::fseek(file, 0, SEEK_SET) != 0) {
        Close();
        return false;
    }

    // Each image's header tells how far it is to the next one. A header that cannot be read
    // whole ends the container; so does a disk size that would take the next position below 0 or
    // past what a signed 32-bit offset can hold.
    const int previousCount = imageCount;
    std::int64_t position = 0;
    imageCount = 0;
    while (imageCount < MaxImages) {
        unsigned char header[HeaderSize];
        if (ReadAt(position, header, HeaderSize) != HeaderSize) break;
        imageOffsets[imageCount++] = static_cast<std::int32_t>(position);
        position += ReadLe32(header + kDiskSizeOffset);
        if (position < 0 || position > INT32_MAX) break;
    }
    // A container that cannot be read (a folder, a failing device) is not an empty container.
    if (std::ferror(file)) {
        Close();
        imageCount = previousCount;
        return false;
    }
    return true;
}

bool D88Image::SelectImage(int index) {
    if (!file) return false;
    imageOffset = -1;
    selectedIndex = -1;
    mediaType = -1;
    diskSize = 0;
    diskName[0] = 0;
    if (index < 0 || index >= imageCount) return false;

    unsigned char header[HeaderSize];
    if (ReadAt(imageOffsets[index], header, HeaderSize) != HeaderSize) return false;
    for (int i = 0; i < TrackCount; ++i) {
        trackOffsets[i] = ReadLe32(header + kTrackTableOffset + 4 * i);
    }
    mediaType = header[kMediaTypeOffset];
    diskSize = ReadLe32(header + kDiskSizeOffset);
    imageOffset = imageOffsets[index];
    selectedIndex = index;
    const void* end = std::memchr(header, 0, kNameLength);
    const size_t nameLength = end ? static_cast<const unsigned char*>(end) - header : kNameLength;
    std::memset(diskName, 0, kNameLength);
    std::memcpy(diskName, header, nameLength);
    return true;
}

void D88Image::SetSectorRange(int first, int last) {
    firstSector = first;
    lastSector = last;
}

std::int64_t D88Image::TrackStart(int track) const {
    if (!file || track < 0 || track >= TrackCount) return -1;
    const std::int32_t offset = trackOffsets[track];
    if (offset == 0 || offset > diskSize) return -1;
    return std::int64_t{imageOffset} + offset;
}

int D88Image::ReadAt(std::int64_t position, unsigned char* buffer, int length) {
    if (!file || position < 0 || length <= 0) return 0;
    // Every read is a header or one sector's data (at most 65535 bytes), so it fits in the window.
    // A read that the window does not hold moves the window to start where the read does; a
    // window shorter than its size ends where the file ends.
    const std::int64_t windowEnd = windowStart + windowLength;
    const bool held = position >= windowStart && position <= windowEnd &&
                      (position + length <= windowEnd || windowLength < WindowSize);
    if (!held) {
        windowStart = -1;
        windowLength = 0;
        if (position > LONG_MAX || std::fseek(file, static_cast<long>(position), SEEK_SET) != 0) {
            return 0;
        }
        windowLength = static_cast<int>(std::fread(window, 1, WindowSize, file));
        windowStart = position;
    }
    const std::int64_t available = windowStart + windowLength - position;
    const int count = available < length ? static_cast<int>(available) : length;
    std::memcpy(buffer, window + (position - windowStart), static_cast<size_t>(count));
    return count;
}

int D88Image::ReadSector(int track, int c, int h, int r, int n, unsigned char* buffer,
                         int maxLength) {
    std::int64_t position = TrackStart(track);
    if (position < 0 || maxLength < 0) return 0;
    // Every lookup walks the track's sector headers from its start. The walk ends at the sector,
    // at the header whose own sector count says it is the last, at the end of the file, or where
    // no count can say so any more.
    for (std::int64_t i = 0;; ++i) {
        unsigned char header[SectorHeaderSize];
        if (ReadAt(position, header, SectorHeaderSize) != SectorHeaderSize) return 0;
        const int count = ReadLe16(header + kSectorCountOffset);
        const int dataSize = ReadLe16(header + kDataSizeOffset);
        if (count == 0) return 0;
        position += SectorHeaderSize;
        if (header[0] == c && header[1] == h && header[2] == r && header[3] == n) {
            return ReadAt(position, buffer, dataSize < maxLength ? dataSize : maxLength);
        }
        position += dataSize;
        if (i == count - 1 || i == kLastCountablePosition) return 0;
    }
}

int D88Image::ReadSectors(int track, int c, int h, int r, int n, unsigned char* buffer,
                          int length) {
    if (n < 0 || n > kMaxSizeCode) return 0;
    int pieceSize = 128 << n;
    int done = 0;
    while (done < length) {
        if (length - done < pieceSize) pieceSize = length - done;
        if (ReadSector(track, c, h, r, n, buffer + done, pieceSize) < pieceSize) return done;
        done += pieceSize;
        if (r == lastSector) {
            ++track;
            if (h == 0) {
                h = 1;
            } else {
                h = 0;
                ++c;
            }
            r = firstSector;
        } else {
            ++r;
        }
    }
    return done;
}

int D88Image::ReadSectorIds(int track, unsigned char* buffer, int length) {
    std::int64_t position = TrackStart(track);
    if (position < 0) return 0;
    int written = 0;
    // Only whole four-byte entries are written, so the listing never runs past `length`.
    for (std::int64_t i = 0; length - written >= 4; ++i) {
        unsigned char header[SectorHeaderSize];
        if (ReadAt(position, header, SectorHeaderSize) != SectorHeaderSize) break;
        std::memcpy(buffer + written, header, 4);
        written += 4;
        position += SectorHeaderSize + ReadLe16(header + kDataSizeOffset);
        if (i == ReadLe16(header + kSectorCountOffset) - 1) break;
    }
    return written;
}
