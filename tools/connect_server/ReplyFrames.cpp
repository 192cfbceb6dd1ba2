#include "tools/connect_server/ReplyFrames.h"

#include <cstdio>

void BuildGreeting(uint8_t out[kGreetingSize])
{
    out[0] = kFrameShort;
    out[1] = kGreetingSize;
    out[2] = kOpGreeting;
    out[3] = 0x01;
}

void BuildUpToDate(uint8_t out[kUpToDateSize])
{
    out[0] = kFrameShort;
    out[1] = kUpToDateSize;
    out[2] = kOpUpToDate;
}

void BuildPatchReply(int op, const PatchServerEntry& server, uint8_t out[kPatchReplySize])
{
    // The configuration keeps every text at least one byte shorter than its field.
    PatchServerAddress address;
    snprintf(address.host, sizeof address.host, "%s", server.host.c_str());
    address.port = static_cast<unsigned short>(server.port);
    snprintf(address.user, sizeof address.user, "%s", server.user.c_str());
    snprintf(address.password, sizeof address.password, "%s", server.password.c_str());
    snprintf(address.catalogue, sizeof address.catalogue, "%s", server.catalogue.c_str());
    EncodePatchServerFrame(op, address, out);
}
