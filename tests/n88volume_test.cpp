#include "n88volume.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

#include "d88writer.h"
#include "run_program.h"

using fixture::Bytes;
using fixture::N88Disk;
using fixture::Pattern;

namespace {

std::string Str(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

TEST(MemberName, FormsHostNamesFromEntries) {
    struct Case {
        const char* field;  // 9 bytes: name and extension
        const char* name;
    } cases[] = {
        {"ABC   BAS", "ABC.BAS"},
        {"GAME     ", "GAME"},
        {"A B   X Y", "A.X"},
        {"ABCDEFBAS", "ABCDEF.BAS"},
        {" ABCDEBAS", ".BAS"},
        {" ABCDE AB", ""},
        {"\x83\x51\x81\x5B\x83\x80"
         "DAT",
         "\x83\x51\x81\x5B\x83\x80.DAT"},  // Shift_JIS bytes kept
    };
    for (const Case& c : cases) {
        unsigned char entry[16] = {};
        std::memcpy(entry, c.field, 9);
        char name[MemberNameSize];
        MemberName(entry, name);
        EXPECT_STREQ(name, c.name) << c.field;
    }
    // A zero byte ends the name wherever it stands; a zero byte 6 still starts an extension.
    const std::pair<std::string, const char*> zeros[] = {
        {std::string("ABC   \0\0\0", 9), "ABC."},
        {std::string("AB\0DEFBAS", 9), "AB"},
        {std::string("ABC   B\0S", 9), "ABC.B"},
    };
    for (const auto& [field, expected] : zeros) {
        unsigned char entry[16] = {};
        std::memcpy(entry, field.data(), 9);
        char name[MemberNameSize];
        MemberName(entry, name);
        EXPECT_STREQ(name, expected);
    }
}

// Loads disks and extracts them into a fresh folder that is current for the length of a test.
class Extract : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(getcwd(home, sizeof home));
        ASSERT_EQ(chdir(work.path().c_str()), 0);
        ASSERT_EQ(mkdir("out", 0777), 0);
    }
    void TearDown() override { ASSERT_EQ(chdir(home), 0); }

    // Loads each image of the container in turn and extracts the last one into "out".
    bool Run(const std::vector<fixture::Image>& images) {
        fixture::WriteFile("disk.d88", fixture::BuildContainer(images));
        D88Image reader;
        EXPECT_TRUE(reader.Open("disk.d88"));
        for (int i = 0; i < reader.ImageCount(); ++i) {
            reader.SelectImage(i);
            LoadVolume(reader);
        }
        EXPECT_EQ(chdir("out"), 0);
        testing::internal::CaptureStdout();
        const bool written = ExtractMembers();
        printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(chdir(".."), 0);
        return written;
    }
    std::vector<std::pair<std::string, std::string>> Files() { return ListFiles(work / "out"); }

    char home[4096];
    TempFolder work;
    std::string printed;
};

TEST_F(Extract, WritesEachFileOfTheDirectory) {
    N88Disk disk;
    const Bytes prog = Pattern(700, 1), full = Pattern(2048, 2), data = Pattern(2560, 3);
    disk.AddFile("PROG", "BAS", prog);  // 0xC3: 768 bytes
    disk.AddFile("FULL", "", full);     // 0xC8: 2048 bytes
    disk.AddFile("EMPTY", "", {});      // 0xC0: nothing
    const int first = disk.AddFile("DATA", "BIN", data);
    ASSERT_EQ(disk.Table(first), first + 1);  // a chain of two clusters, the last with 2 sectors
    ASSERT_EQ(disk.Table(first + 1), 0xC2);
    disk.SetEntry(4, "A", "BAS", 0);
    disk.Entry(4)[0] = 0x00;  // an unused entry between live ones
    disk.AddFile("B", "BAS", Pattern(256, 4));
    disk.AddFile("B", "BAS", Pattern(512, 5));  // the same host name: the later file wins
    disk.Entry(7)[0] = 0xFF;                    // the end of the directory, before a live entry
    disk.SetEntry(8, "AFTER", "", 0);

    ASSERT_TRUE(Run({disk.ToImage("DISK")}));
    EXPECT_EQ(printed, "PROG.BAS \nFULL     \nEMPTY    \nDATA.BIN \nB.BAS    \nB.BAS    \n");
    Bytes progOnDisk = prog;
    progOnDisk.resize(768, 0xFF);  // the file ends with its last sector, as stored
    EXPECT_EQ(Files(),
              (std::vector<std::pair<std::string, std::string>>{{"B.BAS", Str(Pattern(512, 5))},
                                                                {"DATA.BIN", Str(data)},
                                                                {"EMPTY", ""},
                                                                {"FULL", Str(full)},
                                                                {"PROG.BAS", Str(progOnDisk)}}));
}

