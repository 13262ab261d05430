#include "platform.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

RenameResult RenameNoReplace(const char* from, const char* to) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails on an existing name.
    if (MoveFileExA(from, to, 0)) return RenameResult::Renamed;
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? RenameResult::NameTaken
                                                                       : RenameResult::Failed;
}

bool NameExists(const char* name) {
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

// A new file takes the permissions of its folder.
void CopyPermissions(std::FILE*, std::FILE*) {}

void UseBinaryOutput() {
    _setmode(_fileno(stderr), _O_BINARY);
}

#else
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The last resort, for file systems that neither rename exclusively nor link: look, then rename.
// Only a file made between the two steps could be replaced.
RenameResult RenameAfterCheck(const char* from, const char* to) {
    if (NameExists(to)) return RenameResult::NameTaken;
    return rename(from, to) == 0 ? RenameResult::Renamed : RenameResult::Failed;
}

// A hard link fails on an existing name; the old name is then dropped.
RenameResult RenameByLink(const char* from, const char* to) {
    if (link(from, to) != 0) {
        if (errno == EEXIST) return RenameResult::NameTaken;
        // FAT and some network file systems have no hard links.
        if (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS) {
            return RenameAfterCheck(from, to);
        }
        return RenameResult::Failed;
    }
    if (unlink(from) == 0) return RenameResult::Renamed;
    unlink(to);
    return RenameResult::Failed;
}

}  // namespace

RenameResult RenameNoReplace(const char* from, const char* to) {
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return RenameResult::Renamed;
    if (errno == EEXIST) return RenameResult::NameTaken;
    // A file system that does not know the flag says EINVAL; an old kernel, ENOSYS.
    if (errno != EINVAL && errno != ENOSYS) return RenameResult::Failed;
#elif defined(__APPLE__) && defined(RENAME_EXCL)
    if (renamex_np(from, to, RENAME_EXCL) == 0) return RenameResult::Renamed;
    if (errno == EEXIST) return RenameResult::NameTaken;
    if (errno != ENOTSUP && errno != EINVAL) return RenameResult::Failed;
#endif
    return RenameByLink(from, to);
}

bool NameExists(const char* name) {
    struct stat status;
    return lstat(name, &status) == 0;
}

void CopyPermissions(std::FILE* from, std::FILE* to) {
    struct stat status;
    if (fstat(fileno(from), &status) == 0) fchmod(fileno(to), status.st_mode & 0777);
}

void UseBinaryOutput() {}  // POSIX streams never change the bytes
#endif
