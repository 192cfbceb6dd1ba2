// Every catalogue text id named in app/MessageIds.h has its line in app/message.ctf,
// read by the launcher's own catalogue loader.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/MessageIds.h"
#include "app/Msg.h"

namespace {

// The values of the header's "kMsg... = n," lines, read from the source file.
std::vector<int> HeaderIds()
{
    std::ifstream header(ZR_SOURCE_DIR "/app/MessageIds.h");
    std::stringstream text;
    text << header.rdbuf();
    std::string body = text.str();
    std::regex entry(R"(\b(kMsg\w+) = (\d+),)");
    std::vector<int> ids;
    for (std::sregex_iterator it(body.begin(), body.end(), entry), end; it != end; ++it)
        ids.push_back(std::stoi((*it)[2].str()));
    return ids;
}

} // namespace

TEST(MessageIds, EveryIdHasACatalogueLine)
{
    std::vector<int> ids = HeaderIds();
    // The parse sees the whole enum, first and last entry included.
    ASSERT_GE(ids.size(), 35u);
    EXPECT_EQ(ids.front(), kMsgOptionsTip);
    EXPECT_EQ(ids.back(), kMsgNoticeAddress);

    CMsg catalogue;
    catalogue.LoadCTF(ZR_SOURCE_DIR "/app/message.ctf");
    ASSERT_GT(catalogue.Count(), 0u);
    for (int id : ids)
        EXPECT_STRNE(catalogue.Get(id), "") << "no line " << id << " in app/message.ctf";
}
