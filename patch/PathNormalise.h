#pragma once
// Windows rewrites a relative path before it opens it: a trailing separator is
// dropped, empty components ("data\\maps") collapse, and trailing dots and blanks of
// each component are stripped ("zr.exe." opens "zr.exe"). NormaliseListPath applies
// the same rewriting to a name or directory of "list.inf", so that the launcher
// accepts what Windows accepts and then works with the name Windows would use.
//
// What the rewriting cannot make safe is left for IsSafeRelativePath to refuse:
//  - a path that starts with a separator (absolute, UNC, device) is copied unchanged;
//  - a component made only of dots and blanks ("..", ".", "...", ". ") is copied
//    unchanged, since Windows gives those their own meaning (parent, current).
// Both separators are kept as written. Returns 1 with the result in out (never
// longer than path), or 0 with out empty when path is null or does not fit.
#include <cstddef>

int NormaliseListPath(const char* path, char* out, size_t outSize);
