#include "editor/app/MainThread.h"

#include <cstdio>
#include <cwchar>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "base/ThreadRegistry.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/SkinArchive.h"
#include "platform/WinBase.h"
#include "platform/WinUser.h"
#include "ui/core/PaintManagerUI.h"

namespace {

constexpr const wchar_t* kMainWindowClass = L"Quillmoor";
constexpr const wchar_t* kMainWindowTitle = L"Tessaly";
constexpr UINT kRunningEditorMessage = 8885;
constexpr DWORD kMainWindowStyle = 0x10CF0000;   // WS_VISIBLE | WS_OVERLAPPEDWINDOW
constexpr DWORD kMainWindowExStyle = 0x100;      // WS_EX_WINDOWEDGE
constexpr int kChoresThreadId = 1;

HINSTANCE g_instance = nullptr;

}  // namespace

HINSTANCE EditorInstance()
{
    return g_instance;
}

bool FindExistingInstance(std::wstring className, std::wstring windowTitle)
{
    HWND hwnd = ::FindWindow(className.c_str(), windowTitle.c_str());
    if (hwnd == nullptr)
        hwnd = ::FindWindow(className.c_str(), windowTitle.c_str());
    if (hwnd == nullptr)
        return false;
    if (::IsIconic(hwnd)) {
        ::ShowWindow(hwnd, SW_RESTORE);
    } else {
        ::ShowWindow(hwnd, SW_SHOWNA);
        ::PostMessage(hwnd, kRunningEditorMessage, 0, 0);
    }
    return true;
}

void MainThread::CreateLogFolder()
{
    wchar_t desktop[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE))
        return;
    const std::wstring drive = { desktop[0], L':' };
    CreateFolderWithParents(JoinPath(drive, L"Doziz"));  // a log folder that cannot be made is not fatal
}

void MainThread::OnLoopStarting()
{
    FindExistingInstance(kMainWindowClass, kMainWindowTitle);
    CreateLogFolder();
    SkinUI::CPaintManagerUI::SetInstance(g_instance);
    try {
        RunMainWindow();
    } catch (...) {
        // Whatever escaped the run: the shut-down below still ends the loop.
    }
    Halt();  // posts the quit request into the loop that runs after this hook
}

void MainThread::RunMainWindow()
{
    if (!InstallSkinArchive(g_instance)) {
        ::MessageBox(nullptr, L"The editor's skin archive (resource ZIP 132) is missing from the program, so no "
                              L"window can be shown. Reinstall the editor.",
                     L"Quillmoor", MB_ICONERROR);
        m_exitCode = 1;
        return;
    }

    auto* mainWindow = new CMainWnd();
    m_miscThread = std::make_unique<MiscThread>(kChoresThreadId, "Global Chores Thread");
    m_miscThread->Launch();

    mainWindow->Create(nullptr, kMainWindowTitle, kMainWindowStyle, kMainWindowExStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                       CW_USEDEFAULT, CW_USEDEFAULT, nullptr);
    mainWindow->CenterWindow();
    mainWindow->ShowModal();

    m_miscThread->Halt();
    m_miscThread.reset();
    // The start-up owns the main window, but a worker it started may still hold it: the object
    // goes only once they have all ended, else it is left to the process's end.
    if (mainWindow->WaitForWorkers(CMainWnd::kWorkerWaitMs))
        delete mainWindow;
    else
        printf("Main window: workers still running at exit; the window object is kept\n");
    SkinUI::CPaintManagerUI::Term();
}

void MainThread::OnLoopFinished()
{
    if (m_miscThread) {
        m_miscThread->Halt();
        m_miscThread.reset();
    }
    tbase::ThreadRegistry::UnbindCurrentThread();
}

int RunEditor(HINSTANCE hInstance)
{
    g_instance = hInstance;
    MainThread thread;
    thread.RunHere(tbase::FrameworkThread::kUILoop, nullptr);
    return thread.GetExitCode();
}
