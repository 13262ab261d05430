#include "platform.h"

#ifdef _WIN32
#include <direct.h>

#include <cstdlib>
#include <string>

namespace {
std::string startFolder;
}

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
void ProtectFile(const char* path) {
    hasProtectedFile = stat(path, &protectedFile) == 0;
}

bool IsProtectedFile(const char* name) {
    struct stat file;
    return hasProtectedFile && stat(name, &file) == 0 && file.st_dev == protectedFile.st_dev &&
           file.st_ino == protectedFile.st_ino;
}
#endif
