#pragma once
// The one check for relative paths that come from outside the launcher: file names
// and directories from the patch server's "list.inf", the paths read back from
// "patch.log", and the names the operators' patch builder accepts. Every place that
// turns such a text into a local file name calls this check first, so a hostile or
// broken server can never make the launcher write outside the game directory or
// open a device.
//
// A path is a byte string in the ANSI code page; '\\' and '/' both separate its
// components. A path is refused (0) when:
//  - it is empty (files only) or longer than 259 bytes;
//  - it starts with a separator (absolute, UNC "\\server\share", device "\\?\",
//    "\\.\") or contains ':' anywhere (drive letters, alternate data streams);
//  - it holds a control character (below 0x20) or one of < > " | ? *;
//  - a component is empty ("a\\b", a leading or trailing separator);
//  - a component ends in '.' or ' ': Windows strips those, so "..", ".", "...",
//    ".. " and "a." would not name what they say (".." reaches the parent, "zr.exe."
//    would overwrite "zr.exe");
//  - a component names a device whatever its case, extension or trailing blanks:
//    CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9 (also with the superscript digits
//    0xB9, 0xB2, 0xB3), CONIN$, CONOUT$ ("nul.txt", "Com1 .log" included).
// Bytes of 0x80 and above are accepted as they are.
// Returns 1 when the path is safe, 0 otherwise; a null pointer is refused.
int IsSafeRelativePath(const char* path);

// The same check for a directory, which may also be empty: the empty directory is
// the game directory itself. A trailing separator is refused as for files, because
// the directory is joined to a file name with a separator.
int IsSafeRelativeDirectory(const char* dir);
