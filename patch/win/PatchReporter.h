#pragma once
// What the patch engine needs of the window it runs in: the status line, the two
// progress bars and counters, the transfer caption, the message pump and the states
// of the connection driver. The main dialog implements it; tests can implement it
// without a window.
#include <windows.h>

// The engine's own names for the two bars (the file's progress above, the version's
// below) and the two counters; the window maps them to its controls.
enum PatchBar { kUpperBar, kLowerBar };
enum PatchCounter { kVersionCounter, kFileCounter };
// Room for a transfer caption: a catalogue text and its percentage.
enum { kCaptionBytes = 1100 };

class PatchReporter {
public:
    virtual ~PatchReporter() {}
    virtual void ShowStatus(const char* text) = 0;
    virtual void ShowStatusError(const char* text) = 0;
    // Takes at most one waiting window message and dispatches it.
    virtual void PumpOneMessage() = 0;
    // Range 0..high with step 1 (PBM_SETRANGE, PBM_SETSTEP).
    virtual void SetBarRange(PatchBar bar, int high) = 0;
    virtual void SetBarPos(PatchBar bar, int pos) = 0;
    virtual void SetCounterText(PatchCounter counter, const char* text) = 0;
    virtual void DrawTransferCaption(const char* text) = 0;
    // The connection driver's ready state (text 126 ready style, Connect button).
    virtual void EnterReady() = 0;
    // A session ended in failure: the status line keeps its error and the Connect
    // button offers a new attempt (not the game start).
    virtual void OfferRetry() = 0;
    // Closes the connect-server socket (before a self-update launch).
    virtual void CloseConnectSocket() = 0;
    // Owner of message boxes such as the install error; may be null.
    virtual HWND OwnerWindow() = 0;
};
