#pragma once
// The one reader of a version's file list "list.inf": it walks the list item by item.
//
// Grammar, on the tokens of ListScanner: a name is a file entry; a number followed by
// one more token is a directory switch, and that token (of any kind, even a tag or a
// punctuation token, whose text is then empty) is the directory; a tag marks the whole
// list; every other token is an item of its own that readers pass over. A number at
// the very end of the list ends it. A file or directory longer than 99 characters is
// yielded cut (`cut` set), so that a caller can refuse it rather than use a name that
// would point at another file.
#include "patch/ListScanner.h"

enum ListItemKind {
    kListEnd = 0,        // end of the list (and every call after it)
    kListFile = 1,       // text: the file entry
    kListDirectory = 2,  // text: the directory switched to ("" is the game directory)
    kListTag = 3,        // text: the tag between the two '#'
    kListOther = 4,      // punctuation or any other token
};

class ListReader {
public:
    // Opens the list, closing any list opened before; 1 or 0.
    int Open(const char* path);
    // Reads the next item and returns its kind; kListEnd when nothing is open.
    int Next();

    // Text of the last file, directory or tag; empty after other items.
    const char* Text() const { return m_scanner.tokenText; }
    // 1 when the text of the last item was cut to its first 99 characters.
    int Cut() const { return m_scanner.tokenCut; }
    // The token that gave the last item; for a directory, the token after the number.
    int Token() const { return m_token; }
    // 1 once the list has ended right after a number: a switch without a directory.
    int EndedInSwitch() const { return m_endedInSwitch; }

private:
    ListScanner m_scanner;
    int m_token = kTokenEnd;
    int m_endedInSwitch = 0;
};
