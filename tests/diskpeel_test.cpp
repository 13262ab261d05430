// Runs the built diskpeel on containers made by the fixture writer and checks everything it says
// and writes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "d88writer.h"
#include "run_program.h"
#include "sample.h"

using fixture::Bytes;
using fixture::N88Disk;
using Files = std::vector<std::pair<std::string, std::string>>;

namespace {

const std::string kBanner = "N88-Disk BASIC [2D] DISKPEEL version 0.1\n";
// The name the program sees as its zeroth argument: under wine, the Windows path of the .exe.
const std::string kUsage = "Usage: " + EnvironmentOr("DISKPEEL_ARGV0", "diskpeel") +
                           " [d88file] [-d]\n       -d : not make sub directory\n";
// "ファイルをオープンできません"
const std::string kCannotOpen =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x83\x49\x81\x5B\x83\x76\x83\x93\x82\xC5\x82\xAB\x82"
    "\xDC\x82\xB9\x82\xF1\n";
// "ファイルを書き込めません"
const std::string kCannotWrite =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82"
    "\xF1\n";
// "フォルダを作成できません"
const std::string kCannotMakeFolder =
    "\x83\x74\x83\x48\x83\x8B\x83\x5F\x82\xF0\x8D\xEC\x90\xAC\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82"
    "\xF1\n";

RunResult Peel(const std::string& folder, std::vector<std::string> args, long fileSizeLimit = -1) {
    args.insert(args.begin(), "diskpeel");
    return RunUnderTest(DISKPEEL_PATH, "DISKPEEL_EXE", args, folder, fileSizeLimit);
}
RunResult Peel(const TempFolder& folder, std::vector<std::string> args, long fileSizeLimit = -1) {
    return Peel(folder.path(), std::move(args), fileSizeLimit);
}

std::string Text(size_t size, int seed) {
    const Bytes bytes = fixture::Pattern(size, seed);
    return std::string(bytes.begin(), bytes.end());
}
Bytes B(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// Two disks: GAMEDISK with a program and a data file, TOOLS with a program of the same name.
struct TwoDisks {
    std::string game = Text(1024, 1), data = Text(2560, 2), tool = Text(256, 3);
    Bytes container;
    TwoDisks() {
        N88Disk first, second;
        first.AddFile("GAME", "BAS", B(game));
        first.AddFile("DATA", "", B(data));
        second.AddFile("GAME", "BAS", B(tool));
        container = fixture::BuildContainer({first.ToImage("GAMEDISK"), second.ToImage("TOOLS")});
    }
};

TEST(Diskpeel, ArgumentsAndOpenFailures) {
    TempFolder folder;
    fixture::WriteFile(folder / "image.d88", TwoDisks().container);
    fixture::WriteFile(folder / "empty.d88", {});
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    } cases[] = {
        {{}, 1, kBanner + kUsage},
        {{"-d", "image.d88"}, 1, kBanner + kUsage},
        {{"image.d88", "-D"}, 1, kBanner + kUsage},
        {{"image.d88", "x"}, 1, kBanner + kUsage},
        {{"image.d88", "-d", "x"}, 1, kBanner + kUsage},
        {{"-d"}, 1, kBanner + kCannotOpen},
        {{"missing.d88"}, 1, kBanner + kCannotOpen},
        {{"."}, 1, kBanner + kCannotOpen},
        {{"empty.d88"}, 0, kBanner},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0] + " ...");
        const RunResult result = Peel(folder, c.args);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(ListFiles(folder.path()).size(), 2u);  // nothing made
    }
}

TEST(Diskpeel, ContainerThatCannotBeSought) {
    // A pipe, as a shell's process substitution gives: an open failure, not an empty container.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const Bytes container = fixture::BuildImage(N88Disk().ToImage("PIPED"));
    ASSERT_EQ(write(ends[1], container.data(), 4096), 4096);
    close(ends[1]);
    TempFolder folder;
    const RunResult result = Peel(folder, {"/dev/fd/" + std::to_string(ends[0])});
    close(ends[0]);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, kBanner + kCannotOpen);
    EXPECT_EQ(result.out, "");
}

