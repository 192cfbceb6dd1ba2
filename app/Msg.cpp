#include "app/Msg.h"

#include <cstdint>
#include <cstdio>

CMsg g_msg;

namespace {

// Length of the valid UTF-8 sequence at p (at most n bytes available), 0 if invalid.
size_t Utf8SequenceLength(const unsigned char* p, size_t n)
{
    unsigned char c = p[0];
    size_t len;
    uint32_t min;
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF) { len = 2; min = 0x80; }
    else if (c >= 0xE0 && c <= 0xEF) { len = 3; min = 0x800; }
    else if (c >= 0xF0 && c <= 0xF4) { len = 4; min = 0x10000; }
    else return 0;
    if (len > n)
        return 0;
    uint32_t cp = c & (0x3F >> (len - 1));
    for (size_t i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

// Replaces invalid UTF-8 with '?' and cuts at max bytes without splitting a character.
std::string CleanUtf8(const std::string& raw, size_t max)
{
    std::string out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(raw.data());
    size_t n = raw.size();
    for (size_t i = 0; i < n;) {
        size_t len = Utf8SequenceLength(p + i, n - i);
        if (len == 0) {
            if (out.size() + 1 > max)
                break;
            out += '?';
            ++i;
            continue;
        }
        if (out.size() + len > max)
            break;
        out.append(raw, i, len);
        i += len;
    }
    return out;
}

std::string Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[i + 1];
            if (next == 'n') { out += '\n'; ++i; continue; }
            if (next == 't') { out += '\t'; ++i; continue; }
            if (next == '\\') { out += '\\'; ++i; continue; }
        }
        out += text[i];
    }
    return out;
}

} // namespace

CMsg::CMsg() = default;
CMsg::~CMsg() = default;

void CMsg::LoadCTF(const char* fileName)
{
    FILE* f = fopen(fileName, "rb");
    if (!f)
        return;
    std::string text;
    char block[4096];
    size_t got;
    while ((got = fread(block, 1, sizeof(block), f)) > 0)
        text.append(block, got);
    fclose(f);
    LoadText(text);
}

void CMsg::LoadText(const std::string& text)
{
    size_t pos = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        pos = 3;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        size_t nul = line.find('\0');
        if (nul != std::string::npos)
            line.resize(nul);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();

        size_t i = 0;
        long long number = 0;
        while (i < line.size() && line[i] >= '0' && line[i] <= '9' && number <= 0x7FFFFFFF)
            number = number * 10 + (line[i++] - '0');
        if (i == 0 || number > 0x7FFFFFFF)
            continue;
        if (i < line.size() && line[i] != ' ' && line[i] != '\t')
            continue;
        if (i < line.size())
            ++i;
        m_texts[static_cast<int>(number)] =
            CleanUtf8(Unescape(line.substr(i)), kMaxTextBytes);
    }
}

const char* CMsg::Get(int number) const
{
    auto it = m_texts.find(number);
    return it == m_texts.end() ? "" : it->second.c_str();
}
