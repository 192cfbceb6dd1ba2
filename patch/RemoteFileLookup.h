#pragma once
// The lookup of a list's file name in the listing of a version's FTP directory. A
// server with case-sensitive names may hold "A.dat" and "a.dat" side by side: the
// entry spelt exactly as the list spells it wins; only when there is none does a
// match that ignores ASCII letter case stand in (a list written for a server that
// ignores case). Returns the first such entry of the first count, or null.
#include "app/PatchSession.h"

const RemoteFileEntry* FindListedFile(const RemoteFileEntry* entries, int count, const char* name);
