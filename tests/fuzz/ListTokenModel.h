#pragma once
// An independent reading of the list format for the fuzz targets: the tokens the
// scanner must return for a byte string, worked out from the bytes in memory.
#include <string>
#include <vector>

struct ModelToken {
    int code;
    std::string text;     // name or tag, at most 99 characters
    std::string number;   // number, at most 99 characters
    bool cut;             // the token had more than 99 characters
};

class ListTokenModel {
public:
    explicit ListTokenModel(const std::string& bytes) : m_in(bytes) {}

    std::vector<ModelToken> Tokens()
    {
        std::vector<ModelToken> out;
        for (;;) {
            ModelToken t = Next();
            out.push_back(t);
            if (t.code == 2)
                return out;
        }
    }

private:
    int Get() { return m_pos < m_in.size() ? static_cast<unsigned char>(m_in[m_pos++]) : -1; }
    static bool Letter(int c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
    static bool Digit(int c) { return c >= '0' && c <= '9'; }
    static bool NumberChar(int c) { return Digit(c) || c == '-' || c == '.'; }

    static void Keep(std::string& s, bool& cut, int c)
    {
        if (s.size() < 99)
            s += static_cast<char>(c);
        else
            cut = true;
    }

    ModelToken Next()
    {
        ModelToken t{2, "", "", false};
        int c = Get();
        if (c == -1)
            return t;
        for (;;) {
            if (c == '/') {
                int next = Get();
                if (next != '/') {   // a lone slash is dropped, even before the end
                    c = next;
                    continue;
                }
                while (c != -1 && c != '\n')   // comment, with its line break
                    c = Get();
                if (c == -1 || (c = Get()) == -1)
                    return t;
                continue;
            }
            if (c == ' ' || (c >= 9 && c <= 13)) {
                if ((c = Get()) == -1)
                    return t;
                continue;
            }
            break;
        }
        if (c == '"' || c == '#') {
            int end = c;
            t.code = c == '"' ? 0 : 35;
            for (int d = Get(); d != -1 && d != end; d = Get())
                Keep(t.text, t.cut, d);
        } else if (c == ',' || c == ';' || c == '{' || c == '}') {
            t.code = c;
        } else if (NumberChar(c)) {
            t.code = 1;
            for (int d = c; NumberChar(d); d = Get())
                Keep(t.number, t.cut, d);   // the byte that ends it is dropped
        } else if (Letter(c)) {
            t.code = 0;
            int d = c;
            for (; Letter(d) || Digit(d) || d == '.' || d == '_'; d = Get())
                Keep(t.text, t.cut, d);
            if (d != -1)
                --m_pos;   // put back
        } else {
            t.code = 60;
        }
        return t;
    }

    std::string m_in;
    size_t m_pos = 0;
};
