// hdrtrim: removes the 4-byte BSAVE header from a file in place, keeping the file as it was under
// the name FILE.bak.
#include <cstdio>
#include <string>

#include "platform.h"

namespace {

const char kUsage[] =
    "HDRTRIM.EXE: cut top 4-byte header (for BSAVE file)\n\nUsage: hdrtrim file\n";
// "ファイルを読み込めません。" (the file cannot be read)
const char kCannotRead[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x93\xC7\x82\xDD\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82"
    "\xF1\x81\x42\n";
// "ファイルを書き込めません。" (the file cannot be written)
const char kCannotWrite[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82"
    "\xF1\x81\x42\n";
// "バックアップファイルが既に存在します。" (the backup file exists already)
const char kBackupExists[] =
    "\x83\x6F\x83\x62\x83\x4E\x83\x41\x83\x62\x83\x76\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x8A"
    "\xF9\x82\xC9\x91\xB6\x8D\xDD\x82\xB5\x82\xDC\x82\xB7\x81\x42\n";

constexpr long kHeaderSize = 4;

enum class CopyResult { Copied, ReadFailed, WriteFailed };

// Copies everything after the header, every byte value as it is, in pieces of 1 MiB: as fast as
// the kernel copies a file by itself, which it does slower from an offset that is not a multiple of
// its page size.
CopyResult CopyAfterHeader(std::FILE* in, std::FILE* out) {
    if (std::fseek(in, kHeaderSize, SEEK_SET) != 0) return CopyResult::ReadFailed;
    static char buffer[1 << 20];
    for (;;) {
        const size_t got = std::fread(buffer, 1, sizeof buffer, in);
        if (got == 0) break;
        if (std::fwrite(buffer, 1, got, out) != got) return CopyResult::WriteFailed;
    }
    return std::ferror(in) ? CopyResult::ReadFailed : CopyResult::Copied;
}

int Fail(const char* message) {
    std::fputs(message, stderr);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    UseBinaryOutput();
    if (argc != 2) return Fail(kUsage);
    const std::string target = argv[1];
    const std::string temporary = target + ".$$$";
    const std::string backup = target + ".bak";

    std::FILE* in = std::fopen(target.c_str(), "rb");
    if (!in) return Fail(kCannotRead);
    if (NameExists(backup.c_str())) return Fail(kBackupExists);
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (!out) return Fail(kCannotWrite);
    CopyPermissions(in, out);
    std::setvbuf(in, nullptr, _IONBF, 0);  // the copy has a large buffer of its own
    std::setvbuf(out, nullptr, _IONBF, 0);

    const CopyResult copied = CopyAfterHeader(in, out);
    std::fclose(in);
    const bool closed = std::fclose(out) == 0;
    if (copied != CopyResult::Copied || !closed) {
        std::remove(temporary.c_str());
        return Fail(copied == CopyResult::ReadFailed ? kCannotRead : kCannotWrite);
    }

    // Until both renames are done the untouched file keeps one of its two names.
    const RenameResult saved = RenameNoReplace(target.c_str(), backup.c_str());
    if (saved != RenameResult::Renamed) {
        std::remove(temporary.c_str());
        return Fail(saved == RenameResult::NameTaken ? kBackupExists : kCannotWrite);
    }
    if (RenameNoReplace(temporary.c_str(), target.c_str()) != RenameResult::Renamed) {
        RenameNoReplace(backup.c_str(), target.c_str());
        std::remove(temporary.c_str());
        return Fail(kCannotWrite);
    }
    return 0;
}
