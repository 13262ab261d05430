// What the header stripper needs of the host beyond the standard library.
#pragma once

enum class RenameResult { Renamed, NameTaken, Failed };

// Gives the file `from` the name `to`, but never in place of an existing file of that name.
RenameResult RenameNoReplace(const char* from, const char* to);

// True when something, even a dangling link, has the name.
bool NameExists(const char* name);

#include <cstdio>

// Gives the file open as `to` the read, write and execute permissions of the file open as `from`,
// so that the stripped copy of a private file is no less private. Where the file system keeps no
// such permissions, nothing is done.
void CopyPermissions(std::FILE* from, std::FILE* to);

// Makes standard error pass its bytes as they are, on every system.
void UseBinaryOutput();
