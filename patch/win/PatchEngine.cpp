#include "patch/win/PatchEngine.h"

PatchEngine::PatchEngine(PatchSession& session, LaunchOptions& options, PatchReporter& reporter)
    : m_session(session), m_options(options), m_reporter(reporter)
{
}

PatchEngine::~PatchEngine()
{
    // The FTP handles are closed by CloseFtp once the FTP session exists.
}
