#pragma once
// The one-line transfer caption under the progress bars of the main dialog: a file
// name with its percentage during downloads, the expansion progress, the end text of
// a walk. It lives in a child window of its own (the strip) that keeps the text and
// paints it on every repaint, so neither a repaint of the dialog nor of the counters
// beside it removes it. Controls that overlap the strip keep it readable by clipping
// their siblings (WS_CLIPSIBLINGS), as the main dialog's counters do.
#include <windows.h>

// Caption strip geometry in client coordinates of the dialog.
enum {
    kCaptionLeft = 138,
    kCaptionTop = 106,
    kCaptionWidth = 165,
    kCaptionBitmapHeight = 17,   // the text is laid out in 17 rows...
    kCaptionHeight = 16,         // ...of which the top 16 reach the window
    kCaptionSampleX = 137,       // the strip's background is the colour of this pixel
    kCaptionSampleY = 105,
    kCaptionControlId = 1029     // the strip's control id in the dialog
};

// Shows text (UTF-8) centred across the strip, top-aligned and clipped to it, in the
// 12-pixel dialog font on the background colour sampled next to the strip, and
// paints it at once. The strip is created on the first call and put above its
// siblings. Nothing happens without a window.
void DrawTransferCaption(HWND dialog, const char* text);
