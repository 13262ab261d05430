// Runs the built hdrtrim in a fresh folder and checks what it says and every file it leaves.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "d88writer.h"
#include "run_program.h"

using fixture::Bytes;
using Files = std::vector<std::pair<std::string, std::string>>;

namespace {

const std::string kUsage =
    "HDRTRIM.EXE: cut top 4-byte header (for BSAVE file)\n\nUsage: hdrtrim file\n";
// "ファイルを読み込めません。"
const std::string kCannotRead =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x93\xC7\x82\xDD\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82"
    "\xF1\x81\x42\n";
// "ファイルを書き込めません。"
const std::string kCannotWrite =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82"
    "\xF1\x81\x42\n";
// "バックアップファイルが既に存在します。"
const std::string kBackupExists =
    "\x83\x6F\x83\x62\x83\x4E\x83\x41\x83\x62\x83\x76\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x8A"
    "\xF9\x82\xC9\x91\xB6\x8D\xDD\x82\xB5\x82\xDC\x82\xB7\x81\x42\n";

RunResult Trim(const TempFolder& folder, std::vector<std::string> args, long fileSizeLimit = -1,
               const std::vector<std::string>& env = {}) {
    args.insert(args.begin(), "hdrtrim");
    return RunUnderTest(HDRTRIM_PATH, "HDRTRIM_EXE", args, folder.path(), fileSizeLimit, env);
}

std::string Str(size_t size, int seed) {
    const Bytes bytes = fixture::Pattern(size, seed);
    return std::string(bytes.begin(), bytes.end());
}

void Put(const std::string& path, const std::string& contents) {
    fixture::WriteFile(path, Bytes(contents.begin(), contents.end()));
}

// The outcome every failure must have: its message, status 1, nothing printed on standard output,
// and the files exactly as `files`.
void ExpectFailure(const RunResult& result, const std::string& message, const TempFolder& folder,
                   const Files& files) {
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, message);
    EXPECT_EQ(ListFiles(folder.path()), files);
}

TEST(Hdrtrim, StripsTheFirstFourBytes) {
    std::string everyByte = "HEAD";
    for (int round = 0; round < 2; ++round) {
        for (int value = 0; value < 256; ++value)
            everyByte += static_cast<char>(value);
    }
    const std::string large = Str(3 << 20, 3);  // more than one piece of the copy
    const std::string cases[] = {"", "A", "AB", "ABC", "ABCD", "0123456789", everyByte, large};
    for (const std::string& original : cases) {
        SCOPED_TRACE(original.size());
        TempFolder folder;
        Put(folder / "GAME.BIN", original);
        const RunResult result = Trim(folder, {"GAME.BIN"});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out + result.err, "");
        const std::string stripped = original.size() > 4 ? original.substr(4) : "";
        EXPECT_TRUE(ListFiles(folder.path()) ==
                    (Files{{"GAME.BIN", stripped}, {"GAME.BIN.bak", original}}));
    }
}

TEST(Hdrtrim, KeepsThePermissions) {
    namespace fs = std::filesystem;
    for (const fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write,
                                 fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read}) {
        TempFolder folder;
        Put(folder / "GAME.BIN", "0123456789");
        fs::permissions(folder / "GAME.BIN", mode);
        EXPECT_EQ(Trim(folder, {"GAME.BIN"}).status, 0);
        EXPECT_EQ(fs::status(folder / "GAME.BIN").permissions(), mode);
        EXPECT_EQ(fs::status(folder / "GAME.BIN.bak").permissions(), mode);
    }
}

TEST(Hdrtrim, Usage) {
    TempFolder folder;
    Put(folder / "A", "0123456789");
    for (const std::vector<std::string>& args : {std::vector<std::string>{}, {"A", "A"}}) {
        ExpectFailure(Trim(folder, args), kUsage, folder, {{"A", "0123456789"}});
    }
}

