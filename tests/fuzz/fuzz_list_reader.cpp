// Fuzz target: ListReader, the one reader of "list.inf", and the two readers built on
// it that decide what a version writes: CheckFileList and CollectListPaths.
//
// The reader's items must be those of the grammar applied to an independent reading
// of the tokens (ListTokenModel), cut exactly when a name or directory is longer than
// the buffer. Every list CheckFileList accepts must keep each joined path inside the
// game directory when Windows resolves it (WindowsPathModel), and a list of plain
// names must be accepted. CollectListPaths must give the model's joined paths.
#include <algorithm>
#include <string>
#include <vector>

#include "patch/ListCheck.h"
#include "patch/ListEntries.h"
#include "patch/ListReader.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/ListTokenModel.h"
#include "tests/fuzz/WindowsPathModel.h"

namespace {

struct ModelItem {
    int kind;
    std::string text;
    bool cut;
    int token;
};

// The grammar: name = file, number + next token = directory switch, tag, other.
std::vector<ModelItem> Items(const std::vector<ModelToken>& tokens, bool& endedInSwitch)
{
    std::vector<ModelItem> items;
    endedInSwitch = false;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const ModelToken& t = tokens[i];
        if (t.code == kTokenEnd)
            break;
        if (t.code == kTokenNumber) {
            const ModelToken& next = tokens[++i];   // the end token always follows
            if (next.code == kTokenEnd) {
                endedInSwitch = true;
                break;
            }
            items.push_back({kListDirectory, next.text, next.cut, next.code});
            continue;
        }
        int kind = t.code == kTokenName ? kListFile : t.code == kTokenTag ? kListTag : kListOther;
        items.push_back({kind, t.text, t.cut, t.code});
    }
    return items;
}

void CheckReader(const char* path, const std::vector<ModelItem>& items, bool endedInSwitch)
{
    ListReader reader;
    FUZZ_CHECK(reader.Next() == kListEnd);   // nothing open yet
    FUZZ_CHECK(reader.Open(path) == 1);
    for (const ModelItem& item : items) {
        FUZZ_CHECK(reader.Next() == item.kind);
        FUZZ_CHECK(item.text == reader.Text());
        FUZZ_CHECK(reader.Cut() == (item.cut ? 1 : 0));
        FUZZ_CHECK(reader.Token() == item.token);
        FUZZ_CHECK(reader.EndedInSwitch() == 0);
    }
    FUZZ_CHECK(reader.Next() == kListEnd && reader.Next() == kListEnd);
    FUZZ_CHECK(reader.EndedInSwitch() == (endedInSwitch ? 1 : 0));
}

std::string Join(const std::string& dir, const std::string& name)
{
    return dir.empty() ? name : dir + "\\" + name;
}

bool Letter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Parts of letters, digits and '_' joined by single dots, parts joined by single
// backslashes, no device name: a path every check must let pass ("data\a.bmd").
bool Plain(const std::string& text)
{
    size_t start = 0;
    for (size_t end; start <= text.size(); start = end + 1) {
        end = std::min(text.find('\\', start), text.size());
        std::string part = text.substr(start, end - start);
        if (part.empty() || part.front() == '.' || part.back() == '.' ||
            part.find("..") != std::string::npos || WindowsPathModel::IsDevice(part))
            return false;
        for (char c : part) {
            if (!Letter(c) && !(c >= '0' && c <= '9') && c != '_' && c != '.')
                return false;
        }
    }
    return true;
}

// What the model says of the list: any cut name, every joined path, and whether
// every directory and file is plain and short enough to be accepted.
struct ListModel {
    bool cut = false;
    bool plain = true;
    std::vector<std::string> dirs, paths, names;
};

ListModel Walk(const std::vector<ModelItem>& items)
{
    ListModel m;
    std::string dir;
    for (const ModelItem& item : items) {
        if (item.kind != kListFile && item.kind != kListDirectory)
            continue;
        m.cut = m.cut || item.cut;
        m.plain = m.plain && Plain(item.text) && item.text.size() < kTokenTextSize;
        if (item.kind == kListDirectory) {
            dir = item.text;
            m.dirs.push_back(dir);
            continue;
        }
        m.paths.push_back(Join(dir, item.text));
        m.names.push_back(item.text);
    }
    return m;
}

void CheckFileListSafety(const char* path, const ListModel& m)
{
    for (int compressed = 0; compressed <= 1; ++compressed) {
        if (CheckFileList(path, compressed) != 1)
            continue;
        FUZZ_CHECK(!m.cut);
        for (const std::string& dir : m.dirs)
            FUZZ_CHECK(WindowsPathModel::DirectoryStaysInside(dir));
        for (const std::string& joined : m.paths) {
            FUZZ_CHECK(joined.size() < kListPathBytes);
            FUZZ_CHECK(WindowsPathModel::FileStaysInside(joined));
            // The driver strips the suffix of a compressed name: what is left stays too.
            if (compressed)
                FUZZ_CHECK(WindowsPathModel::FileStaysInside(
                    joined.substr(0, joined.size() - kCompressedSuffixLength)));
        }
    }
    if (m.plain && !m.cut)
        FUZZ_CHECK(CheckFileList(path, 0) == 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ScratchFile list("list_reader");
    list.Write(data, size);
    std::vector<ModelToken> tokens =
        ListTokenModel(std::string(reinterpret_cast<const char*>(data), size)).Tokens();
    for (ModelToken& t : tokens)   // the launcher sees a text up to a NUL byte
        t.text = t.text.c_str();
    bool endedInSwitch = false;
    std::vector<ModelItem> items = Items(tokens, endedInSwitch);
    CheckReader(list.Path(), items, endedInSwitch);

    ListModel m = Walk(items);
    CheckFileListSafety(list.Path(), m);
    std::vector<std::string> paths, names;
    int collected = CollectListPaths(list.Path(), paths, &names);
    FUZZ_CHECK(collected == (m.cut ? 0 : 1));
    if (collected) {
        FUZZ_CHECK(paths == m.paths);
        FUZZ_CHECK(names == m.names);
    }
    return 0;
}
