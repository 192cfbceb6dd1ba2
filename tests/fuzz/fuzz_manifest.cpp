// Fuzz target: the version manifest (ParseManifest, Find, FormatManifest) and the
// check that it fits the list (CheckManifestFits).
//
// The input is the manifest text, then optionally a NUL byte and control bytes that
// pick the list the manifest is held against. The parser must accept exactly what an
// independent reading of the grammar accepts; an accepted manifest must format back
// to the same bytes (so every hash was lower-case hex and every size canonical), stay
// within the limits and never hold two paths that differ only in letter case. Find
// must agree with a linear search, and CheckManifestFits must say "fits" exactly when
// the list's paths are the manifest's, each once.
#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "patch/Manifest.h"
#include "patch/ManifestCheck.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// Cuts `field` off the front of `rest`, which must go on with one blank (or end,
// when `last`).
bool Take(std::string& rest, std::string& field, bool last = false)
{
    size_t blank = rest.find(' ');
    if (last != (blank == std::string::npos))
        return false;
    field = rest.substr(0, blank);
    rest = last ? "" : rest.substr(blank + 1);
    return true;
}

bool Size(std::string& rest)
{
    std::string f;
    return Take(rest, f) && !f.empty() && f.size() <= 15 && (f[0] != '0' || f.size() == 1) &&
           f.find_first_not_of("0123456789") == std::string::npos;
}

bool Hash(std::string& rest, bool last = false)
{
    std::string f;
    return Take(rest, f, last) && f.size() == 64 &&
           f.find_first_not_of("0123456789abcdef") == std::string::npos;
}

bool Keyword(std::string& rest, const char* word)
{
    std::string f;
    return Take(rest, f) && f == word;
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return s;
}

// The grammar, read line by line without the parser's code.
bool ModelAccepts(const std::string& text)
{
    if (text.empty() || text.size() > (1u << 20) || text.back() != '\n')
        return false;
    for (unsigned char c : text) {
        if ((c < 0x20 && c != '\n') || c == 0x7f)
            return false;
    }
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
    }
    if (lines.size() < 3 || lines.size() > 3 + 999 || lines[0] != "zr-manifest 1")
        return false;
    std::string version = lines[1], list = lines[2];
    if (!Keyword(version, "version") || version.empty() || version.size() > 8 ||
        version.find(' ') != std::string::npos)
        return false;
    if (!Keyword(list, "list") || !Size(list) || !Hash(list, true))
        return false;
    std::set<std::string> seen;
    for (size_t i = 3; i < lines.size(); ++i) {
        std::string rest = lines[i];
        if (!Keyword(rest, "file") || !Size(rest) || !Hash(rest) || !Size(rest) || !Hash(rest))
            return false;
        if (rest.empty() || rest.size() > 259 || !seen.insert(Lower(rest)).second)
            return false;
    }
    return true;
}

const ManifestEntry* LinearFind(const Manifest& m, const std::string& path)
{
    for (const ManifestEntry& e : m.entries) {
        if (e.path == path)
            return &e;
    }
    return nullptr;
}

void CheckAccepted(const std::string& text, const Manifest& m, const std::string& probe)
{
    FUZZ_CHECK(FormatManifest(m) == text);
    FUZZ_CHECK(m.entries.size() <= kMaxManifestEntries && m.index.size() == m.entries.size());
    FUZZ_CHECK(!m.version.empty() && m.version.size() <= kMaxManifestVersionChars);
    FUZZ_CHECK(m.listSize < 1000000000000000ull);
    std::set<std::string> lower;
    for (const ManifestEntry& e : m.entries) {
        FUZZ_CHECK(!e.path.empty() && e.path.size() <= kMaxManifestPathBytes);
        FUZZ_CHECK(e.servedSize < 1000000000000000ull && e.installedSize < 1000000000000000ull);
        FUZZ_CHECK(lower.insert(Lower(e.path)).second);
        FUZZ_CHECK(m.Find(e.path) == &e);
        FUZZ_CHECK(m.Find(Lower(e.path)) == LinearFind(m, Lower(e.path)));
    }
    FUZZ_CHECK(m.Find(probe) == LinearFind(m, probe));
}

// Control bytes: the first two choose the version and list (same or other), each
// further byte a path of the list (an entry of the manifest, or the probe).
void CheckFits(const Manifest& m, const std::string& control, const std::string& probe)
{
    bool sameVersion = control.size() < 1 || !(control[0] & 1);
    bool sameList = control.size() < 2 || !(control[1] & 1);
    std::vector<std::string> paths;
    if (control.size() <= 2) {
        for (const ManifestEntry& e : m.entries)
            paths.push_back(e.path);
    }
    for (size_t i = 2; i < control.size(); ++i) {
        size_t pick = static_cast<unsigned char>(control[i]) % (m.entries.size() + 1);
        paths.push_back(pick < m.entries.size() ? m.entries[pick].path : probe);
    }
    Sha256Digest hash = m.listHash;
    if (!sameList)
        hash[0] ^= 1;
    std::string path;
    int fit = CheckManifestFits(m, sameVersion ? m.version : m.version + "x", m.listSize, hash,
                                paths, path);
    std::set<std::string> listed(paths.begin(), paths.end()), entries;
    for (const ManifestEntry& e : m.entries)
        entries.insert(e.path);
    bool sameSet = listed == entries && listed.size() == paths.size();
    FUZZ_CHECK((fit == kManifestFits) == (sameVersion && sameList && sameSet));
    if (fit == kManifestMissesEntry)
        FUZZ_CHECK(!entries.count(path) && listed.count(path));
    if (fit == kManifestExtraEntry)
        FUZZ_CHECK(!listed.count(path) || std::count(paths.begin(), paths.end(), path) > 1);
    FUZZ_CHECK(!DescribeManifestFit(fit, path).empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t nul = input.find('\0');
    std::string text = input.substr(0, nul);
    std::string control = nul == std::string::npos ? "" : input.substr(nul + 1);
    std::string probe = control.substr(0, control.find('\0'));

    Manifest m;
    m.version = "stale";   // a refused text must leave nothing behind
    std::string error;
    int ok = ParseManifest(text.data(), text.size(), m, error);
    FUZZ_CHECK(ok == (ModelAccepts(text) ? 1 : 0));
    if (!ok) {
        FUZZ_CHECK(!error.empty() && m.version.empty() && m.entries.empty() && m.index.empty());
        return 0;
    }
    CheckAccepted(text, m, probe);
    CheckFits(m, control, probe);
    return 0;
}
