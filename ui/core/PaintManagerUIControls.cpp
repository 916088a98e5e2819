// Binding the window and its control tree, the name index and tree searches, control timers,
// notifications (at once or after the current message) and option groups.

#include "ui/core/PaintManagerUI.h"

#include <cstdio>
#include <cwchar>

#include "platform/WinBase.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/ControlUI.h"

namespace SkinUI {

namespace {

// Window timer ids handed to control timers cycle through 0..kTimerIdRange-1.
constexpr UINT kTimerIdRange = 240;

struct ClassSearchState {
    const wchar_t* pstrClass;
    CStdPtrArray* found;
};

bool ClassMatches(CControlUI* pThis, const wchar_t* pstrClass)
{
    if (wcscmp(pstrClass, L"*") == 0)
        return true;
    const wchar_t* cls = pThis->GetClass();
    return cls && wcscmp(cls, pstrClass) == 0;
}

}  // namespace

void CPaintManagerUI::Init(HWND hWnd, const wchar_t* pstrName)
{
    m_mNameHash.Resize(83);
    ClearWindowTables();
    RemoveAllTimers();
    m_sName = pstrName;
    if (m_hWndPaint == hWnd)
        return;
    // The window system is reached only once a window is attached, so a manager can be made
    // (and tested) on a machine without a display.
    ::InitCommonControls();
    m_hWndPaint = hWnd;
    m_hDcPaint = ::GetDC(hWnd);
    m_aPreMessages.Add(this);
    InitDragDrop();
}

bool CPaintManagerUI::AttachDialog(CControlUI* pControl)
{
    if (CContainerUI::NestingDepth(pControl) > CContainerUI::kMaxNestingDepth) {
        std::fprintf(stderr, "SkinUI window: the tree of \"%ls\" nests controls more than %d levels deep; not attached\n",
                     pControl->GetName().GetData(), CContainerUI::kMaxNestingDepth);
        return false;  // the caller keeps the tree
    }
    m_shadow.Create(this);  // does nothing once made, or when the skin wants no shadow
    SetFocus(nullptr);
    m_pEventKey = nullptr;
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    if (m_pRoot) {
        m_aPostPaintControls.Empty();
        AddDelayedCleanup(m_pRoot);
    }
    m_pRoot = pControl;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    m_bFocusNeeded = true;
    return InitControls(pControl);
}

bool CPaintManagerUI::InitControls(CControlUI* pControl, CControlUI* pParent)
{
    if (!pControl)
        return false;
    pControl->SetManager(this, pParent ? pParent : pControl->GetParent(), true);
    pControl->FindControl(__FindControlFromNameHash, this, 0);
    return true;
}

void CPaintManagerUI::ReapObjects(CControlUI* pControl)
{
    if (!pControl)
        return;
    DropInputTargets(pControl);
    if (pControl == m_pRoot)
        m_pRoot = nullptr;
    KillTimer(pControl);
    RemovePostPaint(pControl);
    const CUIString name = pControl->GetName();
    if (!name.IsEmpty() && m_mNameHash.Find(name) == pControl)
        m_mNameHash.Remove(name);
    for (int i = 0; i < m_aAsyncNotify.GetSize(); ++i) {
        auto* msg = static_cast<TNotifyUI*>(m_aAsyncNotify[i]);
        if (msg->pSender == pControl)
            msg->pSender = nullptr;
    }
}

void CPaintManagerUI::DropInputTargets(CControlUI* pControl)
{
    if (pControl == m_pEventKey)
        m_pEventKey = nullptr;
    if (pControl == m_pEventHover)
        m_pEventHover = nullptr;
    if (pControl == m_pEventClick)
        m_pEventClick = nullptr;
    if (pControl == m_pFocus)
        m_pFocus = nullptr;
    if (pControl == m_pCurrentCaretObject)
        m_pCurrentCaretObject = nullptr;
}

void CPaintManagerUI::AddDelayedCleanup(CControlUI* pControl)
{
    if (!pControl)
        return;
    pControl->SetManager(this, nullptr, false);
    m_aDelayedCleanup.Add(pControl);
    ::PostMessage(m_hWndPaint, DeferredWorkMessage, 0, 0);
}

CPaintManagerUI* CPaintManagerUI::GetPaintManager(const wchar_t* pstrName)
{
    if (!pstrName || !*pstrName)
        return nullptr;
    for (int i = 0; i < m_aPreMessages.GetSize(); ++i) {
        auto* manager = static_cast<CPaintManagerUI*>(m_aPreMessages[i]);
        if (manager->GetName() == pstrName)
            return manager;
    }
    return nullptr;
}

CStdPtrArray* CPaintManagerUI::GetPaintManagers()
{
    return &m_aPreMessages;
}

// ---- Searches ----

CControlUI* CPaintManagerUI::FindControl(POINT pt) const
{
    return FindSubControlByPoint(nullptr, pt);
}

CControlUI* CPaintManagerUI::FindControl(const wchar_t* pstrName) const
{
    if (!pstrName)
        return nullptr;
    return static_cast<CControlUI*>(m_mNameHash.Find(pstrName));
}

CControlUI* CPaintManagerUI::FindSubControlByPoint(CControlUI* pParent, POINT pt) const
{
    CControlUI* from = pParent ? pParent : m_pRoot;
    if (!from)
        return nullptr;
    return from->FindControl(__FindControlFromPoint, &pt, FindVisible | FindHitTest | FindTopFirst);
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* pParent, const wchar_t* pstrName) const
{
    CControlUI* from = pParent ? pParent : m_pRoot;
    if (!from || !pstrName)
        return nullptr;
    return from->FindControl(__FindControlFromName, const_cast<wchar_t*>(pstrName), 0);
}

CControlUI* CPaintManagerUI::FindSubControlByClass(CControlUI* pParent, const wchar_t* pstrClass, int iIndex)
{
    CControlUI* from = pParent ? pParent : m_pRoot;
    if (!from || !pstrClass || iIndex < 0)
        return nullptr;
    m_aFoundControls.Resize(iIndex + 1);
    ClassSearchState state { pstrClass, &m_aFoundControls };
    return from->FindControl(__FindControlFromClass, &state, 0);
}

CStdPtrArray* CPaintManagerUI::FindSubControlsByClass(CControlUI* pParent, const wchar_t* pstrClass)
{
    m_aFoundControls.Empty();
    CControlUI* from = pParent ? pParent : m_pRoot;
    if (!from || !pstrClass)
        return &m_aFoundControls;
    ClassSearchState state { pstrClass, &m_aFoundControls };
    from->FindControl(__FindControlsFromClass, &state, 0);
    return &m_aFoundControls;
}

CControlUI* CPaintManagerUI::__FindControlFromNameHash(CControlUI* pThis, void* pData)
{
    auto* manager = static_cast<CPaintManagerUI*>(pData);
    const CUIString name = pThis->GetName();
    if (name.IsEmpty())
        return nullptr;
    manager->m_mNameHash.Set(name, pThis);  // a later control of the same name replaces it
    return nullptr;
}

CControlUI* CPaintManagerUI::__FindControlFromCount(CControlUI* /*pThis*/, void* pData)
{
    ++*static_cast<int*>(pData);
    return nullptr;
}

CControlUI* CPaintManagerUI::__FindControlFromPoint(CControlUI* pThis, void* pData)
{
    const POINT* pt = static_cast<const POINT*>(pData);
    const RECT& pos = pThis->GetPos();
    return ::PtInRect(&pos, *pt) ? pThis : nullptr;
}

CControlUI* CPaintManagerUI::__FindControlFromName(CControlUI* pThis, void* pData)
{
    const auto* name = static_cast<const wchar_t*>(pData);
    const CUIString own = pThis->GetName();
    return !own.IsEmpty() && wcscasecmp(own.GetData(), name) == 0 ? pThis : nullptr;
}

CControlUI* CPaintManagerUI::__FindControlFromClass(CControlUI* pThis, void* pData)
{
    auto* state = static_cast<ClassSearchState*>(pData);
    if (!ClassMatches(pThis, state->pstrClass))
        return nullptr;
    CStdPtrArray& found = *state->found;
    int slot = 0;
    while (found[slot])
        ++slot;
    found.SetAt(slot, pThis);
    return slot == found.GetSize() - 1 ? pThis : nullptr;
}

CControlUI* CPaintManagerUI::__FindControlsFromClass(CControlUI* pThis, void* pData)
{
    auto* state = static_cast<ClassSearchState*>(pData);
    if (ClassMatches(pThis, state->pstrClass))
        state->found->Add(pThis);
    return nullptr;
}

CControlUI* CPaintManagerUI::__FindControlsFromUpdate(CControlUI* pThis, void* pData)
{
    if (!pThis->IsUpdateNeeded())
        return nullptr;
    static_cast<CStdPtrArray*>(pData)->Add(pThis);
    return pThis;
}

// ---- Timers ----

bool CPaintManagerUI::SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse)
{
    for (int i = 0; i < m_aTimers.GetSize(); ++i) {
        auto* timer = static_cast<TimerRecord*>(m_aTimers[i]);
        if (timer->pSender != pControl || timer->hWnd != m_hWndPaint || timer->nLocalID != nTimerID)
            continue;
        if (!timer->bKilled)
            return false;
        if (!::SetTimer(m_hWndPaint, timer->uWinTimer, uElapse, nullptr))
            return false;
        timer->bKilled = false;
        return true;
    }
    // Never hand out a window id that a record (running or killed, which re-arms with it) holds.
    UINT id = m_uTimerID;
    bool free = false;
    for (UINT tries = 0; tries < kTimerIdRange && !free; ++tries) {
        id = (id + 1) % kTimerIdRange;
        free = true;
        for (int i = 0; i < m_aTimers.GetSize() && free; ++i) {
            const auto* timer = static_cast<const TimerRecord*>(m_aTimers[i]);
            free = timer->hWnd != m_hWndPaint || timer->uWinTimer != id;
        }
    }
    if (!free)
        return false;
    m_uTimerID = id;
    if (!::SetTimer(m_hWndPaint, id, uElapse, nullptr))
        return false;
    auto* timer = new TimerRecord { pControl, nTimerID, m_hWndPaint, id, false };
    if (!m_aTimers.Add(timer)) {
        ::KillTimer(m_hWndPaint, id);
        delete timer;
        return false;
    }
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* pControl, UINT nTimerID)
{
    for (int i = 0; i < m_aTimers.GetSize(); ++i) {
        auto* timer = static_cast<TimerRecord*>(m_aTimers[i]);
        if (timer->pSender != pControl || timer->hWnd != m_hWndPaint || timer->nLocalID != nTimerID ||
            timer->bKilled)
            continue;
        if (::IsWindow(m_hWndPaint))
            ::KillTimer(timer->hWnd, timer->uWinTimer);
        timer->bKilled = true;
        return true;
    }
    return false;
}

