#pragma once
// Token scanner for the patch server's two text formats, the version catalogue and
// "list.inf". One scanner reads one file through one buffered stream, opened in
// text mode; readers open, scan and close their file and never nest.
//
// Tokens (the code of a punctuation token is its character code):
//   0   name: a quoted string ("..." with no escapes; end of file also ends it) or an
//       identifier (a letter followed by letters, digits, '.' and '_'; the character
//       that ends it is put back)
//   1   number: a digit, '-' or '.' followed by more of these; the character that
//       ends the number is read and dropped, not put back
//   2   end of the file (and every call after it)
//   35  tag, written between two '#'; end of file also ends it
//   44 ',', 59 ';', 123 '{', 125 '}'
//   60  any other byte, including '_' and every byte of 0x80 and above
// Between tokens, white space (space, tab, LF, VT, FF, CR) and comments ("//" to the
// end of the line) are skipped; a single '/' is dropped and the next character is
// read in its place (a '/' as the very last byte yields 60, then 2).
// Characters are classified as in the C locale, whatever locale the process uses.
//
// Long tokens: a name, tag or number holds at most 99 characters. The first 99 are
// kept and the rest of the token is read and dropped, so the stream stays in step
// with the file and the scanner never fails: every byte sequence yields tokens up to
// the end of the file, each token consuming at least one byte. `tokenCut` tells a
// caller that the last token was longer than its buffer, so it can refuse a name
// that would otherwise point at another file.
#include <cstdio>

enum ListToken {
    kTokenName = 0,
    kTokenNumber = 1,
    kTokenEnd = 2,
    kTokenTag = 35,
    kTokenComma = 44,
    kTokenSemicolon = 59,
    kTokenOther = 60,
    kTokenOpenBrace = 123,
    kTokenCloseBrace = 125,
};

enum { kTokenTextSize = 100 };

class ListScanner {
public:
    ListScanner();
    ~ListScanner();
    ListScanner(const ListScanner&) = delete;
    ListScanner& operator=(const ListScanner&) = delete;

    // Opens the file for scanning, closing any file opened before; 1 or 0.
    int Open(const char* path);
    // Closes the file; harmless when nothing is open.
    void Close();
    // Reads the next token and returns its code; 2 when no file is open.
    int ScanToken();

    // Text of the last name or tag; empty after every other token.
    char tokenText[kTokenTextSize];
    // Characters of the last number; empty after every other token.
    char numberText[kTokenTextSize];
    // 1 when the last name, tag or number had more than 99 characters.
    int tokenCut;

private:
    int ReadUntil(int terminator, int code);
    int ReadNumber(int first);
    int ReadIdentifier(int first);
    void Append(char* buffer, int& length, int c);

    FILE* stream;
};
