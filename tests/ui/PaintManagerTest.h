#pragma once
// A headless window run by a CPaintManagerUI, with a hand-built tree: a root box holding leaf
// controls at fixed rectangles. Every event a leaf receives and every notification the window's
// notifier sees goes into one log, in order, so a test compares whole input sequences.

#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/core/ControlUI.h"
#include "ui/core/PaintManagerUI.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace pmtest {

using namespace SkinUI;
namespace hl = platform::headless;

using Log = std::vector<std::wstring>;

inline const wchar_t* EventName(int type)
{
    switch (type) {
    case UiEventKeyDown: return L"keydown";
    case UiEventKeyUp: return L"keyup";
    case UiEventChar: return L"char";
    case UiEventSysKey: return L"syskey";
    case UiEventMouseMove: return L"move";
    case UiEventMouseLeave: return L"leave";
    case UiEventMouseEnter: return L"enter";
    case UiEventMouseHover: return L"hover";
    case UiEventButtonDown: return L"down";
    case UiEventButtonUp: return L"up";
    case UiEventRButtonDown: return L"rdown";
    case UiEventRButtonUp: return L"rup";
    case UiEventDblClick: return L"dblclick";
    case UiEventContextMenu: return L"contextmenu";
    case UiEventScrollWheel: return L"wheel";
    case UiEventKillFocus: return L"killfocus";
    case UiEventSetFocus: return L"setfocus";
    case UiEventTimer: return L"timer";
    case UiEventWindowSize: return L"size";
    default: return L"other";
    }
}

// A leaf that logs its events (mouse moves only when asked) and behaves as a button: a release
// inside it activates it, which sends "click" at once.
class Leaf : public CControlUI {
public:
    Leaf(Log* log, const wchar_t* name, RECT rc, UINT flags = ControlFlagTabStop, const wchar_t* cls = L"LeafUI")
        : m_log(log), m_rc(rc), m_flags(flags), m_class(cls)
    {
        SetName(name);
    }
    const wchar_t* GetClass() const override { return m_class; }
    UINT GetControlFlags() const override { return m_flags; }
    bool Activate() override
    {
        if (!CControlUI::Activate())
            return false;
        m_pManager->SendNotify(this, L"click");
        return true;
    }
    void DoEvent(TEventUI& event) override
    {
        if (event.Type != UiEventMouseMove || logMoves)
            m_log->push_back(GetName().GetData() + std::wstring(L":") + EventName(event.Type));
        if (onEvent)
            onEvent(event);
        if (event.Type == UiEventButtonUp && ::PtInRect(&m_rcItem, event.ptMouse))
            Activate();
        if (event.Type == UiEventSetFocus)
            m_bFocused = true;
        if (event.Type == UiEventKillFocus)
            m_bFocused = false;
    }
    const RECT& Home() const { return m_rc; }

    bool logMoves = false;
    std::function<void(TEventUI&)> onEvent;
    TEventUI last {};

private:
    Log* m_log;
    RECT m_rc;
    UINT m_flags;
    const wchar_t* m_class;
};

// The root: owns its leaves, places each at its home rectangle, searches them like a container
// (top-most first when asked) and paints them in order.
class Box : public CControlUI {
public:
    ~Box() override
    {
        for (CControlUI* child : m_children)
            delete child;
    }
    const wchar_t* GetClass() const override { return L"BoxUI"; }
    void Add(Leaf* leaf) { m_children.push_back(leaf); }
    void Drop(CControlUI* child) { std::erase(m_children, child); }
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) override
    {
        CControlUI::SetManager(manager, parent, init);
        for (CControlUI* child : m_children)
            child->SetManager(manager, this, init);
    }
    void SetPos(RECT rc, bool invalidate) override
    {
        CControlUI::SetPos(rc, invalidate);
        for (CControlUI* child : m_children)
            child->SetPos(static_cast<Leaf*>(child)->Home(), invalidate);
    }
    CControlUI* FindControl(FINDCONTROLPROC proc, void* data, UINT flags) override
    {
        if ((flags & FindVisible) && !IsVisible())
            return nullptr;
        if ((flags & FindHitTest) && !::PtInRect(&m_rcItem, *static_cast<POINT*>(data)))
            return nullptr;
        if (flags & FindMeFirst) {
            if (CControlUI* me = proc(this, data))
                return me;
        }
        const bool topFirst = (flags & FindTopFirst) != 0;
        for (size_t i = 0; i < m_children.size(); ++i) {
            CControlUI* child = m_children[topFirst ? m_children.size() - 1 - i : i];
            if (CControlUI* found = child->FindControl(proc, data, flags))
                return found;
        }
        return (flags & FindMeFirst) ? nullptr : proc(this, data);
    }
    void DoPaint(HDC hDC, const RECT& rcPaint) override
    {
        CControlUI::DoPaint(hDC, rcPaint);
        for (CControlUI* child : m_children)
            child->DoPaint(hDC, rcPaint);
    }

