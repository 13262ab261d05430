// What the header stripper needs of the host beyond the standard library.
#pragma once

enum class RenameResult { Renamed, NameTaken, Failed };

// Gives the file `from` the name `to`, but never in place of an existing file of that name.
RenameResult RenameNoReplace(const char* from, const char* to);

// True when something, even a dangling link, has the name.
bool NameExists(const char* name);

// Makes standard error pass its bytes as they are, on every system.
void UseBinaryOutput();
