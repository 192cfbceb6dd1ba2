#include "patch/PatchLog.h"

#include <cstring>

const char kPatchLogName[] = "patch.log";

namespace {

// Kind letter, separator, the longest text and a CR: anything longer is unreadable.
const size_t kMaxLineBytes = 2 + kMaxLogText + 1;

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

void ParsePatchLogLine(const char* bytes, size_t length, PatchLogLine* line)
{
    line->kind = length > 0 ? bytes[0] : '\0';
    line->readable = 0;
    line->text[0] = '\0';
    if (length == 0 || length > kMaxLineBytes)
        return;
    if (bytes[length - 1] == '\r')
        --length;
    size_t start = 1;
    if (start < length && IsSeparator(bytes[start]))
        ++start;
    size_t textLength = length > start ? length - start : 0;
    if (textLength == 0 || textLength > kMaxLogText)
        return;
    if (memchr(bytes + start, '\0', textLength))
        return;
    memcpy(line->text, bytes + start, textLength);
    line->text[textLength] = '\0';
    line->readable = 1;
}

PackedVersion PackedVersionOfLogText(const char* text)
{
    return PackVersion(ParseVersionText(text));
}

// ---------------------------------------------------------------------------

PatchLogReader::PatchLogReader() : m_file(nullptr), m_pos(0), m_filled(0) {}

PatchLogReader::~PatchLogReader()
{
    Close();
}

int PatchLogReader::Open(const char* fileName)
{
    Close();
    m_file = fopen(fileName, "r");
    m_pos = 0;
    m_filled = 0;
    return m_file ? 1 : 0;
}

void PatchLogReader::Close()
{
    if (m_file) {
        fclose(m_file);
        m_file = nullptr;
    }
}

int PatchLogReader::NextLine(PatchLogLine* line)
{
    if (!m_file)
        return 0;
    // Keeps at most one byte more than a readable line holds; the rest of a long
    // line is read and dropped so the next call starts at the next line. Lines are
    // cut at '\n' only, so a NUL byte in a broken log cannot shift them.
    m_line.clear();
    bool sawAny = false;
    for (;;) {
        if (m_pos == m_filled) {
            m_filled = fread(m_block, 1, sizeof m_block, m_file);
            m_pos = 0;
            if (m_filled == 0)
                break;
        }
        sawAny = true;
        const char* begin = m_block + m_pos;
        size_t available = m_filled - m_pos;
        const char* lineEnd = static_cast<const char*>(memchr(begin, '\n', available));
        size_t take = lineEnd ? static_cast<size_t>(lineEnd - begin) : available;
        if (m_line.size() <= kMaxLineBytes) {
            size_t room = kMaxLineBytes + 1 - m_line.size();
            m_line.append(begin, take < room ? take : room);
        }
        m_pos += lineEnd ? take + 1 : take;
        if (lineEnd)
            break;
    }
    if (!sawAny)
        return 0;
    ParsePatchLogLine(m_line.data(), m_line.size(), line);
    return 1;
}

int PatchLogReader::ReadFailed() const
{
    return m_file && ferror(m_file) ? 1 : 0;
}

int PatchLogReader::NextFileEntry(PatchLogLine* line)
{
    while (NextLine(line)) {
        if (line->kind == 'F' && line->readable)
            return 1;
    }
    return 0;
}

// ---------------------------------------------------------------------------

PatchLog::PatchLog(const char* fileName) : m_fileName(fileName) {}

int PatchLog::Exists() const
{
    FILE* file = fopen(m_fileName.c_str(), "r");
    if (!file)
        return 0;
    fclose(file);
    return 1;
}

int PatchLog::Delete() const
{
    remove(m_fileName.c_str());
    return Exists() ? 0 : 1;
}

namespace {

// 1 when the file has bytes and its last byte is not a line break.
bool EndsInsideLine(const char* fileName)
{
    FILE* file = fopen(fileName, "rb");
    if (!file)
        return false;
    bool inside = false;
    if (fseek(file, -1, SEEK_END) == 0) {
        int last = fgetc(file);
        inside = last != EOF && last != '\n';
    }
    fclose(file);
    return inside;
}

} // namespace

int PatchLog::AppendLogLine(char kind, const char* text) const
{
    if (kind == '\0' || kind == '\r' || kind == '\n' || !text)
        return 0;
    size_t length = strlen(text);
    if (length == 0 || length > kMaxLogText || strpbrk(text, "\r\n"))
        return 0;
    bool needBreak = EndsInsideLine(m_fileName.c_str());
    FILE* file = fopen(m_fileName.c_str(), "a+");
    if (!file)
        return 0;
    bool written = true;
    if (needBreak && fputc('\n', file) == EOF)
        written = false;
    if (written && fprintf(file, "%c %s\n", kind, text) < 0)
        written = false;
    if (fclose(file) != 0)
        written = false;
    return written ? 1 : 0;
}

int PatchLog::LogHasFile(const char* path) const
{
    PatchLogReader reader;
    if (!path || !reader.Open(m_fileName.c_str()))
        return 0;
    PatchLogLine line;
    while (reader.NextFileEntry(&line)) {
        if (strcmp(line.text, path) == 0)
            return 1;
    }
    return 0;
}

int PatchLog::LogIsStale(PackedVersion targetPacked) const
{
    PatchLogReader reader;
    if (!reader.Open(m_fileName.c_str()))
        return 0;
    PackedVersion logged = 0;
    PatchLogLine line;
    while (reader.NextLine(&line)) {
        if (line.kind == 'V' && line.readable) {
            logged = PackedVersionOfLogText(line.text);
            break;
        }
    }
    return logged != targetPacked ? 1 : 0;
}
