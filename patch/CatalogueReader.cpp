#include "patch/CatalogueReader.h"

int CatalogueReader::Next()
{
    for (;;) {
        int token = m_scanner.ScanToken();
        if (token == kTokenEnd)
            return 0;
        if (token == kTokenName)
            return 1;
    }
}
