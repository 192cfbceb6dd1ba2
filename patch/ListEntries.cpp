#include "patch/ListEntries.h"

#include "patch/ListScanner.h"

int CollectListPaths(const char* listPath, std::vector<std::string>& paths,
                     std::vector<std::string>* names)
{
    paths.clear();
    if (names)
        names->clear();
    ListScanner scanner;
    if (!scanner.Open(listPath))
        return 0;
    std::string directory;
    for (int token = scanner.ScanToken(); token != kTokenEnd; token = scanner.ScanToken()) {
        if (token == kTokenNumber) {
            if (scanner.ScanToken() == kTokenEnd)
                break;
            if (scanner.tokenCut)
                return 0;
            directory = scanner.tokenText;
        } else if (token == kTokenName) {
            if (scanner.tokenCut)
                return 0;
            paths.push_back(directory.empty() ? std::string(scanner.tokenText)
                                              : directory + "\\" + scanner.tokenText);
            if (names)
                names->push_back(scanner.tokenText);
        }
    }
    return 1;
}
