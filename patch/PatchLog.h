#pragma once
// "patch.log", the patch engine's record of one version in progress: a 'V' line with
// the version the log belongs to, then one 'F' line per file that is complete in
// Temp. Each line is written as "%c %s\n": the kind letter, one blank, the text.
//
// Reading a line: the first byte is the kind; one blank (or tab) after it, when
// present, is the separator; the text is the rest of the line without its CR/LF
// (a line without a final line break, cut short by a crash, still counts).
// Further blanks belong to the text, so every name the writer logs, including
// names with blanks (quoted names of "list.inf") and leading blanks, reads back
// unchanged. A line
// whose text is empty or longer than kMaxLogText bytes cannot name a file the
// launcher handles (its paths live in 260-byte buffers): it is unreadable and
// ignored like a line of an unknown kind. It never matches, is never yielded and,
// for 'V', does not count as the version line. Nothing is ever cut, so a long name
// can never be taken for a shorter one.
#include <cstddef>
#include <cstdio>
#include <string>

#include "app/VersionTriple.h"

enum { kMaxLogText = 259 };

extern const char kPatchLogName[];   // "patch.log", opened by its bare name

// One line as the readers see it.
struct PatchLogLine {
    char kind;
    int readable;                    // 1 when text holds the line's text
    char text[kMaxLogText + 1];
};

// Parses one line's bytes (without or with its CR/LF). Used by every reader and by
// the in-memory index, so all of them see the same lines.
void ParsePatchLogLine(const char* bytes, size_t length, PatchLogLine* line);

// Reads a log line by line; every line, however long, is consumed whole.
class PatchLogReader {
public:
    PatchLogReader();
    ~PatchLogReader();
    PatchLogReader(const PatchLogReader&) = delete;
    PatchLogReader& operator=(const PatchLogReader&) = delete;

    // Opens the log for reading; 1, or 0 when there is no log. Closes a log opened
    // before.
    int Open(const char* fileName);
    void Close();
    // The next line of any kind; 1, or 0 at the end.
    int NextLine(PatchLogLine* line);
    // The text of the next readable 'F' line, in file order; 1, or 0 at the end.
    int NextFileEntry(PatchLogLine* line);
    // 1 when reading stopped at a read error rather than at the end of the log.
    int ReadFailed() const;

private:
    FILE* m_file;
    char m_block[4096];
    size_t m_pos;
    size_t m_filled;
    std::string m_line;
};

// The plain operations: every question rereads the file from its start.
class PatchLog {
public:
    explicit PatchLog(const char* fileName = kPatchLogName);

    const char* FileName() const { return m_fileName.c_str(); }
    // 1 when the log exists (can be opened for reading).
    int Exists() const;
    // Deletes the log; 1 when it is gone afterwards.
    int Delete() const;

    // Appends one line "%c %s\n", creating the log; 1, or 0 when the log cannot be
    // opened or written. Refuses (0, nothing written) a kind or text that could not
    // be read back as one line: kind NUL, CR or LF, a text with CR or LF, an empty
    // text, or a text longer than kMaxLogText. When the log does not end with a line break (a write
    // cut short), one is written first, so the new line stays a line of its own.
    int AppendLogLine(char kind, const char* text) const;
    // 1 when a readable 'F' line's text equals path byte for byte; 0 otherwise and
    // when there is no log.
    int LogHasFile(const char* path) const;
    // 1 when the version of the first readable 'V' line (0.0.0 when there is none)
    // differs from targetPacked; 0 when equal and when there is no log.
    int LogIsStale(PackedVersion targetPacked) const;

private:
    std::string m_fileName;
};

// Packed form of a 'V' line's text, parsed like a version text of "config.ini".
PackedVersion PackedVersionOfLogText(const char* text);
