#include "d88image.h"

#include <gtest/gtest.h>

#include <cstring>

#include "d88writer.h"
#include "run_program.h"

using fixture::Bytes;
using fixture::Image;
using fixture::Sector;

namespace {

Bytes Fill(size_t size, int value) {
    return Bytes(size, static_cast<unsigned char>(value));
}

Image Named(const std::string& name, int tracks = 0) {
    Image image;
    image.name = name;
    for (int t = 0; t < tracks; ++t)
        image.tracks[t] = {{t / 2, t % 2, 1, 1, Fill(256, t)}};
    return image;
}

struct Container {
    TempFolder folder;
    std::string path = folder / "disk.d88";
    D88Image reader;
    explicit Container(const Bytes& bytes) {
        fixture::WriteFile(path, bytes);
        EXPECT_TRUE(reader.Open(path.c_str()));
    }
};

TEST(ReadLe, AssemblesLittleEndianWithSign) {
    const unsigned char bytes[] = {0x34, 0x12, 0xFF, 0xFF};
    EXPECT_EQ(ReadLe16(bytes), 0x1234);
    EXPECT_EQ(ReadLe16(bytes + 2), 65535);
    EXPECT_EQ(ReadLe32(bytes), -60876);  // 0xFFFF1234
}

// How many images a container holds, and the name each position selects.
struct CountCase {
    const char* what;
    Bytes bytes;
    std::vector<std::string> names;
};

Bytes WithDiskSize(Image image, std::int32_t size) {
    image.overrideDiskSize = true;
    image.diskSize = size;
    return fixture::BuildImage(image);
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::vector<CountCase> CountCases() {
    std::vector<CountCase> cases = {
        {"empty", {}, {}},
        {"shorter than a header", Fill(687, 0), {}},
        {"three images",
         fixture::BuildContainer({Named("ONE", 2), Named("TWO", 1), Named("THREE")}),
         {"ONE", "TWO", "THREE"}},
        // A size that points back before the start ends the count after that image.
        {"negative disk size", Concat({WithDiskSize(Named("NEG"), -1), Fill(2000, 0)}), {"NEG"}},
        // A size that takes the next position past 2^31 - 1 ends the count too.
        {"huge disk size", Concat({WithDiskSize(Named("BIG"), INT32_MAX), Fill(700, 0)}), {"BIG"}},
        // The last header is cut short: it does not count.
        {"truncated second header", Concat({fixture::BuildImage(Named("A")), Fill(100, 0)}), {"A"}},
    };
    CountCase zero{"disk size 0 repeats one image", Concat({WithDiskSize(Named("SAME"), 0)}), {}};
    zero.names.assign(64, "SAME");
    cases.push_back(zero);
    CountCase many{"more than 64 images", {}, {}};
    for (int i = 0; i < 70; ++i) {
        many.bytes = Concat({many.bytes, fixture::BuildImage(Named("D" + std::to_string(i)))});
        if (i < 64) many.names.push_back("D" + std::to_string(i));
    }
    cases.push_back(many);
    return cases;
}

TEST(D88Image, CountsAndSelectsImages) {
    for (const CountCase& c : CountCases()) {
        SCOPED_TRACE(c.what);
        Container container(c.bytes);
        D88Image& reader = container.reader;
        ASSERT_EQ(reader.ImageCount(), static_cast<int>(c.names.size()));
        for (size_t i = 0; i < c.names.size(); ++i) {
            EXPECT_TRUE(reader.SelectImage(static_cast<int>(i)));
            EXPECT_EQ(reader.DiskName(), c.names[i]);
            EXPECT_EQ(reader.SelectedIndex(), static_cast<int>(i));
        }
    }
}

TEST(D88Image, SelectionFailuresAndHeaderFields) {
    Image image = Named("");
    image.name = "SIXTEEN-BYTES-XY";  // no zero byte in the name field
    image.mediaType = 0x20;
    Container container(fixture::BuildContainer({image, Named("SECOND")}));
    D88Image& reader = container.reader;
    ASSERT_TRUE(reader.SelectImage(0));
    EXPECT_STREQ(reader.DiskName(), "SIXTEEN-BYTES-XY");
    EXPECT_EQ(reader.MediaType(), 0x20);
    for (int bad : {-1, 2}) {
        EXPECT_FALSE(reader.SelectImage(bad));
        EXPECT_STREQ(reader.DiskName(), "");
        EXPECT_EQ(reader.MediaType(), -1);
        EXPECT_EQ(reader.SelectedIndex(), -1);
    }
    ASSERT_TRUE(reader.Open(nullptr));
    EXPECT_EQ(reader.ImageCount(), 0);
    EXPECT_FALSE(reader.SelectImage(0));
    EXPECT_TRUE(reader.Open(nullptr));  // closing twice is fine

    D88Image fresh;
    unsigned char buffer[256];
    EXPECT_EQ(fresh.ReadSector(0, 0, 0, 1, 1, buffer, 256), 0);
    EXPECT_STREQ(fresh.DiskName(), "");
}

TEST(D88Image, OpenFailsForWhatCannotBeRead) {
    TempFolder folder;
    D88Image reader;
    EXPECT_FALSE(reader.Open((folder / "missing.d88").c_str()));
    EXPECT_FALSE(reader.Open(folder.path().c_str()));  // a folder is no container
    EXPECT_EQ(reader.ImageCount(), 0);
    EXPECT_FALSE(reader.SelectImage(0));
}

// One image with tracks made to exercise the sector search.
Image SearchImage() {
    Image image = Named("SEARCH");
    // Track 0: records stored out of order, a short sector, a larger size code.
    image.tracks[0] = {{0, 0, 3, 1, Fill(256, 3)}, {0, 0, 1, 1, Fill(256, 1)},
                       {0, 0, 2, 1, Fill(256, 2)}, {0, 0, 4, 1, Fill(100, 4)},
                       {0, 0, 5, 2, Fill(512, 5)}, {0, 0, 6, 1, Fill(256, 6)}};
    // Track 1: a header whose sector count is 0 ends the search, even on a match.
    image.tracks[1] = {{0, 1, 1, 1, Fill(256, 9), 0}};
    // Track 2: the second header claims to be the last, hiding record 3.
    image.tracks[2] = {{1, 0, 1, 1, Fill(256, 1), 3},
                       {1, 0, 2, 1, Fill(256, 2), 2},
                       {1, 0, 3, 1, Fill(256, 3), 3}};
    // Tracks 10 to 12 (cylinders 5 and 6), full: each sector's bytes name its track and record.
    for (int t = 10; t <= 12; ++t) {
        for (int r = 1; r <= 16; ++r)
            image.tracks[t].push_back({t / 2, t % 2, r, 1, Fill(256, t * 16 + r)});
    }
    // Track 20 stands where 21 and 22 point too, but 21 past the disk and 22 not at all.
    image.tracks[20] = {{10, 0, 1, 1, Fill(256, 0x20)}};
    return image;
}

struct SectorCase {
    const char* what;
    int track, c, h, r, n, maxLength;
    int expected;  // bytes returned
    int fill;      // value of the bytes read
};

TEST(D88Image, FindsSectorsByTheirIdentification) {
    Image image = SearchImage();
    const Bytes probe = fixture::BuildImage(image);
    const std::int32_t diskSize = static_cast<std::int32_t>(probe.size());
    image.offsetOverrides[21] = diskSize + 1;
    image.offsetOverrides[23] = -5;
    Container container(fixture::BuildImage(image));
    D88Image& reader = container.reader;
    ASSERT_TRUE(reader.SelectImage(0));

    const SectorCase cases[] = {
        {"first in the track", 0, 0, 0, 3, 1, 256, 256, 3},
        {"stored out of order", 0, 0, 0, 2, 1, 256, 256, 2},
        {"short sector gives its stored size", 0, 0, 0, 4, 1, 256, 100, 4},
        {"maxLength below the stored size", 0, 0, 0, 1, 1, 10, 10, 1},
        {"size code 2", 0, 0, 0, 5, 2, 1024, 512, 5},
        {"after a larger sector", 0, 0, 0, 6, 1, 256, 256, 6},
        {"size code differs", 0, 0, 0, 1, 0, 256, 0, 0},
        {"head differs", 0, 0, 1, 1, 1, 256, 0, 0},
        {"not in the track", 0, 0, 0, 7, 1, 256, 0, 0},
        {"sector count 0", 1, 0, 1, 1, 1, 256, 0, 0},
        {"past the header that says it is last", 2, 1, 0, 3, 1, 256, 0, 0},
        {"before it", 2, 1, 0, 2, 1, 256, 256, 2},
        {"absent track", 3, 1, 1, 1, 1, 256, 0, 0},
        {"track offset past the disk size", 21, 10, 0, 1, 1, 256, 0, 0},
        {"negative track offset", 23, 10, 0, 1, 1, 256, 0, 0},
        {"track slot out of range", 164, 0, 0, 1, 1, 256, 0, 0},
        {"negative track slot", -1, 0, 0, 1, 1, 256, 0, 0},
        {"negative maxLength", 0, 0, 0, 1, 1, -1, 0, 0},
    };
    for (const SectorCase& c : cases) {
        SCOPED_TRACE(c.what);
        unsigned char buffer[1100];
        std::memset(buffer, 0xEE, sizeof buffer);
        ASSERT_EQ(reader.ReadSector(c.track, c.c, c.h, c.r, c.n, buffer, c.maxLength), c.expected);
        for (int i = 0; i < c.expected; ++i)
            ASSERT_EQ(buffer[i], c.fill) << i;
        EXPECT_EQ(buffer[c.expected], 0xEE);  // nothing past what was returned
    }
}

TEST(D88Image, TrackOffsetEqualToTheDiskSizeIsRead) {
    // The second image's name field, read as a sector header, is record (7, 0, 1, 1) of 256 bytes.
    Image first = Named("FIRST");
    Image second = Named("");
    second.name = std::string("\x07\x00\x01\x01\x01\x00", 6) + std::string(8, '\0') +
                  std::string("\x00\x01", 2);
    const std::int32_t firstSize = static_cast<std::int32_t>(fixture::BuildImage(first).size());
    first.offsetOverrides[14] = firstSize;
    first.offsetOverrides[15] = firstSize + 1;
    Container container(fixture::BuildContainer({first, second}));
    ASSERT_TRUE(container.reader.SelectImage(0));
    unsigned char buffer[256];
    EXPECT_EQ(container.reader.ReadSector(14, 7, 0, 1, 1, buffer, 256), 256);
    EXPECT_EQ(container.reader.ReadSector(15, 7, 0, 1, 1, buffer, 256), 0);
}

TEST(D88Image, ReadsRunsAcrossTracks) {
    Container container(fixture::BuildImage(SearchImage()));
    D88Image& reader = container.reader;
    ASSERT_TRUE(reader.SelectImage(0));
    Bytes buffer(20 * 256 + 1, 0xEE);

    // Records 15 and 16 of cylinder 5 head 0, all of head 1, then records 1 and 2 of cylinder 6.
    ASSERT_EQ(reader.ReadSectors(10, 5, 0, 15, 1, buffer.data(), 20 * 256), 20 * 256);
    const int expected[] = {10 * 16 + 15, 10 * 16 + 16};
    for (int piece = 0; piece < 20; ++piece) {
        const int mark = piece < 2    ? expected[piece]
                         : piece < 18 ? 11 * 16 + piece - 1
                                      : 12 * 16 + piece - 17;
        EXPECT_EQ(buffer[piece * 256], mark) << piece;
        EXPECT_EQ(buffer[piece * 256 + 255], mark) << piece;
    }
    EXPECT_EQ(buffer[20 * 256], 0xEE);

    // A length that ends inside a sector reads just that much of it.
    EXPECT_EQ(reader.ReadSectors(10, 5, 0, 1, 1, buffer.data(), 300), 300);
    // A run stops at the first piece that is not delivered whole: the short record 4.
    EXPECT_EQ(reader.ReadSectors(0, 0, 0, 1, 1, buffer.data(), 6 * 256), 3 * 256);
    EXPECT_EQ(buffer[3 * 256], 4);  // its stored bytes are placed all the same
    // With a range of 1 to 2 the run wraps after record 2: cylinder 5 head 0 then head 1.
    reader.SetSectorRange(1, 2);
    ASSERT_EQ(reader.ReadSectors(10, 5, 0, 1, 1, buffer.data(), 4 * 256), 4 * 256);
    EXPECT_EQ(buffer[2 * 256], 11 * 16 + 1);
    // A run that starts above the range never wraps.
    EXPECT_EQ(reader.ReadSectors(10, 5, 0, 16, 1, buffer.data(), 2 * 256), 256);

    for (int length : {0, -256})
        EXPECT_EQ(reader.ReadSectors(10, 5, 0, 1, 1, buffer.data(), length), 0);
    for (int n : {-1, 24})
        EXPECT_EQ(reader.ReadSectors(10, 5, 0, 1, n, buffer.data(), 256), 0);
}

TEST(D88Image, ReadsAnywhereInALargeContainer) {
    // 12 tracks of 16 sectors of 1024 bytes, and a last track of one sector of 65535 bytes: the
    // reads cross every edge of what the reader holds in memory, forwards and backwards.
    Image image = Named("LARGE");
    auto data = [](int track, int r, size_t size) {
        Bytes out(size);
        for (size_t i = 0; i < size; ++i)
            out[i] = static_cast<unsigned char>(i * 3 + track * 16 + r);
        return out;
    };
    for (int t = 0; t < 12; ++t) {
        for (int r = 1; r <= 16; ++r)
            image.tracks[t].push_back({t / 2, t % 2, r, 3, data(t, r, 1024)});
    }
    image.tracks[12] = {{6, 0, 1, 9, data(12, 1, 65535)}};
    Container container(fixture::BuildImage(image));
    D88Image& reader = container.reader;
    ASSERT_TRUE(reader.SelectImage(0));
    for (int t : {11, 0, 5, 6, 3, 10, 1, 12, 2}) {
        SCOPED_TRACE(t);
        if (t == 12) {
            Bytes sector(65535);
            ASSERT_EQ(reader.ReadSector(12, 6, 0, 1, 9, sector.data(), 65535), 65535);
            EXPECT_EQ(sector, data(12, 1, 65535));
            continue;
        }
        Bytes track(16 * 1024);
        ASSERT_EQ(reader.ReadSectors(t, t / 2, t % 2, 1, 3, track.data(), 16 * 1024), 16 * 1024);
        for (int r = 1; r <= 16; ++r) {
            EXPECT_TRUE(std::equal(track.begin() + (r - 1) * 1024, track.begin() + r * 1024,
                                   data(t, r, 1024).begin()))
                << r;
        }
    }
}

TEST(D88Image, ScanEndsWhereNoSectorCountCanEndIt) {
    // After the first header, every header claims a track of one sector, so none says it is the
    // last. Past position 65534 no count (at most 65535) could ever say so: the scan ends there.
    Image image = Named("LONG");
    std::vector<Sector>& track = image.tracks[0];
    track.push_back({0, 0, 0, 1, {}, 2});
    for (int i = 1; i <= 65536; ++i)
        track.push_back({0, 0, 0, 1, {}, 1});
    track[65534] = {0, 0, 1, 1, {0x34}, 1};
    track[65535] = {0, 0, 2, 1, {0x35}, 1};
    Container container(fixture::BuildImage(image));
    ASSERT_TRUE(container.reader.SelectImage(0));
    unsigned char byte = 0;
    EXPECT_EQ(container.reader.ReadSector(0, 0, 0, 1, 1, &byte, 1), 1);
    EXPECT_EQ(byte, 0x34);
    EXPECT_EQ(container.reader.ReadSector(0, 0, 0, 2, 1, &byte, 1), 0);
}

TEST(D88Image, SectorCutShortByTheEndOfTheFile) {
    Image image = Named("CUT");
    image.tracks[0] = {{0, 0, 1, 1, Fill(256, 1)}, {0, 0, 2, 1, Fill(256, 2)}};
    Bytes bytes = fixture::BuildImage(image);
    bytes.resize(bytes.size() - 56);  // the second sector keeps 200 of its 256 bytes
    Container container(bytes);
    ASSERT_TRUE(container.reader.SelectImage(0));
    unsigned char buffer[512];
    EXPECT_EQ(container.reader.ReadSector(0, 0, 0, 2, 1, buffer, 256), 200);
    EXPECT_EQ(container.reader.ReadSectors(0, 0, 0, 1, 1, buffer, 512), 256);
    EXPECT_EQ(container.reader.ReadSector(0, 0, 0, 3, 1, buffer, 256),
              0);  // the scan ends at the end
}

TEST(D88Image, ListsSectorIdentifications) {
    Image image = SearchImage();
    image.tracks[163] = {{9, 9, 9, 9, Fill(16, 0), 0}, {8, 8, 8, 8, Fill(16, 0), 0}};
    Container container(fixture::BuildImage(image));
    D88Image& reader = container.reader;
    ASSERT_TRUE(reader.SelectImage(0));
    unsigned char buffer[64];

    std::memset(buffer, 0xEE, sizeof buffer);
    ASSERT_EQ(reader.ReadSectorIds(0, buffer, 64), 24);
    const unsigned char ids[] = {0, 0, 3, 1, 0, 0, 1, 1, 0, 0, 2, 1,
                                 0, 0, 4, 1, 0, 0, 5, 2, 0, 0, 6, 1};
    EXPECT_EQ(std::memcmp(buffer, ids, sizeof ids), 0);
    EXPECT_EQ(buffer[24], 0xEE);

    // Only whole entries fit: a length of 6 takes one.
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(reader.ReadSectorIds(0, buffer, 6), 4);
    EXPECT_EQ(buffer[4], 0xEE);
    // Headers with a sector count of 0 are listed until the end of the file.
    EXPECT_EQ(reader.ReadSectorIds(163, buffer, 64), 8);
    EXPECT_EQ(reader.ReadSectorIds(3, buffer, 64), 0);  // absent track
    EXPECT_EQ(reader.ReadSectorIds(0, buffer, -4), 0);
}

}  // namespace
