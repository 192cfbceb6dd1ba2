#include "tools/connect_server/ReplyFrames.h"

#include <cstring>

namespace {

const uint8_t kAccountKey[3] = {0x5A, 0x3C, 0x96};

// Copies the text NUL-padded into its field and scrambles the whole field. The
// configuration keeps every text at least one byte shorter than its field.
void PutTextField(uint8_t* field, size_t width, const std::string& text)
{
    memset(field, 0, width);
    memcpy(field, text.data(), text.size() < width ? text.size() : width - 1);
    ScrambleField(field, width);
}

} // namespace

void ScrambleField(uint8_t* field, size_t length)
{
    for (size_t i = 0; i < length; ++i)
        field[i] ^= kAccountKey[i % 3];
}

void BuildGreeting(uint8_t out[kGreetingSize])
{
    out[0] = 0xC1;
    out[1] = kGreetingSize;
    out[2] = kOpGreeting;
    out[3] = 0x01;
}

void BuildUpToDate(uint8_t out[kUpToDateSize])
{
    out[0] = 0xC1;
    out[1] = kUpToDateSize;
    out[2] = kOpUpToDate;
}

void BuildPatchReply(int op, const PatchServerEntry& server, uint8_t out[kPatchReplySize])
{
    memset(out, 0, kPatchReplySize);
    out[0] = 0xC2;
    out[1] = static_cast<uint8_t>(kPatchReplySize >> 8);
    out[2] = static_cast<uint8_t>(kPatchReplySize & 0xFF);
    out[3] = static_cast<uint8_t>(op);
    int hostOffset = (op == 1) ? kHostOffsetOp1 : kHostOffsetOp5And7;
    PutTextField(out + hostOffset, kHostFieldSize, server.host);
    out[kPortOffset] = static_cast<uint8_t>(server.port & 0xFF);
    out[kPortOffset + 1] = static_cast<uint8_t>(server.port >> 8);
    PutTextField(out + kUserOffset, kAccountFieldSize, server.user);
    PutTextField(out + kPasswordOffset, kAccountFieldSize, server.password);
    PutTextField(out + kCatalogueOffset, kAccountFieldSize, server.catalogue);
}
