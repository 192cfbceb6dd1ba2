// The shipped catalogues, Korean and English: the same numbers in both, and the same
// printf conversions per number, so that a translated format text can never make the
// launcher read an argument it was not given.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "app/Msg.h"

namespace {

std::string SourceFile(const char* relative)
{
    std::string here = __FILE__;   // .../tests/host/message_catalogue_test.cpp
    return here.substr(0, here.rfind("tests/host/")) + relative;
}

// The numbers a catalogue file defines: every line that starts with a digit.
std::set<int> NumbersIn(const std::string& path)
{
    std::set<int> numbers;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] >= '0' && line[0] <= '9')
            numbers.insert(std::stoi(line));
    return numbers;
}

// The printf conversions of a format text in order, each as written ("%d", "%-5.2s"),
// "%%" left out. A '%' at the end or before an unknown letter is kept as it is, so
// that it shows up as a difference.
std::vector<std::string> Conversions(const std::string& text)
{
    std::vector<std::string> found;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
            continue;
        }
        size_t end = text.find_first_not_of("-+ #0123456789.*hlLqjzt", i + 1);
        if (end == std::string::npos)
            end = text.size() - 1;
        found.push_back(text.substr(i, end - i + 1));
        i = end;
    }
    return found;
}

struct Catalogue {
    explicit Catalogue(const char* relative) : path(SourceFile(relative))
    {
        msg.LoadCTF(path.c_str());
        numbers = NumbersIn(path);
    }
    std::string path;
    CMsg msg;
    std::set<int> numbers;
};

} // namespace

TEST(MessageCatalogue, ConversionsAreFoundInOrder)
{
    // printf reads "% d" as a conversion (blank flag): so does the check.
    EXPECT_EQ(Conversions("100% done, %% left"), std::vector<std::string>{"% d"});
    EXPECT_EQ(Conversions("error %d of %s"), (std::vector<std::string>{"%d", "%s"}));
    EXPECT_EQ(Conversions("%-5.2s%%%lu"), (std::vector<std::string>{"%-5.2s", "%lu"}));
    EXPECT_EQ(Conversions("50%%"), std::vector<std::string>{});
    EXPECT_EQ(Conversions("tail %"), std::vector<std::string>{"%"});
    EXPECT_NE(Conversions("(%d)"), Conversions("(%s)"));
}

TEST(MessageCatalogue, KoreanAndEnglishHoldTheSameNumbersAndConversions)
{
    Catalogue ko("app/message.ko.ctf");
    Catalogue en("app/message.en.ctf");
    ASSERT_GT(en.numbers.size(), 30u) << en.path;
    EXPECT_EQ(ko.numbers, en.numbers);
    EXPECT_EQ(ko.msg.Count(), ko.numbers.size());
    EXPECT_EQ(en.msg.Count(), en.numbers.size());
    for (int number : en.numbers) {
        SCOPED_TRACE(number);
        EXPECT_STRNE(ko.msg.Get(number), "");
        EXPECT_STRNE(en.msg.Get(number), "");
        EXPECT_EQ(Conversions(ko.msg.Get(number)), Conversions(en.msg.Get(number)));
    }
    // The texts that take an argument still take it after translation.
    EXPECT_EQ(Conversions(ko.msg.Get(143)), std::vector<std::string>{"%d"});
}

TEST(MessageCatalogue, KoreanTextsAreKorean)
{
    Catalogue ko("app/message.ko.ctf");
    Catalogue en("app/message.en.ctf");
    // Everything a player reads is translated; the product name and the notice
    // address stay as they are.
    for (int number : en.numbers) {
        if (number == 128 || number == 10000)
            continue;
        SCOPED_TRACE(number);
        EXPECT_STRNE(ko.msg.Get(number), en.msg.Get(number));
        // Hangul syllables are U+AC00 to U+D7A3: lead bytes 0xEA to 0xED in UTF-8.
        std::string text = ko.msg.Get(number);
        bool hangul = false;
        for (unsigned char c : text)
            hangul = hangul || (c >= 0xEA && c <= 0xED);
        EXPECT_TRUE(hangul) << text;
    }
}
