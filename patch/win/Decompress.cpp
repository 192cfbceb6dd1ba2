// Expansion of a downloaded bzip2 file: the engine's side of Bz2Expander, which keeps
// the window alive, honours the stop flag and shows the progress on the upper bar
// (from 50, where the download left it, to 100) and in the transfer caption, paced
// with the downloads.
#include <cstdint>

#include "app/MessageIds.h"
#include "patch/win/PatchEngine.h"

namespace {

class EngineExpandHooks : public Bz2ExpandHooks {
public:
    EngineExpandHooks(PatchSession& session, PatchReporter& reporter, PatchEngine& engine, uint32_t total)
        : m_session(session), m_reporter(reporter), m_engine(engine), m_total(total)
    {
    }

    void AfterDecoderCall() override { m_reporter.PumpOneMessage(); }

    int StopRequested() override { return m_session.stopped != 0 ? 1 : 0; }

    void OnBlockConsumed(uint32_t done, uint32_t) override
    {
        // The size comes from the file system rather than the expander, which cannot
        // measure sources above 2 GiB with a 32-bit file offset.
        m_session.unpackTotal = m_total;
        m_session.unpackDone = done;
        uint64_t half = m_total ? 50u * static_cast<uint64_t>(done) / m_total : 0u;
        int pos = 50 + static_cast<int>(half > 50u ? 50u : half);
        m_engine.ShowTransferProgress(pos, kMsgExpandingCaption, ExpandPercent(done, m_total), done >= m_total);
    }

private:
    PatchSession& m_session;
    PatchReporter& m_reporter;
    PatchEngine& m_engine;
    uint32_t m_total;
};

// Low 32 bits of a file's size, as GetFileSize reports them; 0 when it is missing.
uint32_t SourceSize(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return 0;
    return data.nFileSizeLow;
}

} // namespace

int PatchEngine::DecompressFile(const char* source, const char* directory)
{
    if (!source || !directory)
        return 0;
    uint32_t total = SourceSize(source);
    m_session.unpackTotal = total;
    m_session.unpackDone = 0;
    StartTransferProgress();
    EngineExpandHooks hooks(m_session, m_reporter, *this, total);
    return m_expander.DecompressFile(source, directory, hooks);
}
