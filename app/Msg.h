#pragma once
// The message catalogue: user-visible texts by number, loaded from "message.ctf".
//
// File format (UTF-8, one entry per line):
//   # a comment line; blank lines are ignored
//   <number><blank or tab><text>
// The number is decimal (0 to 2147483647). In the text, \n stands for a line break,
// \t for a tab and \\ for a backslash; any other backslash is kept as it is. A later
// line with the same number replaces the earlier one. A leading UTF-8 byte-order mark
// is skipped, CR LF line ends are accepted, texts are cut at kMaxTextBytes bytes, and
// bytes that are not valid UTF-8 are replaced by '?', so every text is valid UTF-8.
// Lines that do not start with a number are skipped.
#include <map>
#include <string>

class CMsg {
public:
    enum { kMaxTextBytes = 1023 };

    CMsg();
    ~CMsg();
    CMsg(const CMsg&) = delete;
    CMsg& operator=(const CMsg&) = delete;

    // Loads the file; a missing or unreadable file leaves the catalogue empty.
    void LoadCTF(const char* fileName);
    // Loads from text already in memory (same format as the file).
    void LoadText(const std::string& text);
    // The text of a number; an empty string when the number has none. Never null.
    const char* Get(int number) const;
    size_t Count() const { return m_texts.size(); }

private:
    std::map<int, std::string> m_texts;
};

extern CMsg g_msg;
