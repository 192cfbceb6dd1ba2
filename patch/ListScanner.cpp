#include "patch/ListScanner.h"

namespace {

// The C locale's classes, spelled out so that a locale set elsewhere in the process
// cannot change how a list reads, and so that bytes above 0x7F are never letters.
bool IsLetter(int c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(int c)
{
    return c >= '0' && c <= '9';
}

bool IsSpace(int c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsNumberChar(int c)
{
    return IsDigit(c) || c == '-' || c == '.';
}

bool IsIdentifierChar(int c)
{
    return IsLetter(c) || IsDigit(c) || c == '.' || c == '_';
}

} // namespace

// Appends one character when there is room; a long token keeps its first 99.
void ListScanner::Append(char* buffer, int& length, int c)
{
    if (length < kTokenTextSize - 1) {
        buffer[length++] = static_cast<char>(c);
        buffer[length] = '\0';
    } else {
        tokenCut = 1;
    }
}

ListScanner::ListScanner() : tokenCut(0), stream(nullptr)
{
    tokenText[0] = '\0';
    numberText[0] = '\0';
}

ListScanner::~ListScanner()
{
    Close();
}

int ListScanner::Open(const char* path)
{
    Close();
    tokenText[0] = '\0';
    numberText[0] = '\0';
    tokenCut = 0;
    stream = fopen(path, "r");
    return stream ? 1 : 0;
}

void ListScanner::Close()
{
    if (stream) {
        fclose(stream);
        stream = nullptr;
    }
}

int ListScanner::ScanToken()
{
    tokenText[0] = '\0';
    numberText[0] = '\0';
    tokenCut = 0;
    if (!stream)
        return kTokenEnd;

    int c = getc(stream);
    if (c == EOF)
        return kTokenEnd;
    for (;;) {
        if (c == '/') {
            int next = getc(stream);
            if (next == '/') {
                do
                    c = getc(stream);
                while (c != EOF && c != '\n');
                if (c == EOF)
                    return kTokenEnd;
                c = getc(stream);
                if (c == EOF)
                    return kTokenEnd;
            } else {
                // The lone slash is dropped; what follows it (even the end of the
                // file, which then scans as an "other" token) takes its place.
                c = next;
            }
            continue;
        }
        if (IsSpace(c)) {
            c = getc(stream);
            if (c == EOF)
                return kTokenEnd;
            continue;
        }
        break;
    }

    if (c == '"')
        return ReadUntil('"', kTokenName);
    if (c == '#')
        return ReadUntil('#', kTokenTag);
    if (c == ',' || c == ';' || c == '{' || c == '}')
        return c;
    if (IsNumberChar(c))
        return ReadNumber(c);
    if (IsLetter(c))
        return ReadIdentifier(c);
    return kTokenOther;
}

// Quoted names and tags: everything up to the closing character, which is consumed.
int ListScanner::ReadUntil(int terminator, int code)
{
    int length = 0;
    for (int c = getc(stream); c != EOF && c != terminator; c = getc(stream))
        Append(tokenText, length, c);
    return code;
}

// The character that ends a number is consumed with it: "3\"Data\"" scans as the
// number 3, then the identifier Data.
int ListScanner::ReadNumber(int first)
{
    int length = 0;
    Append(numberText, length, first);
    for (int c = getc(stream); IsNumberChar(c); c = getc(stream))
        Append(numberText, length, c);
    return kTokenNumber;
}

int ListScanner::ReadIdentifier(int first)
{
    int length = 0;
    Append(tokenText, length, first);
    for (;;) {
        int c = getc(stream);
        if (!IsIdentifierChar(c)) {
            if (c != EOF)
                ungetc(c, stream);
            return kTokenName;
        }
        Append(tokenText, length, c);
    }
}
