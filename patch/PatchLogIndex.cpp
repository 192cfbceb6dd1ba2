#include "patch/PatchLogIndex.h"

#include <cstdio>
#include <cstring>

PatchLogIndex::PatchLogIndex(const char* fileName)
    : m_log(fileName), m_exists(false), m_hasVersion(false), m_version(0)
{
}

void PatchLogIndex::Clear()
{
    m_exists = false;
    m_hasVersion = false;
    m_version = 0;
    m_files.clear();
}

void PatchLogIndex::Record(const PatchLogLine& line)
{
    if (!line.readable)
        return;
    if (line.kind == 'F') {
        m_files.insert(line.text);
    } else if (line.kind == 'V' && !m_hasVersion) {
        // Only the first version line counts, as for the plain reader.
        m_hasVersion = true;
        m_version = PackedVersionOfLogText(line.text);
    }
}

int PatchLogIndex::Load()
{
    Clear();
    PatchLogReader reader;
    if (!reader.Open(m_log.FileName()))
        return 1;
    m_exists = true;
    PatchLogLine line;
    while (reader.NextLine(&line))
        Record(line);
    return reader.ReadFailed() ? 0 : 1;
}

int PatchLogIndex::LogHasFile(const char* path) const
{
    if (!m_exists || !path)
        return 0;
    return m_files.count(path) ? 1 : 0;
}

int PatchLogIndex::LogIsStale(PackedVersion targetPacked) const
{
    if (!m_exists)
        return 0;
    PackedVersion logged = m_hasVersion ? m_version : 0;
    return logged != targetPacked ? 1 : 0;
}

int PatchLogIndex::AppendLogLine(char kind, const char* text)
{
    int written = m_log.AppendLogLine(kind, text);
    if (!written) {
        // A refused line leaves the file as it was; a failed write may have left
        // part of a line or created the file, so the file decides.
        Load();
        return 0;
    }
    m_exists = true;
    // Parse the line exactly as it now stands in the file.
    char bytes[2 + kMaxLogText + 1];
    int length = snprintf(bytes, sizeof bytes, "%c %s", kind, text);
    PatchLogLine line;
    ParsePatchLogLine(bytes, static_cast<size_t>(length), &line);
    Record(line);
    return 1;
}

int PatchLogIndex::DeleteLog()
{
    int gone = m_log.Delete();
    if (gone)
        Clear();
    else
        Load();
    return gone;
}
