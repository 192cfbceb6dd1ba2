#pragma once
// Runs one blocking call on a worker thread while the window's thread waits for it
// with a bound and keeps pumping its messages. Under Wine a WinINet read from a
// frozen server stays blocked for good whatever timeouts are set, and closing its
// handle from another thread does not end it: the waiting side gives the call up
// instead. The job is heap-allocated and reference-counted, so a call that returns
// after it was given up writes only into its own job, which the worker then frees.
#include <windows.h>

class PatchReporter;

// A call to the patch server that makes no progress for this long is given up
// (progress: the call returns, or its thread uses processor time).
enum { kStallBoundMs = 30000 };

class BlockingJob {
public:
    BlockingJob();
    virtual ~BlockingJob() {}
    BlockingJob(const BlockingJob&) = delete;
    BlockingJob& operator=(const BlockingJob&) = delete;

    // The call, on the worker thread. It touches nothing but the job's own members.
    virtual void Run() = 0;
    // On the worker thread, when the call returned after the owner gave it up: frees
    // what the call produced (e.g. closes the handle it opened).
    virtual void Discard() {}

    void AddRef();
    void Release();
    // Worker: marks the call done; 0 when the owner had given it up already.
    int Finish();
    // Owner: gives the call up; 0 when the worker had finished it already.
    int Abandon();
    // Worker: the owner has given the call up (a job of several calls stops).
    bool GivenUp() const { return m_state == kJobAbandoned; }

private:
    enum { kJobRunning = 0, kJobFinished = 1, kJobAbandoned = 2 };
    volatile LONG m_refs;
    volatile LONG m_state;
};

// Holds one reference to a job of type T and releases it at the end of the scope.
template <class T>
class JobRef {
public:
    explicit JobRef(T* job) : m_job(job) {}
    ~JobRef() { m_job->Release(); }
    JobRef(const JobRef&) = delete;
    JobRef& operator=(const JobRef&) = delete;
    T* operator->() const { return m_job; }
    T& operator*() const { return *m_job; }

private:
    T* m_job;
};

struct WorkerLine;

class BlockingWorker {
public:
    // stop: the flag the window's Close button sets; a call gives up when it turns
    // nonzero during the call, or when the thread's quit request is pending.
    BlockingWorker(PatchReporter& reporter, const int& stop);
    ~BlockingWorker();
    BlockingWorker(const BlockingWorker&) = delete;
    BlockingWorker& operator=(const BlockingWorker&) = delete;

    // Tests shorten the bound; the launcher keeps kStallBoundMs.
    void SetBoundMs(DWORD boundMs) { m_boundMs = boundMs; }

    // Runs job on the worker thread and waits for it, pumping the window's messages.
    // 1: the call returned (the job's results may be read). 0: the call was given up
    // (stop, quit, or the bound passed while the worker did no work); the thread is
    // left to end on its own.
    int Call(BlockingJob& job);

private:
    int StartLine();
    void LeaveLine();

    PatchReporter& m_reporter;
    const int& m_stop;
    DWORD m_boundMs = kStallBoundMs;
    WorkerLine* m_line = nullptr;
    HANDLE m_thread = nullptr;
};