TEST_F(Extract, ChainsThatLeaveTheDiskEnd) {
    N88Disk disk;
    for (int k = 0; k < 160; ++k) {
        if (k != 74 && k != 75) std::memset(disk.Cluster(k), k, 2048);  // not the system track
    }
    struct Chain {
        const char* name;
        int first;
        std::vector<std::pair<int, int>> table;  // cluster -> value
        std::string contents;
    } chains[] = {
        {"OFF", 200, {}, ""},
        {"NEXT", 10, {{10, 170}}, std::string(2048, 10)},
        {"LOOP", 20, {{20, 21}, {21, 20}}, std::string(2048, 20) + std::string(2048, 21)},
        {"SELF", 22, {{22, 22}}, std::string(2048, 22)},
        {"OVER8", 30, {{30, 0xCF}}, std::string(2048, 30)},
        {"LAST", 159, {{159, 0xCA}}, std::string(2048, static_cast<char>(159))},
    };
    for (size_t i = 0; i < std::size(chains); ++i) {
        disk.SetEntry(static_cast<int>(i), chains[i].name, "", chains[i].first);
        for (const auto& [cluster, value] : chains[i].table)
            disk.Table(cluster) = static_cast<unsigned char>(value);
    }
    ASSERT_TRUE(Run({disk.ToImage("BAD")}));
    const auto files = Files();
    ASSERT_EQ(files.size(), std::size(chains));
    for (const Chain& c : chains) {
        const auto it = std::find_if(files.begin(), files.end(),
                                     [&](const auto& f) { return f.first == c.name; });
        ASSERT_NE(it, files.end()) << c.name;
        EXPECT_EQ(it->second, c.contents) << c.name;
    }
}

TEST_F(Extract, NamesThatAreNoPlainFileEndTheRun) {
    const char* names[] = {"..", ".", " ", "A/B", "../X"};
    for (const char* bad : names) {
        SCOPED_TRACE(bad);
        N88Disk disk;
        disk.AddFile("OK", "", Pattern(256, 1));
        disk.AddFile(bad, "", Pattern(256, 2));
        disk.AddFile("LATER", "", Pattern(256, 3));
        EXPECT_FALSE(Run({disk.ToImage("EVIL")}));
        std::string shown = std::string(bad) == " " ? "" : bad;
        shown.resize(std::max<size_t>(shown.size(), 9), ' ');
        EXPECT_EQ(printed, "OK       \n" + shown + "\n");
        EXPECT_EQ(Files(),
                  (std::vector<std::pair<std::string, std::string>>{{"OK", Str(Pattern(256, 1))}}));
        EXPECT_EQ(ListFiles(work.path()).size(), 2u);  // the container and out/OK, nothing else
    }
}

TEST_F(Extract, MissingSectorsKeepWhatTheBuffersHeld) {
    // The first image fills the buffers; the second lacks record 5 of track 0 and its whole
    // system track.
    N88Disk first, second;
    first.AddFile("ONE", "", Bytes(4096, 'A'));  // clusters 0 and 1: all of track 0
    second.AddFile("TWO", "", Bytes(4096, 'B'));
    fixture::Image image = second.ToImage("SECOND");
    auto& track0 = image.tracks[0];
    track0.erase(track0.begin() + 4);
    image.tracks.erase(37);

    ASSERT_TRUE(Run({first.ToImage("FIRST"), image}));
    // The first image's directory is used again; records 5 to 16 of track 0 are still the first
    // image's, although records 6 to 16 are present in the second.
    EXPECT_EQ(printed, "ONE      \n");
    EXPECT_EQ(Files(), (std::vector<std::pair<std::string, std::string>>{
                           {"ONE", std::string(4 * 256, 'B') + std::string(12 * 256, 'A')}}));
}

}  // namespace