TEST(Diskpeel, ExtractsEachImageIntoItsFolderAndAgain) {
    const TwoDisks disks;
    TempFolder folder;
    fixture::WriteFile(folder / "image.d88", disks.container);
    const Files expected = {
        {"000/DATA", disks.data},
        {"000/GAME.BAS", disks.game},
        {"001/GAME.BAS", disks.tool},
        {"image.d88", std::string(disks.container.begin(), disks.container.end())}};
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        const RunResult result = Peel(folder, {"image.d88"});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, kBanner);
        EXPECT_EQ(result.out,
                  "\n[GAMEDISK] -> 000\nGAME.BAS \nDATA     \n\n[TOOLS] -> 001\nGAME.BAS \n");
        EXPECT_EQ(ListFiles(folder.path()), expected);
        // The second run finds the folders there and replaces the files in them.
        fixture::WriteFile(folder / "000/GAME.BAS", Bytes(5000, 'x'));
    }
}

TEST(Diskpeel, WithoutFoldersLaterImagesReplaceFiles) {
    const TwoDisks disks;
    TempFolder folder;
    fixture::WriteFile(folder / "image.d88", disks.container);
    const RunResult result = Peel(folder, {"image.d88", "-d"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, kBanner);
    EXPECT_EQ(result.out, "\n[GAMEDISK]\nGAME.BAS \nDATA     \n\n[TOOLS]\nGAME.BAS \n");
    const Files files = ListFiles(folder.path());
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0], (std::pair<std::string, std::string>{"DATA", disks.data}));
    EXPECT_EQ(files[1], (std::pair<std::string, std::string>{"GAME.BAS", disks.tool}));
}

TEST(Diskpeel, DiskSizeZeroRepeatsTheImage64Times) {
    // With a disk size of 0 every track offset lies past the disk: 64 folders, nothing in them.
    N88Disk disk;
    disk.AddFile("ONLY", "", B(Text(256, 4)));
    fixture::Image image = disk.ToImage("LOOP");
    image.overrideDiskSize = true;
    TempFolder folder;
    fixture::WriteFile(folder / "image.d88", fixture::BuildImage(image));
    const RunResult result = Peel(folder, {"image.d88"});
    EXPECT_EQ(result.status, 0);
    std::string expected;
    char name[8];
    for (int i = 0; i < 64; ++i) {
        std::snprintf(name, sizeof name, "%03d", i);
        expected += "\n[LOOP] -> " + std::string(name) + "\n";
        EXPECT_TRUE(std::filesystem::is_directory(folder / name)) << name;
    }
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(ListFiles(folder.path()).size(), 1u);
}

TEST(Diskpeel, FailedWriteEndsTheRun) {
    N88Disk first, second;
    first.AddFile("SMALL", "", B(Text(256, 5)));
    first.AddFile("BIG", "", B(Text(4096, 6)));
    first.AddFile("NEXT", "", B(Text(256, 7)));
    second.AddFile("OTHER", "", B(Text(256, 8)));
    TempFolder folder;
    fixture::WriteFile(folder / "image.d88",
                       fixture::BuildContainer({first.ToImage("A"), second.ToImage("B")}));
    const RunResult result = Peel(folder, {"image.d88", "-d"}, 1000);  // no file past 1000 bytes
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, kBanner + kCannotWrite);
    EXPECT_EQ(result.out, "\n[A]\nSMALL    \nBIG      \n");
    EXPECT_EQ(fixture::ReadFile(folder / "SMALL"), B(Text(256, 5)));
    EXPECT_FALSE(std::filesystem::exists(folder / "NEXT"));
    EXPECT_FALSE(std::filesystem::exists(folder / "OTHER"));
}

