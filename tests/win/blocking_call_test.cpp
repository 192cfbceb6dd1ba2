// The bounded wait on a worker thread: a call that returns in time gives its result;
// one that does not is given up at the bound or at the stop flag while the thread's
// messages keep flowing, and when it returns late its job is discarded and freed on
// the worker without touching the caller.
#include <gtest/gtest.h>

#include <windows.h>

#include "patch/win/BlockingCall.h"
#include "tests/win/FakeReporter.h"

namespace {

volatile LONG g_jobsFreed = 0;
volatile LONG g_jobsDiscarded = 0;

// Waits until its gate opens, then stores a result.
class GatedJob : public BlockingJob {
public:
    explicit GatedJob(HANDLE gate) : m_gate(gate) {}
    ~GatedJob() override { InterlockedIncrement(&g_jobsFreed); }
    void Run() override
    {
        WaitForSingleObject(m_gate, 20000);
        result = 42;
    }
    void Discard() override { InterlockedIncrement(&g_jobsDiscarded); }
    int result = 0;

private:
    HANDLE m_gate;
};

class BlockingCallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        g_jobsFreed = 0;
        g_jobsDiscarded = 0;
    }
    void TearDown() override
    {
        SetEvent(gate);
        CloseHandle(gate);
    }
    // Waits (without pumping) until n jobs were freed, at most 5 s.
    static bool FreedWithin(LONG n)
    {
        for (int i = 0; i < 500 && g_jobsFreed < n; ++i)
            Sleep(10);
        return g_jobsFreed >= n;
    }

    HANDLE gate = nullptr;
    int stop = 0;
    FakeReporter reporter;
};

TEST_F(BlockingCallTest, ACallThatReturnsGivesItsResultAndTheWorkerServesTheNextCall)
{
    BlockingWorker worker(reporter, stop);
    SetEvent(gate);
    for (int i = 0; i < 3; ++i) {
        JobRef<GatedJob> job(new GatedJob(gate));
        ASSERT_EQ(worker.Call(*job), 1);
        EXPECT_EQ(job->result, 42);
    }
    EXPECT_TRUE(FreedWithin(3));
    EXPECT_EQ(g_jobsDiscarded, 0);
}

// Keeps the processor busy for a while, as WinINet does when it parses a long
// listing one byte at a time.
class BusyJob : public BlockingJob {
public:
    explicit BusyJob(DWORD ms) : m_ms(ms) {}
    void Run() override
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < m_ms)
            spins = spins + 1;
    }
    volatile unsigned long spins = 0;

private:
    DWORD m_ms;
};

TEST_F(BlockingCallTest, ACallThatKeepsWorkingIsNotGivenUpAtTheBound)
{
    BlockingWorker worker(reporter, stop);
    worker.SetBoundMs(500);
    JobRef<BusyJob> job(new BusyJob(2000));
    EXPECT_EQ(worker.Call(*job), 1);
    EXPECT_GT(job->spins, 0u);
}

TEST_F(BlockingCallTest, TheBoundGivesUpWhileMessagesFlowAndALateReturnIsDiscarded)
{
    BlockingWorker worker(reporter, stop);
    worker.SetBoundMs(600);
    UINT_PTR timer = SetTimer(nullptr, 0, 50, nullptr);
    DWORD start = GetTickCount();
    {
        JobRef<GatedJob> job(new GatedJob(gate));
        EXPECT_EQ(worker.Call(*job), 0);
        EXPECT_EQ(job->result, 0);
    }
    DWORD waited = GetTickCount() - start;
    KillTimer(nullptr, timer);
    EXPECT_GE(waited, 550u);
    EXPECT_LT(waited, 10000u);
    EXPECT_GE(reporter.pumps, 3);  // the timer's messages were dispatched meanwhile
    EXPECT_EQ(g_jobsFreed, 0);     // the worker still holds the job

    // A fresh worker thread serves the next call while the old one is blocked.
    HANDLE open = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    {
        JobRef<GatedJob> next(new GatedJob(open));
        EXPECT_EQ(worker.Call(*next), 1);
        EXPECT_EQ(next->result, 42);
    }
    CloseHandle(open);

    SetEvent(gate);
    EXPECT_TRUE(FreedWithin(2));
    EXPECT_EQ(g_jobsDiscarded, 1);
}

TEST_F(BlockingCallTest, AStopDuringTheCallOrAPendingQuitGivesUpAtOnce)
{
    BlockingWorker worker(reporter, stop);  // the production bound
    reporter.onPump = [this](int) { stop = 1; };
    PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
    DWORD start = GetTickCount();
    {
        JobRef<GatedJob> job(new GatedJob(gate));
        EXPECT_EQ(worker.Call(*job), 0);
    }
    EXPECT_LT(GetTickCount() - start, 5000u);
    EXPECT_EQ(reporter.pumps, 1);

    // A flag that stood at 1 before the call (no walk runs) does not stop it...
    HANDLE open = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    {
        JobRef<GatedJob> before(new GatedJob(open));
        EXPECT_EQ(worker.Call(*before), 1);
    }
    CloseHandle(open);
    // ...but the window's quit request does, and stays for the window's own loop.
    PostQuitMessage(3);
    start = GetTickCount();
    {
        JobRef<GatedJob> job(new GatedJob(gate));
        EXPECT_EQ(worker.Call(*job), 0);
    }
    EXPECT_LT(GetTickCount() - start, 5000u);
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 3u);

    SetEvent(gate);
    EXPECT_TRUE(FreedWithin(3));
    EXPECT_EQ(g_jobsDiscarded, 2);
}

} // namespace
