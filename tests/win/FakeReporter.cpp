#include "tests/win/FakeReporter.h"

#include "app/PatchSession.h"

namespace {

const char kFakeOwnerClass[] = "ZrFakeReporterOwner";

void RegisterOwnerClass()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kFakeOwnerClass;
    RegisterClassA(&wc);   // fails harmlessly when already registered
}

} // namespace

FakeReporter::FakeReporter(bool withWindow)
{
    if (!withWindow)
        return;
    RegisterOwnerClass();
    m_window = CreateWindowExA(0, kFakeOwnerClass, "fake owner", WS_OVERLAPPEDWINDOW, 0, 0,
                               200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

FakeReporter::~FakeReporter()
{
    if (m_window)
        DestroyWindow(m_window);
}

void FakeReporter::ShowStatus(const char* text)
{
    statuses.push_back({text ? text : "", kStatusNormal});
}

void FakeReporter::ShowStatusError(const char* text)
{
    statuses.push_back({text ? text : "", kStatusError});
}

void FakeReporter::PumpOneMessage()
{
    ++pumps;
    if (onPump)
        onPump(pumps);
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void FakeReporter::SetBarRange(PatchBar bar, int high)
{
    barEvents.push_back({bar, kBarRange, high});
}

void FakeReporter::SetBarPos(PatchBar bar, int pos)
{
    barEvents.push_back({bar, kBarPos, pos});
}

void FakeReporter::SetCounterText(PatchCounter counter, const char* text)
{
    counterEvents.push_back({counter, text ? text : ""});
}

void FakeReporter::DrawTransferCaption(const char* text)
{
    captions.push_back(text ? text : "");
}

void FakeReporter::EnterReady()
{
    ++enterReadyCalls;
}

void FakeReporter::OfferRetry()
{
    ++offerRetryCalls;
}

void FakeReporter::CloseConnectSocket()
{
    ++closeSocketCalls;
}

HWND FakeReporter::OwnerWindow()
{
    ++ownerWindowCalls;
    return m_window;
}

void FakeReporter::StopAtPump(PatchSession& session, int pumpNumber)
{
    PatchSession* target = &session;
    onPump = [target, pumpNumber](int number) {
        if (number == pumpNumber)
            target->stopped = 1;
    };
}

std::vector<int> FakeReporter::BarPositions(PatchBar bar) const
{
    std::vector<int> positions;
    for (const BarEvent& e : barEvents) {
        if (e.bar == bar && e.call == kBarPos)
            positions.push_back(e.value);
    }
    return positions;
}

int FakeReporter::LastBarPos(PatchBar bar) const
{
    std::vector<int> positions = BarPositions(bar);
    return positions.empty() ? -1 : positions.back();
}

int FakeReporter::LastBarRange(PatchBar bar) const
{
    int range = -1;
    for (const BarEvent& e : barEvents) {
        if (e.bar == bar && e.call == kBarRange)
            range = e.value;
    }
    return range;
}

std::string FakeReporter::CounterText(PatchCounter counter) const
{
    std::string text;
    for (const CounterEvent& e : counterEvents) {
        if (e.counter == counter)
            text = e.text;
    }
    return text;
}

std::string FakeReporter::LastCaption() const
{
    return captions.empty() ? std::string() : captions.back();
}
