#include "editor/dialogs/DialogDpi.h"

#include "platform/Windows.h"
#include "ui/core/ControlUI.h"
#include "ui/core/PaintManagerUI.h"

namespace {

constexpr DWORD kDebounceMs = 100;

}  // namespace

bool CDialogDpiDebounce::Rescale(SkinUI::CPaintManagerUI& pm, HWND hwnd, WPARAM wParam, LPARAM lParam)
{
    const DWORD now = ::GetTickCount();
    if (m_handledOnce && now - m_lastTick < kDebounceMs)
        return false;
    m_lastTick = now;
    m_handledOnce = true;
    pm.SetDPI(LOWORD(wParam));
    pm.ResetDPIAssets();
    if (const RECT* suggested = reinterpret_cast<const RECT*>(lParam))
        ::SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (SkinUI::CControlUI* root = pm.GetRoot())
        root->NeedUpdate();
    return true;
}
