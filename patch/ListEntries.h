#pragma once
// The file entries of a "list.inf" as the launcher walks them: each name joined to the
// directory the list last switched to, with a backslash ("data\a.bmd.bz2"), in list
// order. A number followed by end of file ends the walk, as in the engine.
#include <string>
#include <vector>

// 1 with `paths` (and each entry's bare name, as the server stores it, in `names` when
// given), 0 when the file cannot be opened or a name or directory is longer
// than the scanner keeps (such a list fails in the engine anyway).
int CollectListPaths(const char* listPath, std::vector<std::string>& paths,
                     std::vector<std::string>* names = nullptr);
