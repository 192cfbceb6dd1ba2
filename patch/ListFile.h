#pragma once
// Small readers of a version's file list "list.inf", each scanning the whole file.
//
// In a list, a name is a file entry; a number followed by one more token is a
// directory switch (that token is the directory, not a file); the tags
// "COMPRESSED" and "TEST_SERVER" mark the whole list; everything else is ignored.
// Readers show nothing: the caller turns -1 into its own message.

extern const char kTagCompressed[];   // "COMPRESSED"
extern const char kTagTestServer[];   // "TEST_SERVER"

// Number of file entries in the list, or -1 when the file cannot be opened.
int CountListFiles(const char* path);

// 1 when the list holds the tag (matched exactly, case-sensitive), 0 when it does
// not, -1 when the file cannot be opened.
int ListHasTag(const char* path, const char* tag);
