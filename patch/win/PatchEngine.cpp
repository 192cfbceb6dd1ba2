#include "patch/win/PatchEngine.h"

PatchEngine::PatchEngine(PatchSession& session, LaunchOptions& options, PatchReporter& reporter)
    : m_session(session), m_options(options), m_reporter(reporter)
{
}

PatchEngine::~PatchEngine()
{
    CloseFtp();
}
