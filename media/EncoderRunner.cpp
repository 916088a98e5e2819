// The encoder runner: starts one encoder command hidden, reads its status output from one pipe for
// standard output and error, turns positions into the job's percentage and reports how it ended.
// Runs on the job thread. A run stopped early (cancel, or its list cleared) kills and reaps its own
// encoder before returning, so no encoder outlives the run that started it. Each kind of job has
// its own stop token: the page export with the progress window stops on CancelFlag, and a running
// page run's encoder is registered so that a cancel ends exactly that process at once; the GIF and
// clip lists stop only when their own running flag is cleared, so a cancelled page export never
// touches them.

#include <algorithm>
#include <cstdio>

#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/EncoderStatusParser.h"
#include "media/RowProgressView.h"
#include "platform/Windows.h"

namespace {

constexpr DWORD kReadChunkBytes = 2048;

// Closes a kernel handle once, whatever path leaves the scope.
class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle = nullptr) : m_handle(handle) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE Get() const { return m_handle; }
    HANDLE* Receive() { Reset(); return &m_handle; }
    void Reset()
    {
        if (m_handle)
            ::CloseHandle(m_handle);
        m_handle = nullptr;
    }

private:
    HANDLE m_handle;
};

}  // namespace

namespace {

bool IsPageRun(const EncoderRunRequest& request)
{
    return request.job == EncoderJobKind::Page || request.job == EncoderJobKind::MergeRow;
}

}  // namespace

bool CMainWnd::RunStopRequested(const EncoderRunRequest& request) const
{
    if (request.job == EncoderJobKind::GifList)
        return !m_bGifRunning;
    if (request.job == EncoderJobKind::ClipList)
        return !m_bClipRunning;
    return CancelFlag != 0;
}

void CMainWnd::CancelPageExport()
{
    CancelFlag = 1;  // first: a run that sees its encoder end must already know why
    StopPageEncoder();
}

void CMainWnd::PublishProgress(const EncoderRunRequest& request, float seconds)
{
    if (request.durationSeconds <= 0 || request.partCount <= 0)
        return;
    const float share = 100.0f / static_cast<float>(request.partCount);
    const float base = static_cast<float>(request.basePercent);
    // A status time past the expected duration (a longer sound track) must not push the job past
    // this run's share.
    const float percent = std::clamp(seconds / request.durationSeconds * share + base, base, base + share);
    if (request.job == EncoderJobKind::Page) {
        m_fJobPercent = percent;
        return;
    }
    if (request.row && !RunStopRequested(request))
        request.row->ShowProgress(percent, FormatWide(L"%.2f%%", static_cast<double>(percent)));
}

int CMainWnd::RunEncoderWithProgress(EncoderRunRequest request)
{
    SECURITY_ATTRIBUTES inheritable { sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE };
    ScopedHandle readEnd, writeEnd;
    if (!::CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inheritable, 0))
        return kEncoderRunNotStarted;

    STARTUPINFO startup {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = nullptr;  // the encoder reads nothing: its input is the null device
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    PROCESS_INFORMATION process {};
    std::wstring commandLine = request.command.GetData();
    if (!::CreateProcess(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP,
                         nullptr, nullptr, &startup, &process))
        return kEncoderRunNotStarted;
    ScopedHandle processHandle(process.hProcess), threadHandle(process.hThread);
    if (request.job == EncoderJobKind::Page)
        SetPageEncoder(processHandle.Get());
    std::printf("%s\n", WideToUtf8(commandLine).c_str());
    // A cancel that came before the encoder was registered ends it here.
    const bool pageRun = IsPageRun(request);
    if (RunStopRequested(request))
        ::TerminateProcess(processHandle.Get(), 1);
    // Only the encoder may hold the write end now, so the read end ends when the encoder does.
    writeEnd.Reset();

    int positions = 0;
    const EncoderStatusParser::PositionSink onPosition = [&](float seconds) {
        if (RunStopRequested(request))
            return false;
        ++positions;
        PublishProgress(request, seconds);
        return !RunStopRequested(request);
    };
    EncoderStatusParser parser;
    bool stoppedEarly = false;
    char chunk[kReadChunkBytes];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(readEnd.Get(), chunk, kReadChunkBytes, &got, nullptr) || got == 0) {
            stoppedEarly = !parser.Finish(onPosition);
            break;
        }
        if (!parser.Feed(std::string_view(chunk, got), onPosition) || RunStopRequested(request)) {
            stoppedEarly = true;
            break;
        }
    }
    if (request.job == EncoderJobKind::Page)
        SetPageEncoder(nullptr);  // before reaping: a cancel must not reach a reused process id
    if (stoppedEarly)
        ::TerminateProcess(processHandle.Get(), 0);
    readEnd.Reset();
    ::WaitForSingleObject(processHandle.Get(), INFINITE);  // reap it, stopped or finished

    if (positions > 0 && !stoppedEarly && !RunStopRequested(request))
        PublishProgress(request, request.durationSeconds);  // a finished run completes its share
    if (request.closeProgressAtEnd || (pageRun && CancelFlag))
        CloseProgressWindow();
    return positions > 0 ? kEncoderRunProgressed : kEncoderRunNoProgress;
}

void CMainWnd::RunEncoderAndWait(const std::wstring& command)
{
    STARTUPINFO startup {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process {};
    std::wstring commandLine = command;
    if (!::CreateProcess(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                         nullptr, &startup, &process))
        return;
    ScopedHandle processHandle(process.hProcess), threadHandle(process.hThread);
    if (m_bClosing)  // started after shut-down stopped the encoders: nobody else would stop this one
        ::TerminateProcess(processHandle.Get(), 1);
    ::WaitForSingleObject(processHandle.Get(), INFINITE);
}
