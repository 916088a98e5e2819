#include "SkinTestSupport.h"

#include "platform/Resource.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/ControlFactory.h"

namespace skintest {

namespace {

const SkinUI::CControlRegistration kTestButton(L"CTestButtonUI", &CTestButtonUI::CreateControl);

}  // namespace

bool InstallSkinArchive()
{
    HRSRC resource = ::FindResource(nullptr, MAKEINTRESOURCE(132), L"ZIP");
    if (resource == nullptr)
        return false;
    HGLOBAL loaded = ::LoadResource(nullptr, resource);
    SkinUI::CPaintManagerUI::SetResourceZip(::LockResource(loaded), ::SizeofResource(nullptr, resource));
    return true;
}

void UseHeadless()
{
    platform::headless::Use();
}

void CTestButtonUI::DoEvent(SkinUI::TEventUI& event)
{
    if (event.Type == SkinUI::UiEventButtonUp && ::PtInRect(&m_rcItem, event.ptMouse) && m_pManager != nullptr) {
        m_pManager->SendNotify(this, L"click");
        return;
    }
    SkinUI::CControlUI::DoEvent(event);
}

PlainWindow::PlainWindow(int width, int height)
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ::DefWindowProc;
    wc.lpszClassName = L"SkinTestPlain";
    ::RegisterClassEx(&wc);
    m_hwnd = ::CreateWindowEx(0, L"SkinTestPlain", L"plain", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                              nullptr, nullptr, nullptr);
}

PlainWindow::~PlainWindow()
{
    ::DestroyWindow(m_hwnd);
}

}  // namespace skintest
