// Fuzz target: "patch.log" (line reader, plain queries, in-memory index, appends).
//
// The input is a log left on disk (any bytes, maybe cut inside a line) and lines the
// engine then appends. Properties: the reader sees the lines an independent reading
// of the bytes gives; an append is refused exactly when its line could not be read
// back, and an accepted one reads back unchanged after the old lines (round trip);
// the index, a freshly loaded index and the plain queries give the same answers.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "patch/PatchLog.h"
#include "patch/PatchLogIndex.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/VersionModel.h"

namespace {

struct ModelLine {
    char kind;
    bool readable;
    std::string text;
};

ModelLine ReadLine(std::string raw)
{
    ModelLine line{raw.empty() ? '\0' : raw[0], false, ""};
    if (raw.empty() || raw.size() > 2 + kMaxLogText + 1)
        return line;
    if (raw.back() == '\r')
        raw.pop_back();
    size_t start = raw.size() > 1 && (raw[1] == ' ' || raw[1] == '\t') ? 2 : 1;
    std::string text = raw.size() > start ? raw.substr(start) : "";
    if (text.empty() || text.size() > kMaxLogText || text.find('\0') != std::string::npos)
        return line;
    line.readable = true;
    line.text = text;
    return line;
}

std::vector<ModelLine> ReadLines(const std::string& bytes)
{
    std::vector<ModelLine> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string::npos)
            end = bytes.size();
        lines.push_back(ReadLine(bytes.substr(pos, end - pos)));
        pos = end + 1;
    }
    return lines;
}

void CheckReader(const char* path, const std::vector<ModelLine>& want)
{
    PatchLogReader reader;
    FUZZ_CHECK(reader.Open(path) == 1);
    PatchLogLine line;
    for (const ModelLine& w : want) {
        FUZZ_CHECK(reader.NextLine(&line) == 1);
        FUZZ_CHECK(line.kind == w.kind);
        FUZZ_CHECK(line.readable == (w.readable ? 1 : 0));
        FUZZ_CHECK(w.text == line.text);
    }
    FUZZ_CHECK(reader.NextLine(&line) == 0);
    FUZZ_CHECK(reader.ReadFailed() == 0);
}

// Every way of asking gives the model's answer.
void CheckAnswers(const PatchLogIndex& live, const char* path, bool exists,
                  const std::vector<ModelLine>& lines, const std::vector<std::string>& probes)
{
    PatchLogIndex loaded(path);
    FUZZ_CHECK(loaded.Load() == 1);
    PatchLog plain(path);
    FUZZ_CHECK(live.Exists() == (exists ? 1 : 0) && loaded.Exists() == live.Exists());
    PackedVersion logged = 0;
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (it->kind == 'V' && it->readable)
            logged = PackVersion(VersionModel::Parse(it->text));
    }
    for (PackedVersion target : {logged, logged + 1, 0}) {
        int stale = exists && logged != target ? 1 : 0;
        FUZZ_CHECK(live.LogIsStale(target) == stale && loaded.LogIsStale(target) == stale);
        FUZZ_CHECK(plain.LogIsStale(target) == stale);
    }
    for (const std::string& probe : probes) {
        bool has = false;
        for (const ModelLine& l : lines)
            has = has || (l.kind == 'F' && l.readable && l.text == probe);
        int want = has ? 1 : 0;
        FUZZ_CHECK(live.LogHasFile(probe.c_str()) == want);
        FUZZ_CHECK(loaded.LogHasFile(probe.c_str()) == want);
        FUZZ_CHECK(plain.LogHasFile(probe.c_str()) == want);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ScratchFile log("patchlog");
    FuzzedDataProvider in(data, size);
    std::string old = in.ConsumeRandomLengthString(4000);
    log.Remove();
    if (!old.empty())
        log.Write(old.data(), old.size());
    std::vector<ModelLine> lines = ReadLines(old);
    if (!old.empty())
        CheckReader(log.Path(), lines);

    PatchLogIndex index(log.Path());
    FUZZ_CHECK(index.Load() == 1);
    bool exists = !old.empty();
    std::vector<std::string> probes = {"a.dat"};
    for (const ModelLine& l : lines)
        probes.push_back(l.text);

    while (in.remaining_bytes() > 0) {
        char kind = in.ConsumeIntegral<char>();
        std::string text = in.ConsumeRandomLengthString(300);
        text = text.substr(0, text.find('\0'));
        bool readable = kind != '\0' && kind != '\r' && kind != '\n' && !text.empty() &&
                        text.size() <= kMaxLogText && text.find_first_of("\r\n") == std::string::npos;
        FUZZ_CHECK(index.AppendLogLine(kind, text.c_str()) == (readable ? 1 : 0));
        if (readable) {
            lines.push_back(ModelLine{kind, true, text});
            exists = true;
        }
        probes.push_back(text);
    }
    if (exists)
        CheckReader(log.Path(), lines);
    CheckAnswers(index, log.Path(), exists, lines, probes);
    return 0;
}