TEST(Diskpeel, FolderThatCannotBeMadeEndsTheRun) {
    const TwoDisks disks;
    TempFolder folder;
    fixture::WriteFile(folder / "image.d88", disks.container);
    fixture::WriteFile(folder / "001", B("a plain file"));
    const RunResult result = Peel(folder, {"image.d88"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, kBanner + kCannotMakeFolder);
    EXPECT_EQ(result.out, "\n[GAMEDISK] -> 000\nGAME.BAS \nDATA     \n");
    EXPECT_EQ(ListFiles(folder.path()).size(), 4u);  // 000's two files, the container, 001
    EXPECT_EQ(fixture::ReadFile(folder / "001"), B("a plain file"));
}

TEST(Diskpeel, MemberNamesNeverLeaveTheFolder) {
    for (const char* name : {"../X", "..", "/ETC"}) {
        SCOPED_TRACE(name);
        N88Disk disk;
        disk.AddFile("OK", "", B(Text(256, 9)));
        disk.AddFile(name, "", B(Text(256, 10)));
        TempFolder folder;
        ASSERT_EQ(mkdir((folder / "work").c_str(), 0777), 0);
        fixture::WriteFile(folder / "image.d88", fixture::BuildImage(disk.ToImage("EVIL")));
        const RunResult withFolders = Peel(folder / "work", {"../image.d88"});
        const RunResult withoutFolders = Peel(folder / "work", {"../image.d88", "-d"});
        for (const RunResult& result : {withFolders, withoutFolders}) {
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.err, kBanner + kCannotWrite);
        }
        const Files files = ListFiles(folder.path());
        ASSERT_EQ(files.size(), 3u);
        EXPECT_EQ(files[1].first, "work/000/OK");
        EXPECT_EQ(files[2].first, "work/OK");
    }
}

TEST(Diskpeel, NamesThatWindowsReserves) {
    // Plain names on Linux; devices or separators on Windows, where they are never used.
    const bool windows = std::getenv("DISKPEEL_EXE") != nullptr;
    for (const char* name : {"CON", "NUL", "COM1", "A\\B", "A:B", "A*B", "A?B", "A|B"}) {
        SCOPED_TRACE(name);
        N88Disk disk;
        disk.AddFile(name, "BAS", B(Text(256, 13)));
        TempFolder folder;
        fixture::WriteFile(folder / "image.d88", fixture::BuildImage(disk.ToImage("WIN")));
        const RunResult result = Peel(folder, {"image.d88", "-d"});
        const std::string shown =
            std::string(name) + ".BAS" + std::string(9 - std::strlen(name) - 4, ' ');
        EXPECT_EQ(result.out, "\n[WIN]\n" + shown + "\n");
        EXPECT_EQ(result.status, windows ? 1 : 0);
        EXPECT_EQ(result.err, kBanner + (windows ? kCannotWrite : ""));
        EXPECT_EQ(ListFiles(folder.path()).size(), windows ? 1u : 2u);
    }
}

TEST(Diskpeel, NeverWritesOverTheContainer) {
    N88Disk disk;
    disk.AddFile("OK", "", B(Text(256, 11)));
    disk.AddFile("GAME", "D88", B(Text(256, 12)));
    const Bytes container = fixture::BuildImage(disk.ToImage("SELF"));
    TempFolder folder;
    fixture::WriteFile(folder / "GAME.D88", container);
    const RunResult result = Peel(folder, {"GAME.D88", "-d"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, kBanner + kCannotWrite);
    EXPECT_EQ(result.out, "\n[SELF]\nOK       \nGAME.D88 \n");
    EXPECT_EQ(fixture::ReadFile(folder / "GAME.D88"), container);
}

}  // namespace

namespace {

TEST(Sample, ShippedContainerIsWhatTheWriterMakes) {
    EXPECT_EQ(fixture::ReadFile(SAMPLE_PATH), SampleContainer());
}

}  // namespace
