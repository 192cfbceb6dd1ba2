#include "net/PatchServerFrame.h"

#include <cstring>

#include "net/AccountScramble.h"

namespace {

// Copies a scrambled field of the given width into out (width + 1 bytes) as text.
void CopyField(const unsigned char* field, int width, char* out)
{
    unsigned char* text = reinterpret_cast<unsigned char*>(out);
    memcpy(text, field, static_cast<size_t>(width));
    Descramble(text, width);
    text[width] = 0;
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
