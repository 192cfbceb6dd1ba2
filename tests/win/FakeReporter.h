#pragma once
// A PatchReporter for tests: records every report the engine makes (status texts with
// their style, bar ranges and positions, counter texts, captions, ready and socket
// calls) and pumps the thread's real message queue. Optionally it owns a hidden
// top-level window that serves as the owner of message boxes, and a callback runs
// before each pump, e.g. to press "Close" (set stopped) after a number of pumps.
#include <functional>
#include <string>
#include <vector>

#include "patch/win/PatchReporter.h"

struct PatchSession;

class FakeReporter : public PatchReporter {
public:
    enum StatusStyle { kStatusNormal, kStatusError };
    enum BarCall { kBarRange, kBarPos };

    struct Status {
        std::string text;
        StatusStyle style;
    };
    struct BarEvent {
        PatchBar bar;
        BarCall call;
        int value;
    };
    struct CounterEvent {
        PatchCounter counter;
        std::string text;
    };

    // withWindow: create the hidden owner window (destroyed with the reporter).
    explicit FakeReporter(bool withWindow = false);
    ~FakeReporter() override;
    FakeReporter(const FakeReporter&) = delete;
    FakeReporter& operator=(const FakeReporter&) = delete;

    void ShowStatus(const char* text) override;
    void ShowStatusError(const char* text) override;
    void PumpOneMessage() override;
    void SetBarRange(PatchBar bar, int high) override;
    void SetBarPos(PatchBar bar, int pos) override;
    void SetCounterText(PatchCounter counter, const char* text) override;
    void DrawTransferCaption(const char* text) override;
    void EnterReady() override;
    void OfferRetry() override;
    void CloseConnectSocket() override;
    HWND OwnerWindow() override;

    // Sets session.stopped to 1 in the pump with this number (1 = the first pump).
    void StopAtPump(PatchSession& session, int pumpNumber);

    // Positions set on a bar, in order; the last position, or -1 when none was set.
    std::vector<int> BarPositions(PatchBar bar) const;
    int LastBarPos(PatchBar bar) const;
    // The last range set on a bar, or -1.
    int LastBarRange(PatchBar bar) const;
    // The last text of a counter, or "" when none was set.
    std::string CounterText(PatchCounter counter) const;
    // The last caption, or "" when none was drawn.
    std::string LastCaption() const;

    std::vector<Status> statuses;
    std::vector<BarEvent> barEvents;
    std::vector<CounterEvent> counterEvents;
    std::vector<std::string> captions;
    int pumps = 0;
    int enterReadyCalls = 0;
    int offerRetryCalls = 0;
    int closeSocketCalls = 0;
    int ownerWindowCalls = 0;
    // Runs at the start of every pump with the pump's number (1, 2, ...).
    std::function<void(int)> onPump;

private:
    HWND m_window = nullptr;
};
