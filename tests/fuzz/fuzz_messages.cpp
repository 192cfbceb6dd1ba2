// Fuzz target: the message catalogue "message.ctf".
//
// Properties: every text is valid UTF-8 (checked by an independent validator) and
// fits kMaxTextBytes; the numbers defined are those of the lines
// that start with a number up to 2147483647 followed by a blank, a tab or the end;
// a line of plain text (no backslash, no byte above 0x7F) reads back unchanged, the
// last one of a number winning; the file and the text in memory load the same.
#include <climits>
#include <cstring>
#include <map>
#include <string>

#include "app/Msg.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// Strict UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool ValidUtf8(const std::string& s)
{
    for (size_t i = 0; i < s.size();) {
        unsigned c = static_cast<unsigned char>(s[i]);
        int more = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (more < 0 || i + more >= s.size())
            return false;
        unsigned cp = more == 0 ? c : c & (0x3F >> more);
        for (int k = 1; k <= more; ++k) {
            unsigned b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (b & 0x3F);
        }
        static const unsigned kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += more + 1;
    }
    return true;
}

// Numbers defined by the lines, each with its plain text when the line has one
// (an empty string marks a text that is not plain).
std::map<long long, std::string> DefinedNumbers(const std::string& text)
{
    std::map<long long, std::string> defined;
    size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (pos < text.size()) {
        size_t end = std::min(text.find('\n', pos), text.size());
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        line = line.substr(0, line.find('\0'));
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t digits = line.find_first_not_of("0123456789");
        if (digits == std::string::npos)
            digits = line.size();
        if (digits == 0 || (digits < line.size() && line[digits] != ' ' && line[digits] != '\t'))
            continue;
        std::string number = line.substr(0, digits);
        number.erase(0, std::min(number.find_first_not_of('0'), number.size() - 1));
        if (number.size() > 10 || std::stoll(number) > INT_MAX)
            continue;
        std::string body = digits < line.size() ? line.substr(digits + 1) : "";
        bool plain = !body.empty() && body.size() <= CMsg::kMaxTextBytes &&
                     body.find('\\') == std::string::npos;
        for (unsigned char c : body)
            plain = plain && c < 0x80;
        defined[std::stoll(number)] = plain ? body : "";
    }
    return defined;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ScratchFile file("messages");
    std::string text(reinterpret_cast<const char*>(data), size);
    CMsg msg;
    msg.LoadText(text);

    std::map<long long, std::string> defined = DefinedNumbers(text);
    FUZZ_CHECK(msg.Count() == defined.size());
    for (const auto& entry : defined) {
        const char* got = msg.Get(static_cast<int>(entry.first));
        FUZZ_CHECK(got != nullptr);
        std::string value = got;
        FUZZ_CHECK(value.size() <= CMsg::kMaxTextBytes);
        FUZZ_CHECK(ValidUtf8(value));
        if (!entry.second.empty())
            FUZZ_CHECK(value == entry.second);
    }
    FUZZ_CHECK(msg.Get(-1) != nullptr && *msg.Get(-1) == '\0');

    file.Write(data, size);
    CMsg fromFile;
    fromFile.LoadCTF(file.Path());
    FUZZ_CHECK(fromFile.Count() == msg.Count());
    for (const auto& entry : defined)
        FUZZ_CHECK(strcmp(fromFile.Get(static_cast<int>(entry.first)),
                          msg.Get(static_cast<int>(entry.first))) == 0);
    return 0;
}
