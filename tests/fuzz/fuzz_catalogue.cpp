// Fuzz target: the version catalogue.
//
// The catalogue is the list of the name tokens of the file (read by the independent
// ListTokenModel). A catalogue is refused as unreadable when a name is longer than 8
// characters, as too long from the 1000th version on, and a refused catalogue leaves
// no version behind. An accepted one holds every name in order, each with the
// version an independent reading of its text gives.
#include <cstring>
#include <string>
#include <vector>

#include "patch/Catalogue.h"
#include "patch/ListScanner.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/ListTokenModel.h"
#include "tests/fuzz/VersionModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ScratchFile file("catalogue");
    static PatchSession* session = new PatchSession;
    file.Write(data, size);

    std::vector<std::string> names;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const ModelToken& t : ListTokenModel(bytes).Tokens()) {
        if (t.code == kTokenName)   // a NUL byte ends the text the launcher sees
            names.push_back(t.text.substr(0, t.text.find('\0')));
    }
    int expected = kCatalogueOk;
    for (size_t i = 0; i < names.size() && expected == kCatalogueOk; ++i) {
        if (names[i].size() > kMaxVersionNameLength)
            expected = kCatalogueUnreadable;
        else if (i + 1 >= kMaxVersions)
            expected = kCatalogueTooMany;
    }

    session->versionCount = 12345;
    int result = ParseCatalogueFile(file.Path(), *session);
    FUZZ_CHECK(result == expected);
    if (result != kCatalogueOk) {
        FUZZ_CHECK(session->versionCount == 0);
        return 0;
    }
    FUZZ_CHECK(session->versionCount == static_cast<int>(names.size()));
    for (size_t i = 0; i < names.size(); ++i) {
        const VersionEntry& entry = session->versions[i];
        FUZZ_CHECK(memchr(entry.name, 0, sizeof entry.name) != nullptr);
        FUZZ_CHECK(names[i] == entry.name);
        VersionTriple v = VersionModel::Parse(names[i]);
        FUZZ_CHECK(VersionModel::Same(v, VersionTriple{entry.major, entry.minor, entry.patch}));
        FUZZ_CHECK(entry.packed == (v.major << 16 | v.minor << 8 | v.patch));
    }
    return 0;
}
