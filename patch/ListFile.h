#pragma once
// Small readers of a version's file list "list.inf", each reading the whole file
// with ListReader. The tags "COMPRESSED" and "TEST_SERVER" mark the whole list.
// Readers show nothing: the caller turns -1 into its own message.

extern const char kListFileName[];   // "list.inf", the local and remote name
extern const char kTagCompressed[];   // "COMPRESSED"
extern const char kTagTestServer[];   // "TEST_SERVER"

// Number of file entries in the list, or -1 when the file cannot be opened.
int CountListFiles(const char* path);

// 1 when the list holds the tag (matched exactly, case-sensitive), 0 when it does
// not, -1 when the file cannot be opened.
int ListHasTag(const char* path, const char* tag);
