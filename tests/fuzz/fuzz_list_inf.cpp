// Fuzz target: "list.inf" (the token scanner, tags, file entries, directory switches
// and the path check on what they name).
//
// The scanner must return exactly the tokens of an independent reading of the bytes
// (ListTokenModel), never a text longer than its buffer, and keep returning the end
// once it is reached. The list readers must agree with the documented rules applied
// to those tokens, and every directory and file the path check lets through must
// stay inside the game directory when Windows resolves it.
#include <cstring>
#include <string>
#include <vector>

#include "patch/ListFile.h"
#include "patch/ListScanner.h"
#include "patch/PathCheck.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/ListTokenModel.h"
#include "tests/fuzz/WindowsPathModel.h"

namespace {

void CheckScanner(const char* path, const std::vector<ModelToken>& want)
{
    ListScanner scanner;
    FUZZ_CHECK(scanner.Open(path) == 1);
    for (const ModelToken& t : want) {
        int code = scanner.ScanToken();
        FUZZ_CHECK(code == t.code);
        FUZZ_CHECK(memchr(scanner.tokenText, 0, kTokenTextSize) != nullptr);
        FUZZ_CHECK(memchr(scanner.numberText, 0, kTokenTextSize) != nullptr);
        FUZZ_CHECK(t.text == scanner.tokenText);
        FUZZ_CHECK(t.number == scanner.numberText);
        FUZZ_CHECK(scanner.tokenCut == (t.cut ? 1 : 0));
    }
    FUZZ_CHECK(scanner.ScanToken() == kTokenEnd);
    scanner.Close();
    FUZZ_CHECK(scanner.ScanToken() == kTokenEnd);
}

// A directory and a file that both pass the check name a file inside the game
// directory; so does each of them alone.
void CheckEntry(const std::string& dir, const std::string& file)
{
    bool dirSafe = IsSafeRelativeDirectory(dir.c_str()) == 1;
    bool fileSafe = IsSafeRelativePath(file.c_str()) == 1;
    if (dirSafe)
        FUZZ_CHECK(WindowsPathModel::DirectoryStaysInside(dir));
    if (fileSafe)
        FUZZ_CHECK(WindowsPathModel::FileStaysInside(file));
    if (dirSafe && fileSafe)
        FUZZ_CHECK(WindowsPathModel::FileStaysInside(dir.empty() ? file : dir + "\\" + file));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ScratchFile list("list");
    list.Write(data, size);
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<ModelToken> tokens = ListTokenModel(bytes).Tokens();
    for (ModelToken& t : tokens)   // the launcher sees a text up to a NUL byte
        t.text = t.text.c_str();
    FUZZ_CHECK(tokens.size() <= size + 1);   // each token consumes a byte
    CheckScanner(list.Path(), tokens);

    // A name is a file; a number and the token after it are a directory switch.
    int files = 0;
    bool compressed = false, testServer = false;
    std::string dir;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const ModelToken& t = tokens[i];
        if (t.code == kTokenName) {
            ++files;
            CheckEntry(dir, t.text);
        } else if (t.code == kTokenNumber && i + 1 < tokens.size()) {
            if (tokens[++i].code == kTokenEnd)
                break;
            dir = tokens[i].text;
        }
    }
    // Tags count wherever they stand.
    for (const ModelToken& t : tokens) {
        if (t.code == kTokenTag) {
            compressed = compressed || t.text == kTagCompressed;
            testServer = testServer || t.text == kTagTestServer;
        }
    }
    FUZZ_CHECK(CountListFiles(list.Path()) == files);
    FUZZ_CHECK(ListHasTag(list.Path(), kTagCompressed) == (compressed ? 1 : 0));
    FUZZ_CHECK(ListHasTag(list.Path(), kTagTestServer) == (testServer ? 1 : 0));
    return 0;
}