void CPaintManagerUI::KillTimer(CControlUI* pControl)
{
    for (int i = m_aTimers.GetSize() - 1; i >= 0; --i) {
        auto* timer = static_cast<TimerRecord*>(m_aTimers[i]);
        if (timer->pSender != pControl || timer->hWnd != m_hWndPaint)
            continue;
        if (!timer->bKilled)
            ::KillTimer(timer->hWnd, timer->uWinTimer);
        delete timer;
        m_aTimers.Remove(i);
    }
}

void CPaintManagerUI::RemoveAllTimers()
{
    for (int i = 0; i < m_aTimers.GetSize(); ++i) {
        auto* timer = static_cast<TimerRecord*>(m_aTimers[i]);
        if (timer->hWnd == m_hWndPaint && !timer->bKilled && ::IsWindow(m_hWndPaint))
            ::KillTimer(timer->hWnd, timer->uWinTimer);
        delete timer;
    }
    m_aTimers.Empty();
}

// ---- Notifications ----

void CPaintManagerUI::SendNotify(CControlUI* pControl, const wchar_t* pstrMessage, WPARAM wParam, LPARAM lParam,
                                 bool bAsync)
{
    TNotifyUI msg;
    msg.pSender = pControl;
    msg.sType = pstrMessage;
    msg.wParam = wParam;
    msg.lParam = lParam;
    SendNotify(msg, bAsync);
}

