// What the extractor needs of the host beyond the standard library: a folder per image, names
// that are safe to create, and knowing the container again under another name.
#pragma once

// Creates the folder `name` in the current folder unless it is there already, and makes it the
// current folder. False when it can be neither made nor entered.
bool EnterFolder(const char* name);

// Makes the folder current again that was current before the last successful EnterFolder. It goes
// back by the folder itself, not by "..", so a folder entered through a link never leads out.
bool LeaveFolder();

// True when `name` names a plain file in the current folder: not empty, not "." or "..", no path
// separator, and on Windows none of the characters and device names it reserves.
bool IsPlainFileName(const char* name);

// Remembers the file at `path` (the container) so that no member file is ever written over it.
void ProtectFile(const char* path);

// True when `name`, in the current folder, is the file given to ProtectFile, by any of its names.
bool IsProtectedFile(const char* name);

// Makes standard output and standard error pass their bytes as they are, on every system.
void UseBinaryOutput();