TEST(Hdrtrim, TwoRunsStripEightBytes) {
    TempFolder folder;
    Put(folder / "GAME.BIN", "0123456789AB");
    EXPECT_EQ(Trim(folder, {"GAME.BIN"}).status, 0);
    std::filesystem::remove(folder / "GAME.BIN.bak");
    EXPECT_EQ(Trim(folder, {"GAME.BIN"}).status, 0);
    EXPECT_EQ(ListFiles(folder.path()),
              (Files{{"GAME.BIN", "89AB"}, {"GAME.BIN.bak", "456789AB"}}));
}

TEST(Hdrtrim, StaleTemporaryFileIsReplaced) {
    TempFolder folder;
    Put(folder / "GAME.BIN", "0123456789");
    Put(folder / "GAME.BIN.$$$", Str(5000, 1));
    EXPECT_EQ(Trim(folder, {"GAME.BIN"}).status, 0);
    EXPECT_EQ(ListFiles(folder.path()),
              (Files{{"GAME.BIN", "456789"}, {"GAME.BIN.bak", "0123456789"}}));
}

TEST(Hdrtrim, FolderPart) {
    TempFolder folder;
    std::filesystem::create_directories(folder / "work");
    Put(folder / "work/GAME.BIN", "ABCDEFGH");
    EXPECT_EQ(Trim(folder, {"work/GAME.BIN"}).status, 0);
    EXPECT_EQ(ListFiles(folder.path()),
              (Files{{"work/GAME.BIN", "EFGH"}, {"work/GAME.BIN.bak", "ABCDEFGH"}}));
}

TEST(Hdrtrim, LongName) {
    TempFolder folder;
    // A path of more than 264 bytes, through folders of 60-byte names.
    std::string path = "work";
    for (int i = 0; i < 5; ++i)
        path += "/" + std::string(60, static_cast<char>('a' + i));
    std::filesystem::create_directories(folder / path);
    const std::string name = path + "/" + std::string(200, 'G') + ".BIN";
    ASSERT_GT(name.size(), 264u);
    Put(folder / name, "0123456789");
    EXPECT_EQ(Trim(folder, {name}).status, 0);
    EXPECT_EQ(ListFiles(folder.path()), (Files{{name, "456789"}, {name + ".bak", "0123456789"}}));
}

// A failure with `target`, after `existing` (a name ending in "/" is a folder) was made beside
// GAME.BIN: the message, status 1, and every file as it was.
void ExpectUntouched(const std::string& target, const char* existing, const std::string& message,
                     long fileSizeLimit = -1, const std::vector<std::string>& env = {}) {
    const std::string original = Str(3000, 2);
    TempFolder folder;
    Put(folder / "GAME.BIN", original);
    Files expected = {{"GAME.BIN", original}};
    if (existing && std::string(existing).back() == '/') {
        ASSERT_EQ(mkdir((folder / existing).c_str(), 0777), 0);
    } else if (existing) {
        Put(folder / existing, "old backup");
        expected.emplace_back(existing, "old backup");
    }
    ExpectFailure(Trim(folder, {target}, fileSizeLimit, env), message, folder, expected);
}

TEST(Hdrtrim, FailuresLeaveTheTargetAsItWas) {
    struct Case {
        const char* what;
        const char* target;
        const char* existing;
        const std::string& message;
    } cases[] = {
        {"missing target", "MISSING.BIN", nullptr, kCannotRead},
        {"folder as target", "DIR", "DIR/", kCannotRead},
        {"temporary name is a folder", "GAME.BIN", "GAME.BIN.$$$/", kCannotWrite},
        {"backup exists", "GAME.BIN", "GAME.BIN.bak", kBackupExists},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectUntouched(c.target, c.existing, c.message);
    }
}

TEST(Hdrtrim, DiskFullLeavesTheTargetAsItWas) {
    ExpectUntouched("GAME.BIN", nullptr, kCannotWrite, 1000);
}

TEST(Hdrtrim, FailedSecondRenamePutsTheTargetBack) {
    ExpectUntouched("GAME.BIN", nullptr, kCannotWrite, -1,
                    {std::string("LD_PRELOAD=") + RENAME_FAULTS_PATH, "RENAME_FAULTS=swap"});
}

}  // namespace
