// diskpeel: writes out every file of each N88-Disk BASIC 2D disk in a D88 container.
#include <cstdio>
#include <cstring>

#include "d88image.h"
#include "n88volume.h"
#include "platform.h"

namespace {

const char kBanner[] = "N88-Disk BASIC [2D] DISKPEEL version 0.1\n";
// "ファイルをオープンできません" (the file cannot be opened)
const char kCannotOpen[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x83\x49\x81\x5B\x83\x76\x83\x93\x82\xC5\x82\xAB\x82"
    "\xDC\x82\xB9\x82\xF1\n";
// "ファイルを書き込めません" (the file cannot be written)
const char kCannotWrite[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82"
    "\xF1\n";
// "フォルダを作成できません" (the folder cannot be created)
const char kCannotMakeFolder[] =
    "\x83\x74\x83\x48\x83\x8B\x83\x5F\x82\xF0\x8D\xEC\x90\xAC\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82"
    "\xF1\n";

int Fail(const char* message) {
    std::fputs(message, stderr);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    bool makeSubdirs = true;
    UseBinaryOutput();
    std::fputs(kBanner, stderr);
    if (argc == 3 && std::strcmp(argv[2], "-d") == 0) {
        makeSubdirs = false;
    } else if (argc != 2) {
        std::fprintf(stderr, "Usage: %s [d88file] [-d]\n", argc > 0 ? argv[0] : "diskpeel");
        std::fputs("       -d : not make sub directory\n", stderr);
        return 1;
    }

    D88Image reader;
    if (!reader.Open(argv[1])) return Fail(kCannotOpen);
    ProtectFile(argv[1]);
    for (int i = 0; i < reader.ImageCount(); ++i) {
        reader.SelectImage(i);
        reader.SetSectorRange(1, 16);
        char folder[16];
        std::snprintf(folder, sizeof folder, "%03d", i);
        if (makeSubdirs) {
            if (!EnterFolder(folder)) return Fail(kCannotMakeFolder);
            std::printf("\n[%s] -> %s\n", reader.DiskName(), folder);
        } else {
            std::printf("\n[%s]\n", reader.DiskName());
        }
        LoadVolume(reader);
        if (!ExtractMembers()) return Fail(kCannotWrite);
        if (makeSubdirs && !LeaveFolder()) return Fail(kCannotMakeFolder);
    }
    return 0;
}