void CPaintManagerUI::SendNotify(TNotifyUI& Msg, bool bAsync)
{
    Msg.ptMouse = m_ptLastMousePos;
    Msg.dwTimestamp = ::GetTickCount();
    if (m_bUsedVirtualWnd && Msg.pSender)
        Msg.sVirtualWnd = Msg.pSender->GetVirtualWnd();
    if (!bAsync) {
        DeliverNotify(Msg);
        return;
    }
    m_aAsyncNotify.Add(new TNotifyUI(Msg));
    ::PostMessage(m_hWndPaint, DeferredWorkMessage, 0, 0);
}

void CPaintManagerUI::DeliverNotify(TNotifyUI& Msg)
{
    if (Msg.pSender && Msg.pSender->NotifyDelegates)
        Msg.pSender->NotifyDelegates(&Msg);
    for (int i = 0; i < m_aNotifiers.GetSize(); ++i)
        static_cast<INotifyUI*>(m_aNotifiers[i])->Notify(Msg);
}

void CPaintManagerUI::DoDeferredWork()
{
    // Swap first: a deleted control's destructor may queue more cleanup, handled at the next post.
    CStdPtrArray cleanup(m_aDelayedCleanup);
    m_aDelayedCleanup.Empty();
    for (int i = 0; i < cleanup.GetSize(); ++i)
        delete static_cast<CControlUI*>(cleanup[i]);
    while (!m_aAsyncNotify.IsEmpty()) {
        auto* msg = static_cast<TNotifyUI*>(m_aAsyncNotify[0]);
        m_aAsyncNotify.Remove(0);
        DeliverNotify(*msg);
        delete msg;
    }
}

