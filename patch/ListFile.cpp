#include "patch/ListFile.h"

#include <cstring>

#include "patch/ListReader.h"

const char kListFileName[] = "list.inf";
const char kTagCompressed[] = "COMPRESSED";
const char kTagTestServer[] = "TEST_SERVER";

int CountListFiles(const char* path)
{
    ListReader reader;
    if (!reader.Open(path))
        return -1;

    int count = 0;
    for (int item = reader.Next(); item != kListEnd; item = reader.Next()) {
        if (item == kListFile)
            ++count;
    }
    return count;
}

int ListHasTag(const char* path, const char* tag)
{
    ListReader reader;
    if (!reader.Open(path))
        return -1;

    for (int item = reader.Next(); item != kListEnd; item = reader.Next()) {
        // A tag written where a directory stands still marks the list.
        bool isTag = item == kListTag || (item == kListDirectory && reader.Token() == kTokenTag);
        if (isTag && strcmp(reader.Text(), tag) == 0)
            return 1;
    }
    return 0;
}
