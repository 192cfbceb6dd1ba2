#pragma once
// Where a logged file goes. A path P of "patch.log" names a file that waits in
// Temp\P and is installed as P relative to the game directory, except the
// launcher itself: a file whose name is "zr.exe" (any case, in any subdirectory)
// is installed as "zr._xe" in the game directory and raises the self-update flag,
// since the running launcher cannot overwrite its own executable.
//
// The functions refuse (0, empty output) a path that fails IsSafeRelativePath: the
// log is a file on disk and must never make the installer read or write outside
// the game directory. They also refuse a result that does not fit its buffer
// rather than cut it into the name of another file.
#include <cstddef>

// 1 when the file name with extension of path (after its last '\\' or '/') is
// "zr.exe" ignoring ASCII case.
int IsSelfUpdateName(const char* path);

// The install target relative to the game directory; *selfUpdate is set to 1 for
// the launcher's own file and to 0 otherwise. 1, or 0 when refused.
int BuildInstallTarget(const char* path, char* out, size_t outSize, int* selfUpdate);

// "Temp\\" followed by path: where the fetched file waits. 1, or 0 when refused.
int BuildInstallSource(const char* path, char* out, size_t outSize);