// ---- Option groups ----

bool CPaintManagerUI::AddOptionGroup(const wchar_t* pStrGroupName, CControlUI* pControl)
{
    auto* group = static_cast<CStdPtrArray*>(m_mOptionGroup.Find(pStrGroupName));
    if (group) {
        if (group->Find(pControl) >= 0)
            return false;
        return group->Add(pControl);
    }
    group = new CStdPtrArray(6);
    group->Add(pControl);
    if (!m_mOptionGroup.Insert(pStrGroupName, group)) {
        delete group;
        return false;
    }
    return true;
}

CStdPtrArray* CPaintManagerUI::GetOptionGroup(const wchar_t* pStrGroupName)
{
    return static_cast<CStdPtrArray*>(m_mOptionGroup.Find(pStrGroupName));
}

void CPaintManagerUI::RemoveOptionGroup(const wchar_t* pStrGroupName, CControlUI* pControl)
{
    auto* group = static_cast<CStdPtrArray*>(m_mOptionGroup.Find(pStrGroupName));
    if (!group)
        return;
    const int index = group->Find(pControl);
    if (index >= 0)
        group->Remove(index);
    if (!group->IsEmpty())
        return;
    delete group;
    m_mOptionGroup.Remove(pStrGroupName);
}

void CPaintManagerUI::RemoveAllOptionGroups()
{
    for (int i = 0; i < m_mOptionGroup.GetSize(); ++i) {
        const wchar_t* key = m_mOptionGroup.GetAt(i);
        if (key)
            delete static_cast<CStdPtrArray*>(m_mOptionGroup.Find(key, false));
    }
    m_mOptionGroup.RemoveAll();
}

}  // namespace SkinUI
