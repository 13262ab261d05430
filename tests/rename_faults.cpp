// Loaded ahead of the C library, this makes renames fail the way some file systems and faults do,
// as the words in the environment variable RENAME_FAULTS ask:
//   noflag  renameat2 with flags fails with EINVAL, as on a file system without exclusive renames;
//   nolink  link fails with EPERM, as on FAT;
//   swap    any rename of a name ending in ".$$$" fails with EIO.
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

bool Fault(const char* word) {
    const char* faults = getenv("RENAME_FAULTS");
    return faults && strstr(faults, word);
}

bool IsTemporary(const char* name) {
    const size_t length = strlen(name);
    return length >= 4 && strcmp(name + length - 4, ".$$$") == 0;
}

template <typename Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned int flags) {
    if (Fault("swap") && IsTemporary(from)) return errno = EIO, -1;
    if (Fault("noflag") && flags != 0) return errno = EINVAL, -1;
    using Renameat2 = int (*)(int, const char*, int, const char*, unsigned int);
    return Next<Renameat2>("renameat2")(fromFolder, from, toFolder, to, flags);
}

extern "C" int rename(const char* from, const char* to) {
    if (Fault("swap") && IsTemporary(from)) return errno = EIO, -1;
    return Next<int (*)(const char*, const char*)>("rename")(from, to);
}

extern "C" int link(const char* from, const char* to) {
    if (Fault("swap") && IsTemporary(from)) return errno = EIO, -1;
    if (Fault("nolink")) return errno = EPERM, -1;
    return Next<int (*)(const char*, const char*)>("link")(from, to);
}
