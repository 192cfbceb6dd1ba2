#pragma once
// The patch log held in memory while one version's list is processed. The driver
// asks, for every file of the list, whether the log is stale and whether it names
// the file; rereading the file for each question costs N line reads per file. The
// index reads the log once (Load) and answers both questions from memory in constant
// time. It stays in step with the file because every change the driver makes goes
// through it: appended lines, and deleting the log to restart it. Its answers are
// those of PatchLog for the same file contents, and the file it writes is the one
// PatchLog writes.
//
// Nothing else may write the log between Load and the end of the list; the driver
// is the log's only writer.
#include <string>
#include <unordered_set>

#include "patch/PatchLog.h"

class PatchLogIndex {
public:
    explicit PatchLogIndex(const char* fileName = kPatchLogName);
    PatchLogIndex(const PatchLogIndex&) = delete;
    PatchLogIndex& operator=(const PatchLogIndex&) = delete;

    // Reads the log from its start, replacing what the index held. An absent log
    // is an empty index (Exists 0). Returns 1 when the whole log was read, 0 after
    // a read error; the index then holds the lines read before it, which are also
    // all that the plain reader sees.
    int Load();

    int Exists() const { return m_exists ? 1 : 0; }
    // Same answers as PatchLog::LogHasFile and PatchLog::LogIsStale.
    int LogHasFile(const char* path) const;
    int LogIsStale(PackedVersion targetPacked) const;

    // Writes like PatchLog::AppendLogLine and records the line. When the write
    // fails part-way the file is read again, so the index keeps the file's state.
    int AppendLogLine(char kind, const char* text);
    // Deletes the log and empties the index; 1 when the log is gone.
    int DeleteLog();

    const char* FileName() const { return m_log.FileName(); }
    size_t FileEntryCount() const { return m_files.size(); }

private:
    void Clear();
    void Record(const PatchLogLine& line);

    PatchLog m_log;
    bool m_exists;
    bool m_hasVersion;
    PackedVersion m_version;
    std::unordered_set<std::string> m_files;
};
