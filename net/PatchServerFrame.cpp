#include "net/PatchServerFrame.h"

#include <cstring>

#include "net/AccountScramble.h"
#include "net/FrameFormat.h"

namespace {

// Copies a scrambled field of the given width into out (width + 1 bytes) as text.
void CopyField(const unsigned char* field, int width, char* out)
{
    unsigned char* text = reinterpret_cast<unsigned char*>(out);
    memcpy(text, field, static_cast<size_t>(width));
    Descramble(text, width);
    text[width] = 0;
}

// Writes text NUL-padded into a field of the given width and scrambles the field.
void PutField(unsigned char* field, int width, const char* text)
{
    memset(field, 0, static_cast<size_t>(width));
    memcpy(field, text, strnlen(text, static_cast<size_t>(width - 1)));
    Scramble(field, width);
}

}  // namespace

int PatchHostOffset(int opCode)
{
    return opCode == kOpPatchServer ? 5 : 6;
}

int DecodePatchServerFrame(const unsigned char* frame, int size, int opCode,
                           PatchServerAddress& address)
{
    if (size < kPatchFrameMinSize)
        return 0;
    CopyField(frame + PatchHostOffset(opCode), kPatchHostWidth, address.host);
    address.port = static_cast<unsigned short>(frame[kPatchPortOffset] |
                                               (frame[kPatchPortOffset + 1] << 8));
    CopyField(frame + kPatchUserOffset, kPatchAccountWidth, address.user);
    CopyField(frame + kPatchPasswordOffset, kPatchAccountWidth, address.password);
    CopyField(frame + kPatchCatalogueOffset, kPatchAccountWidth, address.catalogue);
    return 1;
}

int EncodePatchServerFrame(int opCode, const PatchServerAddress& address,
                           unsigned char out[kPatchFrameSize])
{
    memset(out, 0, kPatchFrameSize);
    out[0] = kFrameLong;
    out[1] = static_cast<unsigned char>(kPatchFrameSize >> 8);
    out[2] = static_cast<unsigned char>(kPatchFrameSize & 0xFF);
    out[3] = static_cast<unsigned char>(opCode);
    PutField(out + PatchHostOffset(opCode), kPatchHostWidth, address.host);
    out[kPatchPortOffset] = static_cast<unsigned char>(address.port & 0xFF);
    out[kPatchPortOffset + 1] = static_cast<unsigned char>(address.port >> 8);
    PutField(out + kPatchUserOffset, kPatchAccountWidth, address.user);
    PutField(out + kPatchPasswordOffset, kPatchAccountWidth, address.password);
    PutField(out + kPatchCatalogueOffset, kPatchAccountWidth, address.catalogue);
    return kPatchFrameSize;
}
