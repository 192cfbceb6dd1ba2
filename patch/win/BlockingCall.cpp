#include "patch/win/BlockingCall.h"

#include "patch/win/PatchReporter.h"

namespace {

// The longest the wait sleeps before it looks at the stop flag and the clock again.
enum { kWaitSliceMs = 50 };

} // namespace

// What the owner and the worker thread share: freed by whichever lets go last.
struct WorkerLine {
    volatile LONG refs = 2;
    volatile LONG quit = 0;
    HANDLE wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    BlockingJob* volatile job = nullptr;

    ~WorkerLine()
    {
        if (wake)
            CloseHandle(wake);
        if (done)
            CloseHandle(done);
    }
    void Release()
    {
        if (InterlockedDecrement(&refs) == 0)
            delete this;
    }
};

namespace {

DWORD WINAPI WorkerMain(void* parameter)
{
    WorkerLine* line = static_cast<WorkerLine*>(parameter);
    for (;;) {
        WaitForSingleObject(line->wake, INFINITE);
        // A job handed over is run even when the owner has given it up before the
        // thread woke: only the worker releases the worker's reference.
        BlockingJob* job = static_cast<BlockingJob*>(InterlockedExchangePointer(
            reinterpret_cast<void* volatile*>(&line->job), nullptr));
        if (job) {
            job->Run();
            if (!job->Finish())
                job->Discard();
            job->Release();
            SetEvent(line->done);
        }
        if (line->quit)
            break;
    }
    line->Release();
    return 0;
}

} // namespace

BlockingJob::BlockingJob() : m_refs(1), m_state(kJobRunning)
{
}

void BlockingJob::AddRef()
{
    InterlockedIncrement(&m_refs);
}

void BlockingJob::Release()
{
    if (InterlockedDecrement(&m_refs) == 0)
        delete this;
}

int BlockingJob::Finish()
{
    return InterlockedCompareExchange(&m_state, kJobFinished, kJobRunning) == kJobRunning;
}

int BlockingJob::Abandon()
{
    return InterlockedCompareExchange(&m_state, kJobAbandoned, kJobRunning) == kJobRunning;
}

BlockingWorker::BlockingWorker(PatchReporter& reporter, const int& stop) : m_reporter(reporter), m_stop(stop)
{
}

BlockingWorker::~BlockingWorker()
{
    LeaveLine();
}

int BlockingWorker::StartLine()
{
    if (m_line)
        return 1;
    WorkerLine* line = new WorkerLine;
    if (!line->wake || !line->done) {
        delete line;
        return 0;
    }
    HANDLE thread = CreateThread(nullptr, 0, WorkerMain, line, 0, nullptr);
    if (!thread) {
        delete line;
        return 0;
    }
    m_thread = thread;
    m_line = line;
    return 1;
}

void BlockingWorker::LeaveLine()
{
    // An idle thread wakes, sees quit and ends; a blocked one ends once its call
    // returns. Either way it frees the line when it lets go of it.
    if (!m_line)
        return;
    InterlockedExchange(&m_line->quit, 1);
    SetEvent(m_line->wake);
    m_line->Release();
    m_line = nullptr;
    CloseHandle(m_thread);
    m_thread = nullptr;
}

namespace {

// Processor time the thread has used so far, in 100 ns units.
ULONGLONG ThreadWork(HANDLE thread)
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(thread, &created, &exited, &kernel, &user))
        return 0;
    ULARGE_INTEGER k = {{kernel.dwLowDateTime, kernel.dwHighDateTime}};
    ULARGE_INTEGER u = {{user.dwLowDateTime, user.dwHighDateTime}};
    return k.QuadPart + u.QuadPart;
}

// The window is ending: its quit request waits for the dialog's own loop.
bool QuitPending()
{
    MSG msg;
    return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
}

} // namespace

int BlockingWorker::Call(BlockingJob& job)
{
    if (!StartLine())
        return 0;
    // The flag stands at 1 whenever no walk runs (while the session opens, too):
    // only a stop that comes during the call gives it up.
    const bool stoppedBefore = m_stop != 0;
    job.AddRef();  // the worker's reference
    m_line->job = &job;
    SetEvent(m_line->wake);
    // A call whose thread keeps using the processor is working, not stalled (WinINet
    // under Wine reads a long listing one byte per socket call): the bound counts
    // from the last time the worker did any work.
    DWORD lastWork = GetTickCount();
    ULONGLONG work = ThreadWork(m_thread);
    for (;;) {
        DWORD woke = MsgWaitForMultipleObjectsEx(1, &m_line->done, kWaitSliceMs, QS_ALLINPUT,
                                                 MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0)
            return 1;
        // A pending quit is left in the queue: the pump would take it.
        const bool quit = QuitPending();
        if (woke == WAIT_OBJECT_0 + 1 && !quit)
            m_reporter.PumpOneMessage();
        bool stop = quit || (!stoppedBefore && m_stop);
        const DWORD now = GetTickCount();
        const ULONGLONG workNow = ThreadWork(m_thread);
        if (workNow != work) {
            work = workNow;
            lastWork = now;
        }
        if (!stop && now - lastWork < m_boundMs)
            continue;
        if (!job.Abandon()) {
            // The call returned in the meantime: its result stands.
            WaitForSingleObject(m_line->done, INFINITE);
            return 1;
        }
        LeaveLine();
        return 0;
    }
}
