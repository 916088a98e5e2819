#pragma once
// What the window manager asks of a display: the two implementations are the headless virtual
// screen (platform/headless/) and X11 (platform/x11/). The manager calls every operation with its
// lock held, so a backend never calls back into the window functions from them; it reports
// input and desktop-made changes through WindowManager's Deliver* operations from its own
// thread, without holding its own locks.

#include "platform/window/DragDrop.h"
#include "platform/window/Window.h"

#include <memory>
#include <string>
#include <vector>

namespace platform {

struct MonitorDesc {
    RECT rect {};
    RECT work {};
    UINT dpi = 96;
};

// What changed about a top-level window (bits of TopLevelChanged's `what`).
enum WindowChange : unsigned {
    ChangeGeometry = 1,
    ChangeVisibility = 2,
    ChangeZOrder = 4,
    ChangeStyle = 8,
    ChangeTitle = 16,
    ChangeLayer = 32,
    ChangeRegion = 64,
};

class Backend {
public:
    virtual ~Backend() = default;

    virtual std::vector<MonitorDesc> Monitors() = 0;
    virtual void TopLevelCreated(Window&) {}
    virtual void TopLevelDestroyed(Window&) {}
    virtual void TopLevelChanged(Window&, unsigned /*what*/) {}
    // The window's back buffer changed inside `dirty` (window coordinates).
    virtual void Present(Window&, const RECT& /*dirty*/) {}
    virtual void Activate(Window&) {}
    // The pointer shape over the window, as an IDC_* number.
    virtual void SetCursorShape(Window*, int /*idc*/) {}
    // A caption drag or border resize the desktop performs itself (true), or false to let the
    // manager track the mouse.
    virtual bool BeginMoveSize(Window&, int /*edge*/, POINT /*screen*/) { return false; }
    virtual void SetClipboardText(const std::wstring&) {}
    // The desktop's clipboard text when another program holds it; false when this process does.
    virtual bool ForeignClipboardText(std::wstring&) { return false; }
    virtual bool WarpPointer(POINT) { return false; }
    // Input methods: composed input on or off for the top-level window, and where composition
    // shows (window coordinates).
    virtual void SetInputMethod(Window&, bool /*on*/) {}
    virtual void SetInputSpot(Window&, POINT) {}
    // Carries a drag out of `source` to drop targets of other programs (and our own); null when
    // this display has no drag protocol, and the drag then reaches only our own windows.
    virtual std::unique_ptr<DragTransport> StartDrag(Window& /*source*/, std::shared_ptr<const DragOffer> /*offer*/)
    {
        return nullptr;
    }
    // The desktop's id of a top-level window (0 when it has none), for another program's dialog
    // to attach itself to.
    virtual unsigned long NativeId(const Window&) { return 0; }
    // While another program (process `pid`) shows a dialog for `owner`: true once its window is
    // up, above its owner and holding the focus; false while it is still to come.
    virtual bool TendForeignDialog(Window& /*owner*/, long /*pid*/) { return true; }
    virtual void ForeignDialogEnded() {}
    // Other programs' top-level windows, by the desktop's id: found by class and title (0: none),
    // asked whether minimised, told to show themselves (SW_*) or to take a posted message.
    virtual unsigned long FindForeignWindow(const std::wstring& /*className*/, const std::wstring& /*title*/) { return 0; }
    virtual bool ForeignIsIconic(unsigned long /*id*/) { return false; }
    virtual bool ShowForeignWindow(unsigned long /*id*/, int /*cmd*/) { return false; }
    virtual bool PostToForeignWindow(unsigned long /*id*/, UINT /*msg*/) { return false; }
    // The program's icon, shown by every one of its windows (as a taskbar groups them): at
    // several sizes, each as width, height and then width x height ARGB pixels row by row, the
    // desktop's icon property. Empty: none.
    virtual void SetProgramIcon(const std::vector<unsigned long>& /*pixels*/) {}
};

}  // namespace platform
