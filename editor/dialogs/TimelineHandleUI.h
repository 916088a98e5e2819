#pragma once
// The timeline drag handles of the main window's range pages: the start handle (CMyButtonUI), the
// end handle (CMyButtonEndUI) and a handle that only reports a press and release (CMoveButtonUI).
// A handle follows the mouse along its timeline between fixed limits, keeps its rectangle in the
// process-wide TimelineHandleState values and reports "progresspos" / "progressendpos" while it
// moves and "playvideo" when it is released; the main window turns the rectangles into times.
//
// Rules: UI thread only (the low-level mouse hook runs on the installing thread too); the skin's
// tree owns every instance. One drag at a time for all handles (the shared drag bit). A release
// reports only when the press on that same handle started a drag, so a stray release never moves
// a handle onto an empty rectangle. A handle never reaches the button's own press handling, so it
// never reports "click". Limits are written at 96 DPI and scaled by the window's DPI when used.

#include "platform/WinUser.h"
#include "ui/controls/ButtonUI.h"

// Shared by the three kinds and the main window; rectangles in the main window's client coordinates.
extern RECT StartHandleRect;
extern RECT EndHandleRect;
extern unsigned HandleDragFlags;  // HandleDragging: a handle is being dragged
extern HHOOK DragMouseHook;
constexpr unsigned HandleDragging = 0x40;
// Posted to MainWindowHandle when the hook sees the release that ends a drag.
constexpr UINT kMsgHandleDragEnded = 5535;

// The low-level mouse hook that ends a drag released outside the window.
bool InstallDragMouseHook();
bool RemoveDragMouseHook();
LRESULT DragMouseHookProc(int code, WPARAM wParam, LPARAM lParam);

// What the three kinds share: the press, the drag rectangle, the release and the cursor.
class CTimelineHandleUI : public SkinUI::CButtonUI {
public:
    void DoEvent(SkinUI::TEventUI& event) override;

protected:
    // The rectangle value the handle keeps (start or end) and the notification of its moves.
    virtual RECT& StoredRect() const = 0;
    virtual const wchar_t* MoveNotification() const = 0;
    // A mouse move during the drag; the move handle ignores it.
    virtual void OnDragMove(POINT pt) = 0;
    // Applies the jump rule; false when the step ends the drag. Otherwise dx is the step.
    bool TakeStep(POINT pt, int& dx);
    // Places the handle on the drag rectangle, stores it and reports the move.
    void Commit();
    // x at 96 DPI in this window's device pixels.
    int S(int x) const;

    POINT m_ptPress {};
    RECT m_rcDrag {};
    bool m_bPressed { false };  // the last press on this handle started a drag

private:
    void OnPress(POINT pt);
    void OnRelease();
};

class CMyButtonUI : public CTimelineHandleUI {
public:
    CMyButtonUI();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;

protected:
    RECT& StoredRect() const override { return StartHandleRect; }
    const wchar_t* MoveNotification() const override { return L"progresspos"; }
    void OnDragMove(POINT pt) override;
};

class CMyButtonEndUI : public CTimelineHandleUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;

protected:
    RECT& StoredRect() const override { return EndHandleRect; }
    const wchar_t* MoveNotification() const override { return L"progressendpos"; }
    void OnDragMove(POINT pt) override;
};

class CMoveButtonUI : public CTimelineHandleUI {
public:
    CMoveButtonUI();
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;

protected:
    RECT& StoredRect() const override { return StartHandleRect; }
    const wchar_t* MoveNotification() const override { return L"progresspos"; }
    void OnDragMove(POINT) override {}
};
