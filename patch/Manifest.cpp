#include "patch/Manifest.h"

#include <cstring>
#include <set>

#include "patch/HexText.h"

const char kManifestFileName[] = "manifest.txt";

namespace {

const char kMagicLine[] = "zr-manifest 1";
const size_t kMaxSizeDigits = 15;

std::string AsciiLowerCopy(const std::string& text)
{
    std::string lower = text;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// Cuts the next blank-separated field off `rest`; empty when there is none.
std::string TakeField(std::string& rest)
{
    size_t blank = rest.find(' ');
    std::string field = rest.substr(0, blank);
    rest = (blank == std::string::npos) ? std::string() : rest.substr(blank + 1);
    return field;
}

int ParseSize(const std::string& text, uint64_t& value)
{
    if (text.empty() || text.size() > kMaxSizeDigits || (text[0] == '0' && text.size() > 1))
        return 0;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return 1;
}

int ParseHash(const std::string& text, Sha256Digest& digest)
{
    return BytesFromHex(text.data(), text.size(), digest.data(), digest.size(), false);
}

class ManifestReader {
public:
    ManifestReader(Manifest& manifest, std::string& error) : manifest_(manifest), error_(error) {}
    int Line(size_t number, const std::string& line);

private:
    int Fail(size_t number, const char* what)
    {
        error_ = "line " + std::to_string(number) + ": " + what;
        return 0;
    }
    int FileLine(size_t number, std::string rest);

    Manifest& manifest_;
    std::string& error_;
    std::set<std::string> lowerPaths_;
};

int ManifestReader::Line(size_t number, const std::string& line)
{
    for (unsigned char c : line) {
        if (c < 0x20 || c == 0x7f)
            return Fail(number, "control character");
    }
    if (number == 1)
        return line == kMagicLine ? 1 : Fail(number, "not a manifest of this format");
    std::string rest = line;
    std::string keyword = TakeField(rest);
    if (number == 2) {
        if (keyword != "version" || rest.empty() || rest.size() > kMaxManifestVersionChars ||
            rest.find(' ') != std::string::npos)
            return Fail(number, "expected \"version NAME\"");
        manifest_.version = rest;
        return 1;
    }
    if (number == 3) {
        if (keyword != "list" || !ParseSize(TakeField(rest), manifest_.listSize) ||
            !ParseHash(rest, manifest_.listHash))
            return Fail(number, "expected \"list SIZE SHA256\"");
        return 1;
    }
    if (keyword != "file")
        return Fail(number, "expected a file line");
    return FileLine(number, rest);
}

int ManifestReader::FileLine(size_t number, std::string rest)
{
    if (manifest_.entries.size() == kMaxManifestEntries)
        return Fail(number, "too many file lines");
    ManifestEntry entry;
    if (!ParseSize(TakeField(rest), entry.servedSize) ||
        !ParseHash(TakeField(rest), entry.servedHash) ||
        !ParseSize(TakeField(rest), entry.installedSize) ||
        !ParseHash(TakeField(rest), entry.installedHash))
        return Fail(number, "expected \"file SIZE SHA256 SIZE SHA256 PATH\"");
    if (rest.empty() || rest.size() > kMaxManifestPathBytes)
        return Fail(number, "path empty or too long");
    if (!lowerPaths_.insert(AsciiLowerCopy(rest)).second)
        return Fail(number, "path listed twice");
    entry.path = rest;
    manifest_.index[entry.path] = manifest_.entries.size();
    manifest_.entries.push_back(entry);
    return 1;
}

} // namespace

const ManifestEntry* Manifest::Find(const std::string& path) const
{
    auto found = index.find(path);
    return found == index.end() ? nullptr : &entries[found->second];
}

int ParseManifest(const void* text, size_t size, Manifest& manifest, std::string& error)
{
    manifest = Manifest();
    Manifest parsed;
    const char* chars = static_cast<const char*>(text);
    if (size > kMaxManifestBytes) {
        error = "larger than 1 MiB";
        return 0;
    }
    if (size == 0 || chars[size - 1] != '\n') {
        error = "empty, or its last line has no line feed";
        return 0;
    }
    ManifestReader reader(parsed, error);
    size_t number = 0;
    for (size_t start = 0; start < size;) {
        const char* end = static_cast<const char*>(memchr(chars + start, '\n', size - start));
        size_t length = static_cast<size_t>(end - (chars + start));
        if (!reader.Line(++number, std::string(chars + start, length)))
            return 0;
        start += length + 1;
    }
    if (number < 3) {
        error = "the version or list line is missing";
        return 0;
    }
    manifest = std::move(parsed);
    return 1;
}

std::string FormatManifest(const Manifest& manifest)
{
    std::string text = std::string(kMagicLine) + "\n";
    text += "version " + manifest.version + "\n";
    text += "list " + std::to_string(manifest.listSize) + " " + Sha256Hex(manifest.listHash) + "\n";
    for (const ManifestEntry& entry : manifest.entries) {
        text += "file " + std::to_string(entry.servedSize) + " " + Sha256Hex(entry.servedHash) +
                " " + std::to_string(entry.installedSize) + " " +
                Sha256Hex(entry.installedHash) + " " + entry.path + "\n";
    }
    return text;
}
