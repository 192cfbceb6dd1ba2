// The upper bar and the transfer caption while files download and expand. Drawing
// them costs more under Wine than a small file takes to arrive, so they follow one
// redraw pace across every transfer and expansion of a walk. The end of a file that
// falls between two redraws is held and drawn by the next redraw or at the end of
// the file list, so the window never keeps showing a file's progress as unfinished.
#include <cstdio>

#include "app/Msg.h"
#include "patch/win/PatchEngine.h"

void PatchEngine::StartTransferProgress()
{
    // A new file draws its first redraw in full, as the window may have painted over
    // the caption since the last one.
    m_transferThrottle.Forget();
}

void PatchEngine::ShowTransferProgress(int barPos, int captionText, int percent, bool fileEnd)
{
    if (!m_transferPacer.Due(GetTickCount())) {
        if (fileEnd)
            m_heldTransfer = HeldTransfer{barPos, captionText, percent, true};
        return;
    }
    m_heldTransfer.pending = false;
    DrawTransferProgress(barPos, captionText, percent);
}

void PatchEngine::ShowHeldTransferProgress()
{
    if (!m_heldTransfer.pending)
        return;
    m_heldTransfer.pending = false;
    DrawTransferProgress(m_heldTransfer.barPos, m_heldTransfer.captionText, m_heldTransfer.percent);
}

void PatchEngine::DrawTransferProgress(int barPos, int captionText, int percent)
{
    if (m_transferThrottle.BarChanged(kUpperBar, barPos))
        m_reporter.SetBarPos(kUpperBar, barPos);
    char caption[kCaptionBytes];
    snprintf(caption, sizeof caption, "%s (%d%%)", g_msg.Get(captionText), percent);
    if (m_transferThrottle.CaptionChanged(caption))
        m_reporter.DrawTransferCaption(caption);
}