private:
    std::vector<CControlUI*> m_children;
};

class Notifier : public INotifyUI {
public:
    explicit Notifier(Log* log) : m_log(log) {}
    void Notify(TNotifyUI& msg) override
    {
        const std::wstring sender = msg.pSender ? msg.pSender->GetName().GetData() : L"(none)";
        m_log->push_back(std::wstring(L"notify:") + msg.sType.GetData() + L":" + sender);
        if (onNotify)
            onNotify(msg);
    }
    std::function<void(TNotifyUI&)> onNotify;

private:
    Log* m_log;
};

// Dispatches every waiting message the way the framework's loop does: the manager first.
inline void Pump()
{
    MSG msg {};
    while (::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (CPaintManagerUI::TranslateMessage(&msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessage(&msg);
    }
}

inline LRESULT ManagedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* manager = reinterpret_cast<CPaintManagerUI*>(::GetWindowLongPtr(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (manager && manager->MessageHandler(msg, wParam, lParam, result))
        return result;
    return ::DefWindowProc(hwnd, msg, wParam, lParam);
}

class ManagedWindow : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hl::Use());
        hl::SetMonitors({ { 0, 0, 1920, 1080 } });
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ManagedProc;
        wc.lpszClassName = L"PaintManagerTestWnd";
        ::RegisterClassEx(&wc);
        m_manager = new CPaintManagerUI;
        m_hwnd = ::CreateWindowEx(ExStyle(), L"PaintManagerTestWnd", nullptr, WS_POPUP | WS_VISIBLE, 100, 100, 200,
                                  100, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(m_hwnd, nullptr);
        ::SetWindowLongPtr(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(m_manager));
        m_manager->Init(m_hwnd, L"test");
        m_manager->AddNotifier(&m_notifier);
        ::SetActiveWindow(m_hwnd);
        ::SetFocus(m_hwnd);
    }
    void TearDown() override
    {
        ::SetWindowLongPtr(m_hwnd, GWLP_USERDATA, 0);
        if (!m_attached)
            delete m_box;
        delete m_manager;  // deletes the attached tree
        ::DestroyWindow(m_hwnd);
        hl::PumpMessages();
    }
    virtual DWORD ExStyle() const { return 0; }

    // Leaves in window client coordinates; the window's client area starts at screen (100, 100).
    Leaf* AddLeaf(const wchar_t* name, RECT rc, UINT flags = ControlFlagTabStop, const wchar_t* cls = L"LeafUI")
    {
        auto* leaf = new Leaf(&m_log, name, rc, flags, cls);
        m_box->Add(leaf);
        return leaf;
    }
    void Attach()
    {
        m_manager->AttachDialog(m_box);
        m_attached = true;
        Pump();  // first paint: layout, "windowinit", focus
        m_log.clear();
    }
    static POINT Screen(int x, int y) { return { x + 100, y + 100 }; }

    Log m_log;
    Notifier m_notifier { &m_log };
    CPaintManagerUI* m_manager = nullptr;
    Box* m_box = new Box;
    bool m_attached = false;
    HWND m_hwnd = nullptr;
};

}  // namespace pmtest
