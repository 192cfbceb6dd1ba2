#include "patch/ListFile.h"

#include <cstring>

#include "patch/ListScanner.h"

const char kTagCompressed[] = "COMPRESSED";
const char kTagTestServer[] = "TEST_SERVER";

int CountListFiles(const char* path)
{
    ListScanner scanner;
    if (!scanner.Open(path))
        return -1;

    int count = 0;
    for (int token = scanner.ScanToken(); token != kTokenEnd; token = scanner.ScanToken()) {
        if (token == kTokenName) {
            ++count;
        } else if (token == kTokenNumber) {
            // The token after a number is the directory of a switch, not a file.
            if (scanner.ScanToken() == kTokenEnd)
                break;
        }
    }
    return count;
}

int ListHasTag(const char* path, const char* tag)
{
    ListScanner scanner;
    if (!scanner.Open(path))
        return -1;

    for (int token = scanner.ScanToken(); token != kTokenEnd; token = scanner.ScanToken()) {
        if (token == kTokenTag && strcmp(scanner.tokenText, tag) == 0)
            return 1;
    }
    return 0;
}
