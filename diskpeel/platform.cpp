#include "platform.h"

#include <cstring>

#ifdef _WIN32
#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string startFolder;

struct FileId {
    DWORD volume = 0, high = 0, low = 0;
};
FileId protectedFile;
bool hasProtectedFile = false;

bool Identify(const char* name, FileId& id) {
    const HANDLE file = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return known;
}

// CON, NUL, COM1 and the like name devices in every folder, whatever extension follows.
bool IsDeviceName(const char* name) {
    static const char* const kDevices[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1",   "COM2",
                                           "COM3", "COM4", "COM5", "COM6", "COM7",   "COM8",
                                           "COM9", "LPT1", "LPT2", "LPT3", "LPT4",   "LPT5",
                                           "LPT6", "LPT7", "LPT8", "LPT9", "CONIN$", "CONOUT$"};
    std::string base(name, std::strcspn(name, "."));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* device : kDevices) {
        if (base == device) return true;
    }
    return false;
}

}  // namespace

bool EnterFolder(const char* name) {
    _mkdir(name);  // an existing folder of that name is simply used
    char* current = _getcwd(nullptr, 0);
    if (!current) return false;
    startFolder = current;
    std::free(current);
    return _chdir(name) == 0;
}

bool LeaveFolder() {
    return _chdir(startFolder.c_str()) == 0;
}

bool IsPlainFileName(const char* name) {
    if (std::strspn(name, ". ") == std::strlen(name)) return false;  // empty, ".", "..", "..."
    if (IsDeviceName(name)) return false;
    // The bytes are read as the ANSI code page reads them: the second byte of a double-byte
    // character (0x5C in many Shift_JIS characters) is no separator.
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
        if (IsDBCSLeadByte(*p) && p[1]) {
            ++p;
            continue;
        }
        if (*p < 0x20 || std::strchr("\\/:*?\"<>|", *p)) return false;
    }
    return true;
}

void ProtectFile(const char* path) {
    hasProtectedFile = Identify(path, protectedFile);
}

bool IsProtectedFile(const char* name) {
    FileId id;
    return hasProtectedFile && Identify(name, id) && id.volume == protectedFile.volume &&
           id.high == protectedFile.high && id.low == protectedFile.low;
}

void UseBinaryOutput() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
int startFolder = -1;
struct stat protectedFile;
bool hasProtectedFile = false;
}  // namespace

bool EnterFolder(const char* name) {
    mkdir(name, 0777);  // an existing folder of that name is simply used
    const int here = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (here < 0) return false;
    if (chdir(name) != 0) {
        close(here);
        return false;
    }
    startFolder = here;
    return true;
}

bool LeaveFolder() {
    if (startFolder < 0) return false;
    const bool back = fchdir(startFolder) == 0;
    close(startFolder);
    startFolder = -1;
    return back;
}

bool IsPlainFileName(const char* name) {
    return name[0] != 0 && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0 &&
           std::strchr(name, '/') == nullptr;
}

void ProtectFile(const char* path) {
    hasProtectedFile = stat(path, &protectedFile) == 0;
}

bool IsProtectedFile(const char* name) {
    struct stat file;
    return hasProtectedFile && stat(name, &file) == 0 && file.st_dev == protectedFile.st_dev &&
           file.st_ino == protectedFile.st_ino;
}

void UseBinaryOutput() {}  // POSIX streams never change the bytes
#endif
