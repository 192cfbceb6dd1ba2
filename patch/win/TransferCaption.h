#pragma once
// The one-line transfer caption under the progress bars of the main dialog: a file
// name with its percentage during downloads, the expansion progress, the end text of
// a walk. It is painted straight onto the dialog's client area and not remembered; a
// repaint of the background covers it until the next call.
#include <windows.h>

// Caption strip geometry in client coordinates of the dialog.
enum {
    kCaptionLeft = 138,
    kCaptionTop = 106,
    kCaptionWidth = 165,
    kCaptionBitmapHeight = 17,   // the text is laid out in 17 rows...
    kCaptionHeight = 16,         // ...of which the top 16 reach the window
    kCaptionSampleX = 137,       // the strip's background is the colour of this pixel
    kCaptionSampleY = 105
};

// Paints text (UTF-8) centred across the strip, top-aligned and clipped to it, in
// the 12-pixel dialog font on the background colour sampled next to the strip. Every
// GDI object it makes is released before it returns. Nothing happens without a
// window.
void DrawTransferCaption(HWND dialog, const char* text);
