#include "patch/ListReader.h"

int ListReader::Open(const char* path)
{
    m_token = kTokenEnd;
    m_endedInSwitch = 0;
    return m_scanner.Open(path);
}

int ListReader::Next()
{
    m_token = m_scanner.ScanToken();
    switch (m_token) {
    case kTokenEnd:
        return kListEnd;
    case kTokenName:
        return kListFile;
    case kTokenTag:
        return kListTag;
    case kTokenNumber:
        m_token = m_scanner.ScanToken();
        if (m_token != kTokenEnd)
            return kListDirectory;
        m_endedInSwitch = 1;
        return kListEnd;
    default:
        return kListOther;
    }
}
