#include "patch/win/PatchEngine.h"

PatchEngine::PatchEngine(PatchSession& session, LaunchOptions& options, PatchReporter& reporter)
    : m_session(session), m_options(options), m_reporter(reporter), m_calls(reporter, session.stopped)
{
}

PatchEngine::~PatchEngine()
{
    CloseFtp();
}
