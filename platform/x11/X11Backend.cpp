// The X11 display. One X window per top-level window, with a 32-bit ARGB visual where the server
// has one (per-pixel alpha then needs a compositing manager) and override-redirect for owned
// popups (menus, lists, shadows). Every X call goes through `m_x`: the window manager calls in
// with its own lock held and then takes `m_x`; the event thread takes `m_x` only to read events
// and never holds it while it reports them, so the two locks are always taken in that order.

#include "platform/x11/X11Backend.h"

#include "platform/WinBase.h"
#include "platform/gdi/Region.h"
#include "platform/window/UserInternal.h"
#include "platform/x11/XdndSource.h"
#include "platform/x11/XMessages.h"
#include "platform/x11/XdndTarget.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#include <poll.h>
#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace platform {

namespace {

struct NativeWindow {
    ::Window xid = 0;
    HWND hwnd = nullptr;
    GC gc = nullptr;
    XIC ic = nullptr;
    bool inputMethodOff = false;  // a focused control asked for no composed input
    bool overrideRedirect = false;
    bool mapped = false;
    int ownMapChanges = 0;  // map and unmap notifications still due for our own requests
    bool framed = false;    // a window manager reparented it into a frame
    std::optional<bool> decorated;  // what the desktop was last asked for; unset before the first ask
    bool toldMinimized = false;     // what the minimised mark other programs read last said
    RECT rect {};  // as last set or reported
    // The geometry the server last confirmed, then those we asked for since, oldest first. The
    // server reports each one late, so a report matching one of them is an echo of our own
    // request, not a move by the desktop.
    std::vector<RECT> pendingGeometry;
    std::vector<uint32_t> scratch;
};

int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// Premultiplied `p` over the opaque `below`.
uint32_t Over(uint32_t p, uint32_t below)
{
    const uint32_t rest = 255 - (p >> 24);
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8)
        out |= std::min<uint32_t>(255, ((p >> shift) & 0xFF) + ((below >> shift) & 0xFF) * rest / 255) << shift;
    return out;
}

// A window's pixel as a display shows it: premultiplied, opaque unless the window is layered.
uint32_t ShownPixel(const Window& window, uint32_t pixel)
{
    const bool layered = (window.exStyle & WS_EX_LAYERED) && window.layer != LayerMode {};  // {} is None, a name X11 takes
    uint32_t p = layered && window.layer == LayerMode::PerPixel ? pixel : (pixel | 0xFF000000u);
    const uint32_t alpha = layered ? window.constantAlpha : 255;
    if (alpha == 255)
        return p;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= (((p >> shift) & 0xFF) * alpha / 255) << shift;
    return out;
}

// What our own windows behind `layer` show under its area `dirty` (window coordinates), black
// where none of them lies: with no compositing manager, a translucent window is blended over
// this by us (wm's lock held).
std::vector<uint32_t> BackdropOf(WindowManager& wm, const Window& layer, const RECT& dirty)
{
    const int width = dirty.right - dirty.left, height = dirty.bottom - dirty.top;
    std::vector<uint32_t> below(static_cast<size_t>(width) * height, 0xFF000000u);
    const auto at = std::find(wm.topLevels.begin(), wm.topLevels.end(), &layer);
    const RECT area { dirty.left + layer.rect.left, dirty.top + layer.rect.top, dirty.right + layer.rect.left,
                      dirty.bottom + layer.rect.top };
    for (auto it = wm.topLevels.rbegin(); at != wm.topLevels.end() && it.base() != at + 1; ++it) {
        const Window& w = **it;
        if (!w.visible || (w.style & WS_MINIMIZE) || !w.buffer || !w.buffer->Data())
            continue;
        if ((w.exStyle & WS_EX_LAYERED) && w.layer == LayerMode {})
            continue;  // shows nothing until it is given its picture or its alpha
        const RECT meet = RectIntersect(area, w.rect);
        for (int y = meet.top; y < meet.bottom; ++y) {
            const auto* from = reinterpret_cast<const uint32_t*>(w.buffer->Data() + static_cast<size_t>(y - w.rect.top) * w.buffer->Stride());
            uint32_t* to = below.data() + static_cast<size_t>(y - area.top) * width;
            for (int x = meet.left; x < meet.right; ++x)
                to[x - area.left] = Over(ShownPixel(w, from[x - w.rect.left]), to[x - area.left]);
        }
    }
    return below;
}

void RememberRequest(NativeWindow& native, const RECT& rect)
{
    // A window manager may refuse or merge requests; never let the list grow without bound.
    constexpr size_t kMostPending = 64;
    if (native.pendingGeometry.size() == kMostPending)
        native.pendingGeometry.erase(native.pendingGeometry.begin());
    native.pendingGeometry.push_back(rect);
}

// True when `reported` is a geometry the server already confirmed or one we requested and the
// server is only now confirming; it reports them in the order we asked. The list starts with
// the last confirmed geometry, which stays as the server may report it again (restacks).
bool IsEchoOfRequest(NativeWindow& native, const RECT& reported)
{
    auto& pending = native.pendingGeometry;
    for (size_t i = 0; i < pending.size(); ++i) {
        if (!EqualRect(&pending[i], &reported))
            continue;
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(i));
        return true;
    }
    pending.assign(1, reported);  // the desktop moved or sized it: earlier requests are void
    return false;
}

// Virtual keys of the keys the framework and the editor handle; letters and digits map directly.
int VirtualKeyOf(KeySym sym)
{
    if (sym >= XK_a && sym <= XK_z)
        return static_cast<int>(sym - XK_a + 'A');
    if (sym >= XK_A && sym <= XK_Z)
        return static_cast<int>(sym);
    if (sym >= XK_0 && sym <= XK_9)
        return static_cast<int>(sym);
    if (sym >= XK_F1 && sym <= XK_F24)
        return static_cast<int>(VK_F1 + (sym - XK_F1));
    if (sym >= XK_KP_0 && sym <= XK_KP_9)
        return static_cast<int>(VK_NUMPAD0 + (sym - XK_KP_0));
    static const std::map<KeySym, int> table {
        { XK_BackSpace, VK_BACK }, { XK_Tab, VK_TAB }, { XK_ISO_Left_Tab, VK_TAB }, { XK_Return, VK_RETURN },
        { XK_KP_Enter, VK_RETURN }, { XK_Shift_L, VK_SHIFT }, { XK_Shift_R, VK_SHIFT }, { XK_Control_L, VK_CONTROL },
        { XK_Control_R, VK_CONTROL }, { XK_Alt_L, VK_MENU }, { XK_Alt_R, VK_MENU }, { XK_Pause, VK_PAUSE },
        { XK_Caps_Lock, VK_CAPITAL }, { XK_Escape, VK_ESCAPE }, { XK_space, VK_SPACE }, { XK_Prior, VK_PRIOR },
        { XK_Next, VK_NEXT }, { XK_End, VK_END }, { XK_Home, VK_HOME }, { XK_Left, VK_LEFT }, { XK_Up, VK_UP },
        { XK_Right, VK_RIGHT }, { XK_Down, VK_DOWN }, { XK_Insert, VK_INSERT }, { XK_Delete, VK_DELETE },
        { XK_KP_Decimal, VK_DECIMAL }, { XK_KP_Add, VK_ADD }, { XK_KP_Subtract, VK_SUBTRACT },
        { XK_KP_Multiply, VK_MULTIPLY }, { XK_KP_Divide, VK_DIVIDE }, { XK_Num_Lock, VK_NUMLOCK },
        { XK_period, VK_OEM_PERIOD }, { XK_comma, VK_OEM_COMMA }, { XK_minus, VK_OEM_MINUS }, { XK_equal, VK_OEM_PLUS },
        { XK_semicolon, VK_OEM_1 }, { XK_slash, VK_OEM_2 }, { XK_grave, VK_OEM_3 }, { XK_bracketleft, VK_OEM_4 },
        { XK_backslash, VK_OEM_5 }, { XK_bracketright, VK_OEM_6 }, { XK_apostrophe, VK_OEM_7 }, { XK_Menu, VK_APPS },
    };
    auto it = table.find(sym);
    return it == table.end() ? 0 : it->second;
}

unsigned CursorShapeOf(int idc)
{
    switch (idc) {
    case 32513: return XC_xterm;
    case 32514: return XC_watch;
    case 32515: return XC_crosshair;
    case 32642: return XC_bottom_right_corner;
    case 32643: return XC_bottom_left_corner;
    case 32644: return XC_sb_h_double_arrow;
    case 32645: return XC_sb_v_double_arrow;
    case 32646: case 32640: return XC_fleur;
    case 32648: return XC_X_cursor;
    case 32649: return XC_hand2;
    case 32650: return XC_watch;
    case 32651: return XC_question_arrow;
    default: return XC_left_ptr;
    }
}

// A drag out of our windows as the drag loop drives it: each step takes the X lock.
class XdndTransport final : public DragTransport {
public:
    XdndTransport(std::mutex& x, XdndSource& source) : m_x(x), m_source(source) {}
    ~XdndTransport() override { Cancel(); }
    void Move(POINT screen, DWORD keyState) override
    {
        std::lock_guard guard(m_x);
        m_source.Move(screen, keyState);
    }
    void Drop() override
    {
        std::lock_guard guard(m_x);
        m_source.Drop();
    }
    void Cancel() override
    {
        std::lock_guard guard(m_x);
        m_source.Cancel();
    }
    State Poll() override
    {
        std::lock_guard guard(m_x);
        return m_source.Poll();
    }

private:
    std::mutex& m_x;
    XdndSource& m_source;
};

class X11Backend final : public Backend {
public:
    explicit X11Backend(Display* display) : m_display(display), m_xdnd(display) { Setup(); }

    std::vector<MonitorDesc> Monitors() override;
    void TopLevelCreated(Window& window) override;
    void TopLevelDestroyed(Window& window) override;
    void TopLevelChanged(Window& window, unsigned what) override;
    void Present(Window& window, const RECT& dirty) override;
    void Activate(Window& window) override;
    void SetCursorShape(Window* window, int idc) override;
    void SetInputMethod(Window& window, bool on) override;
    bool BeginMoveSize(Window& window, int edge, POINT screen) override;
    void SetClipboardText(const std::wstring& text) override;
    bool ForeignClipboardText(std::wstring& text) override;
    bool WarpPointer(POINT point) override;
    std::unique_ptr<DragTransport> StartDrag(Window& source, std::shared_ptr<const DragOffer> offer) override;
    unsigned long NativeId(const Window& window) override;
    bool TendForeignDialog(Window& owner, long pid) override;
    void ForeignDialogEnded() override;
    void SetProgramIcon(const std::vector<unsigned long>& pixels) override;
    unsigned long FindForeignWindow(const std::wstring& className, const std::wstring& title) override;
    bool ForeignIsIconic(unsigned long id) override;
    bool ShowForeignWindow(unsigned long id, int cmd) override;
    bool PostToForeignWindow(unsigned long id, UINT msg) override;
    // While a popup that takes the focus is mapped, the pointer is grabbed (our own windows
    // still get their events), so a press outside the program reaches us and closes it.
    void UpdatePopupGrab();

private:
    void Setup();
    void EventLoop();
    void Handle(XEvent& event, std::vector<std::function<void()>>& reports);
    void HandleKey(XKeyEvent& event, NativeWindow* native, std::vector<std::function<void()>>& reports);
    void AnswerSelection(const XSelectionRequestEvent& request);
    void Restack(const Window& changed, bool raise);
    std::vector<::Window> OtherTopLevels();
    std::string TitleOf(::Window xid);
    void HandleRemoteRequest(const XClientMessageEvent& message, HWND hwnd, std::vector<std::function<void()>>& reports);
    ::Window FindForeignDialog(::Window owner, long pid);
    void ShowProgramIcon(::Window xid);
    void PlaceForeignDialog(::Window dialog, const RECT& owner);
    void KeepBelowForeignDialog();
    long CardinalOf(::Window xid, const char* property);
    void SetInputShape(const Window& window);
    bool CompositorRunning();
    void PresentLayersAbove(const Window& window, const RECT& dirty);
    void SetDecorations(const Window& window, NativeWindow& native);
    NativeWindow* NativeOf(::Window xid);
    Atom AtomOf(const char* name) { return XInternAtom(m_display, name, False); }
    bool Supports(const char* name);

    Display* m_display;
    std::mutex m_x;
    int m_screen = 0;
    ::Window m_root = 0;
    ::Window m_helper = 0;  // owns the clipboard
    Visual* m_visual = nullptr;
    int m_depth = 24;
    Colormap m_colormap = 0;
    XIM m_im = nullptr;
    UINT m_dpi = 96;
    std::unordered_map<::Window, NativeWindow*> m_byXid;
    bool m_popupGrab = false;
    // Another program's dialog shown for one of our windows, and the root's child that holds it
    // (the window manager's frame, or the dialog itself when there is no window manager): it is
    // kept above our windows while it is up.
    ::Window m_foreignDialog = 0, m_foreignTop = 0;
    std::vector<unsigned long> m_programIcon;
    // The serial of our last focus request: focus events the server made before it are stale.
    unsigned long m_focusRequest = 0;
    std::map<unsigned, Cursor> m_cursors;
    // Whether a compositing manager blends per-pixel-alpha windows; asked again now and then.
    bool m_compositor = false;
    std::chrono::steady_clock::time_point m_compositorAsked {};

    std::wstring m_clipText;
    bool m_ownClipboard = false;
    std::condition_variable_any m_selectionDone;
    bool m_selectionWaiting = false, m_selectionGot = false;
    std::wstring m_selectionText;

    XdndTarget m_xdnd;
    std::unique_ptr<XdndSource> m_dragSource;  // made with the helper window
};

void X11Backend::Setup()
{
    XSetErrorHandler(IgnoreXError);
    m_screen = DefaultScreen(m_display);
    m_root = RootWindow(m_display, m_screen);
    XVisualInfo info;
    if (XMatchVisualInfo(m_display, m_screen, 32, TrueColor, &info)) {
        m_visual = info.visual;
        m_depth = 32;
        m_colormap = XCreateColormap(m_display, m_root, m_visual, AllocNone);
    } else {
        m_visual = DefaultVisual(m_display, m_screen);
        m_depth = DefaultDepth(m_display, m_screen);
        m_colormap = DefaultColormap(m_display, m_screen);
    }
    Bool detectable = False;
    XkbSetDetectableAutoRepeat(m_display, True, &detectable);
    std::setlocale(LC_CTYPE, "");
    XSetLocaleModifiers("");
    m_im = XOpenIM(m_display, nullptr, nullptr, nullptr);
    m_helper = XCreateSimpleWindow(m_display, m_root, -10, -10, 1, 1, 0, 0, 0);
    m_dragSource = std::make_unique<XdndSource>(m_display, m_helper, [this](::Window xid) { return NativeOf(xid) != nullptr; });
    const char* env = std::getenv("QUILL_DPI");
    if (env && std::atoi(env) > 0) {
        m_dpi = static_cast<UINT>(std::atoi(env));
    } else if (const char* resources = XResourceManagerString(m_display)) {
        XrmInitialize();
        XrmDatabase db = XrmGetStringDatabase(resources);
        char* type = nullptr;
        XrmValue value;
        if (db && XrmGetResource(db, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
            m_dpi = static_cast<UINT>(std::atoi(value.addr)) ? static_cast<UINT>(std::atoi(value.addr)) : 96;
        if (db)
            XrmDestroyDatabase(db);
    }
    std::thread([this] { EventLoop(); }).detach();
}

std::vector<MonitorDesc> X11Backend::Monitors()
{
    std::lock_guard guard(m_x);
    const RECT screen { 0, 0, DisplayWidth(m_display, m_screen), DisplayHeight(m_display, m_screen) };
    RECT work = screen;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_display, m_root, AtomOf("_NET_WORKAREA"), 0, 4, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success && data && count >= 4 && format == 32) {
        const long* v = reinterpret_cast<const long*>(data);
        work = RectIntersect(screen, { static_cast<LONG>(v[0]), static_cast<LONG>(v[1]), static_cast<LONG>(v[0] + v[2]),
                                       static_cast<LONG>(v[1] + v[3]) });
    }
    if (data)
        XFree(data);
    return { { screen, RectEmpty(work) ? screen : work, m_dpi } };
}

NativeWindow* X11Backend::NativeOf(::Window xid)
{
    auto it = m_byXid.find(xid);
    return it == m_byXid.end() ? nullptr : it->second;
}

bool X11Backend::Supports(const char* name)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(m_display, m_root, AtomOf("_NET_SUPPORTED"), 0, 4096, False, XA_ATOM, &type, &format, &count,
                           &after, &data) == Success && data) {
        const Atom wanted = AtomOf(name);
        const Atom* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count && !found; ++i)
            found = atoms[i] == wanted;
    }
    if (data)
        XFree(data);
    return found;
}

void X11Backend::TopLevelCreated(Window& window)
{
    std::lock_guard guard(m_x);
    auto* native = new NativeWindow();
    native->hwnd = window.handle;
    // Owned popups (menus, lists, shadows, tips) are placed by us, not by the desktop.
    native->overrideRedirect = (window.style & WS_POPUP) && (window.owner || (window.exStyle & WS_EX_TOOLWINDOW));
    native->rect = window.rect;
    native->pendingGeometry.assign(1, window.rect);
    XSetWindowAttributes attributes {};
    attributes.colormap = m_colormap;
    attributes.border_pixel = 0;
    attributes.background_pixel = 0;
    attributes.override_redirect = native->overrideRedirect;
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask
        | KeyReleaseMask | EnterWindowMask | LeaveWindowMask | StructureNotifyMask | FocusChangeMask;
    native->xid = XCreateWindow(m_display, m_root, window.rect.left, window.rect.top, std::max(1, window.Width()),
                                std::max(1, window.Height()), 0, m_depth, InputOutput, m_visual,
                                CWColormap | CWBorderPixel | CWBackPixel | CWOverrideRedirect | CWEventMask, &attributes);
    native->gc = XCreateGC(m_display, native->xid, 0, nullptr);
    Atom protocols[] = { AtomOf("WM_DELETE_WINDOW") };
    XSetWMProtocols(m_display, native->xid, protocols, 1);
    SetDecorations(window, *native);
    // Other programs find the window by its class (FindWindow) and read whether it is minimised.
    std::string className = WideToUtf8(window.cls ? window.cls->name : std::wstring());
    XClassHint classHint { program_invocation_short_name, className.data() };
    XSetClassHint(m_display, native->xid, &classHint);
    if (window.owner && window.owner->native)
        XSetTransientForHint(m_display, native->xid, static_cast<NativeWindow*>(window.owner->native)->xid);
    XSizeHints size {};
    size.flags = PPosition | USPosition;
    size.x = window.rect.left;
    size.y = window.rect.top;
    XSetWMNormalHints(m_display, native->xid, &size);
    if (m_im)
        native->ic = XCreateIC(m_im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, native->xid,
                               XNFocusWindow, native->xid, nullptr);
    m_xdnd.Advertise(native->xid);
    if (!m_programIcon.empty())
        ShowProgramIcon(native->xid);
    window.native = native;
    m_byXid[native->xid] = native;
    SetInputShape(window);
}

void X11Backend::SetDecorations(const Window& window, NativeWindow& native)
{
    // Self-drawn frames ask the desktop for no decorations (Motif hints: flags, functions,
    // decorations). Windows usually drop their caption in WM_CREATE, after the X window exists,
    // so the hint follows every style change; a mapped window's manager reads it again.
    const bool captioned = window.style & WS_CAPTION;
    if (native.decorated.has_value() && *native.decorated == captioned)
        return;
    native.decorated = captioned;
    if (captioned) {
        XDeleteProperty(m_display, native.xid, AtomOf("_MOTIF_WM_HINTS"));
        return;
    }
    long hints[5] = { 2, 0, 0, 0, 0 };
    XChangeProperty(m_display, native.xid, AtomOf("_MOTIF_WM_HINTS"), AtomOf("_MOTIF_WM_HINTS"), 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(hints), 5);
}

void X11Backend::SetInputShape(const Window& window)
{
    // A click-through window takes no pointer input at all, so other programs' windows below
    // it get their clicks too.
    auto* native = static_cast<NativeWindow*>(window.native);
    if (window.exStyle & WS_EX_TRANSPARENT)
        XShapeCombineRectangles(m_display, native->xid, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
    else
        XShapeCombineMask(m_display, native->xid, ShapeInput, 0, 0, None, ShapeSet);
}

void X11Backend::TopLevelDestroyed(Window& window)
{
    std::lock_guard guard(m_x);
    auto* native = static_cast<NativeWindow*>(window.native);
    if (!native)
        return;
    if (native->ic)
        XDestroyIC(native->ic);
    XFreeGC(m_display, native->gc);
    XDestroyWindow(m_display, native->xid);
    XFlush(m_display);
    m_byXid.erase(native->xid);
    delete native;
    window.native = nullptr;
    UpdatePopupGrab();
}

void X11Backend::UpdatePopupGrab()
{
    bool popupShown = false;
    for (const auto& [xid, native] : m_byXid) {
        const Window* window = native->hwnd ? WindowManager::Get().Find(native->hwnd) : nullptr;
        // A click-through window (a shadow, a tip) takes no input, so it never holds the pointer:
        // while it is shown, other programs' windows must still get their clicks. Nor does a
        // dialog whose owner it disables: it may stay up for the length of an export.
        if (native->overrideRedirect && native->mapped && window
            && !(window->exStyle & (WS_EX_NOACTIVATE | WS_EX_TRANSPARENT))
            && !(window->owner && (window->owner->style & WS_DISABLED)))
            popupShown = true;
    }
    if (popupShown == m_popupGrab)
        return;
    if (popupShown) {
        m_popupGrab = XGrabPointer(m_display, m_root, True, ButtonPressMask | ButtonReleaseMask, GrabModeAsync,
                                   GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
    } else {
        XUngrabPointer(m_display, CurrentTime);
        m_popupGrab = false;
    }
    XFlush(m_display);
}

void X11Backend::Restack(const Window& changed, bool raise)
{
    // The manager's z-order of our mapped windows, top first, told to the server at once. Our
    // top window is raised over other programs' windows only when it is the one brought up:
    // hiding a tip or a menu must not lift the window below it over a dialog that came later.
    WindowManager& wm = WindowManager::Get();
    std::vector<::Window> order;
    for (Window* window : wm.topLevels)
        if (auto* native = static_cast<NativeWindow*>(window->native); native && native->mapped)
            order.push_back(native->xid);
    if (order.empty())
        return;
    if (raise && wm.topLevels.front() == &changed)
        XRaiseWindow(m_display, order.front());
    XRestackWindows(m_display, order.data(), static_cast<int>(order.size()));
    KeepBelowForeignDialog();
}

// A window manager keeps the dialog above the window it is attached to, but not above our own
// popups (menus, overlays), which it does not manage: those go right below it, in their order.
// With no window manager the dialog is simply raised.
void X11Backend::KeepBelowForeignDialog()
{
    if (!m_foreignDialog)
        return;
    if (m_foreignTop == m_foreignDialog) {
        XRaiseWindow(m_display, m_foreignDialog);
        return;
    }
    const std::vector<Window*>& order = WindowManager::Get().topLevels;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        auto* native = static_cast<NativeWindow*>((*it)->native);
        if (!native || !native->mapped || !native->overrideRedirect)
            continue;
        XWindowChanges changes {};
        changes.sibling = m_foreignTop;
        changes.stack_mode = Below;
        XConfigureWindow(m_display, native->xid, CWSibling | CWStackMode, &changes);
    }
}

void X11Backend::TopLevelChanged(Window& window, unsigned what)
{
    std::lock_guard guard(m_x);
    auto* native = static_cast<NativeWindow*>(window.native);
    if (!native)
        return;
    if ((what & ChangeGeometry) && !EqualRect(&native->rect, &window.rect)) {
        native->rect = window.rect;
        RememberRequest(*native, window.rect);
        XMoveResizeWindow(m_display, native->xid, window.rect.left, window.rect.top, std::max(1, window.Width()),
                          std::max(1, window.Height()));
    }
    bool newlyMapped = false;
    if (what & (ChangeVisibility | ChangeStyle)) {
        const bool shown = window.visible && !(window.style & WS_MINIMIZE);
        newlyMapped = shown && !native->mapped;
        if (shown && !native->mapped) {
            XMapWindow(m_display, native->xid);
            ++native->ownMapChanges;
        } else if (!window.visible && native->mapped) {
            XUnmapWindow(m_display, native->xid);
            ++native->ownMapChanges;
        } else if ((window.style & WS_MINIMIZE) && native->mapped) {
            XIconifyWindow(m_display, native->xid, m_screen);  // its unmap matches `mapped` below
        }
        native->mapped = shown;
    }
    if (what & (ChangeVisibility | ChangeStyle))
        UpdatePopupGrab();
    if (what & ChangeStyle) {
        SetInputShape(window);
        SetDecorations(window, *native);
        if (const bool minimized = window.style & WS_MINIMIZE; minimized != native->toldMinimized) {
            native->toldMinimized = minimized;
            long mark = minimized;
            XChangeProperty(m_display, native->xid, AtomOf("_QUILL_MINIMIZED"), XA_CARDINAL, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(&mark), 1);
        }
    }
    if (what & ChangeTitle) {
        const std::string title = WideToUtf8(window.title);
        XChangeProperty(m_display, native->xid, AtomOf("_NET_WM_NAME"), AtomOf("UTF8_STRING"), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
        XStoreName(m_display, native->xid, title.c_str());
    }
    if (what & ChangeRegion) {
        std::vector<XRectangle> rects;
        for (const RECT& r : window.region ? RegionRects(window.region) : std::vector<RECT> {})
            rects.push_back({ static_cast<short>(r.left), static_cast<short>(r.top), static_cast<unsigned short>(r.right - r.left),
                              static_cast<unsigned short>(r.bottom - r.top) });
        if (window.region)
            XShapeCombineRectangles(m_display, native->xid, ShapeBounding, 0, 0, rects.data(), static_cast<int>(rects.size()),
                                    ShapeSet, YXBanded);
        else
            XShapeCombineMask(m_display, native->xid, ShapeBounding, 0, 0, None, ShapeSet);
    }
    if (what & (ChangeZOrder | ChangeVisibility))
        Restack(window, newlyMapped || (what & ChangeZOrder));
    XFlush(m_display);
}

void X11Backend::Present(Window& window, const RECT& dirty)
{
    auto* native = static_cast<NativeWindow*>(window.native);
    if (!native || !window.buffer || !window.buffer->Data())
        return;
    const int width = dirty.right - dirty.left, height = dirty.bottom - dirty.top;
    if (width <= 0 || height <= 0)
        return;
    // The pixels as the server shows them: premultiplied ARGB, opaque unless the window is layered.
    cairo_surface_flush(window.buffer->Surface());
    native->scratch.resize(static_cast<size_t>(width) * height);
    const bool layered = (window.exStyle & WS_EX_LAYERED) && window.layer != LayerMode {};
    const bool translucent = layered && (window.layer == LayerMode::PerPixel || window.constantAlpha != 255);
    WindowManager& wm = WindowManager::Get();
    const std::vector<RECT> carets = CaretRects(wm, &window);
    bool compositor = false;
    {
        std::lock_guard guard(m_x);
        compositor = CompositorRunning();
    }
    const bool blendHere = translucent && !compositor;
    const std::vector<uint32_t> below = blendHere ? BackdropOf(wm, window, dirty) : std::vector<uint32_t> {};
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(window.buffer->Data() + static_cast<size_t>(dirty.top + y) * window.buffer->Stride())
            + dirty.left;
        uint32_t* out = native->scratch.data() + static_cast<size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            const uint32_t p = ShownPixel(window, row[x]);
            out[x] = blendHere ? Over(p, below[static_cast<size_t>(y) * width + x]) : p;
        }
    }
    for (const RECT& caret : carets) {
        const RECT area = RectIntersect(caret, dirty);
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                native->scratch[static_cast<size_t>(y - dirty.top) * width + (x - dirty.left)] ^= 0x00FFFFFFu;
    }
    {
        std::lock_guard guard(m_x);
        XImage* image = XCreateImage(m_display, m_visual, static_cast<unsigned>(m_depth), ZPixmap, 0,
                                     reinterpret_cast<char*>(native->scratch.data()), static_cast<unsigned>(width),
                                     static_cast<unsigned>(height), 32, width * 4);
        if (!image)
            return;
        XPutImage(m_display, native->xid, native->gc, image, 0, 0, dirty.left, dirty.top, static_cast<unsigned>(width),
                  static_cast<unsigned>(height));
        image->data = nullptr;  // the pixels are ours
        XDestroyImage(image);
        XFlush(m_display);
    }
    if (!compositor)
        PresentLayersAbove(window, dirty);
}

// With no compositing manager our translucent windows show what lay below them when they were
// presented: a window that changes under them has them presented again over its new pixels
// (wm's lock held, m_x not).
void X11Backend::PresentLayersAbove(const Window& window, const RECT& dirty)
{
    WindowManager& wm = WindowManager::Get();
    const RECT area { dirty.left + window.rect.left, dirty.top + window.rect.top, dirty.right + window.rect.left,
                      dirty.bottom + window.rect.top };
    for (Window* layer : wm.topLevels) {
        if (layer == &window)
            return;  // the rest lie below it
        const bool translucent = (layer->exStyle & WS_EX_LAYERED)
            && (layer->layer == LayerMode::PerPixel || (layer->layer == LayerMode::ConstantAlpha && layer->constantAlpha != 255));
        if (!translucent || !layer->visible || (layer->style & WS_MINIMIZE))
            continue;
        RECT meet = RectIntersect(area, layer->rect);
        if (RectEmpty(meet))
            continue;
        OffsetRect(&meet, -layer->rect.left, -layer->rect.top);
        Present(*layer, meet);
    }
}

bool X11Backend::CompositorRunning()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - m_compositorAsked >= std::chrono::seconds(1)) {
        m_compositorAsked = now;
        const std::string selection = "_NET_WM_CM_S" + std::to_string(m_screen);
        m_compositor = XGetSelectionOwner(m_display, AtomOf(selection.c_str())) != None;
    }
    return m_compositor;
}

void X11Backend::Activate(Window& window)
{
    std::lock_guard guard(m_x);
    auto* native = static_cast<NativeWindow*>(window.native);
    if (!native || !native->mapped)
        return;
    // No raise here: the manager has just restacked the window with its owned popups above it.
    m_focusRequest = NextRequest(m_display);
    XSetInputFocus(m_display, native->xid, RevertToParent, CurrentTime);
    if (native->ic && !native->inputMethodOff)
        XSetICFocus(native->ic);
    XFlush(m_display);
}

void X11Backend::SetInputMethod(Window& window, bool on)
{
    std::lock_guard guard(m_x);
    auto* native = static_cast<NativeWindow*>(window.native);
    if (!native)
        return;
    native->inputMethodOff = !on;
    if (native->ic)
        on ? XSetICFocus(native->ic) : XUnsetICFocus(native->ic);
    XFlush(m_display);
}

void X11Backend::SetCursorShape(Window* window, int idc)
{
    std::lock_guard guard(m_x);
    auto* native = window ? static_cast<NativeWindow*>(window->native) : nullptr;
    if (!native)
        return;
    const unsigned shape = CursorShapeOf(idc);
    auto it = m_cursors.find(shape);
    if (it == m_cursors.end())
        it = m_cursors.emplace(shape, XCreateFontCursor(m_display, shape)).first;
    XDefineCursor(m_display, native->xid, it->second);
    XFlush(m_display);
}

bool X11Backend::BeginMoveSize(Window& window, int edge, POINT screen)
{
    std::lock_guard guard(m_x);
    auto* native = static_cast<NativeWindow*>(window.native);
    if (!native || native->overrideRedirect || !Supports("_NET_WM_MOVERESIZE"))
        return false;
    // _NET_WM_MOVERESIZE directions by WMSZ_ edge (index), 8 = move.
    static const long directions[] = { 8, 7, 3, 1, 0, 2, 5, 6, 4 };
    XUngrabPointer(m_display, CurrentTime);
    SendClientMessage(m_display, m_root, native->xid, AtomOf("_NET_WM_MOVERESIZE"),
                      { screen.x, screen.y, directions[edge >= 0 && edge <= 8 ? edge : 0], Button1, 1 },
                      SubstructureRedirectMask | SubstructureNotifyMask);
    return true;
}

void X11Backend::SetClipboardText(const std::wstring& text)
{
    std::lock_guard guard(m_x);
    m_clipText = text;
    m_ownClipboard = true;
    XSetSelectionOwner(m_display, AtomOf("CLIPBOARD"), m_helper, CurrentTime);
    XFlush(m_display);
}

bool X11Backend::ForeignClipboardText(std::wstring& text)
{
    std::unique_lock lock(m_x);
    const ::Window owner = XGetSelectionOwner(m_display, AtomOf("CLIPBOARD"));
    if (owner == None || owner == m_helper)
        return false;
    m_selectionWaiting = true;
    m_selectionGot = false;
    XConvertSelection(m_display, AtomOf("CLIPBOARD"), AtomOf("UTF8_STRING"), AtomOf("QUILL_CLIPBOARD"), m_helper, CurrentTime);
    XFlush(m_display);
    // The event thread takes the answer; a program that never answers costs half a second.
    m_selectionDone.wait_for(lock, std::chrono::milliseconds(500), [this] { return !m_selectionWaiting; });
    m_selectionWaiting = false;
    if (!m_selectionGot)
        return false;
    text = m_selectionText;
    return true;
}

std::unique_ptr<DragTransport> X11Backend::StartDrag(Window& source, std::shared_ptr<const DragOffer> offer)
{
    std::lock_guard guard(m_x);
    auto* native = static_cast<NativeWindow*>(source.native);
    if (!native)
        return nullptr;
    m_dragSource->Begin(std::move(offer), native->xid);
    return std::make_unique<XdndTransport>(m_x, *m_dragSource);
}

unsigned long X11Backend::NativeId(const Window& window)
{
    const auto* native = static_cast<const NativeWindow*>(window.native);
    return native ? native->xid : 0;
}

long X11Backend::CardinalOf(::Window xid, const char* property)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long value = -1;
    if (XGetWindowProperty(m_display, xid, AtomOf(property), 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success && data && count == 1 && format == 32)
        value = *reinterpret_cast<const long*>(data);
    if (data)
        XFree(data);
    return value;
}

// The top-level windows of other programs: the desktop's client list names managed windows;
// without a window manager they are the root's own children. (The candidates may include a
// frame's inner windows, which carry no class or title of a program.)
std::vector<::Window> X11Backend::OtherTopLevels()
{
    std::vector<::Window> candidates;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_display, m_root, AtomOf("_NET_CLIENT_LIST"), 0, 4096, False, XA_WINDOW, &type, &format,
                           &count, &after, &data) == Success && data && format == 32)
        candidates.assign(reinterpret_cast<const ::Window*>(data), reinterpret_cast<const ::Window*>(data) + count);
    if (data)
        XFree(data);
    ::Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned int childCount = 0;
    if (XQueryTree(m_display, m_root, &rootReturn, &parent, &children, &childCount)) {
        for (unsigned int i = 0; i < childCount; ++i) {
            candidates.push_back(children[i]);
            // A window manager frames a window before it lists it: look inside the frames too.
            ::Window* inner = nullptr;
            unsigned int innerCount = 0;
            if (XQueryTree(m_display, children[i], &rootReturn, &parent, &inner, &innerCount) && inner) {
                candidates.insert(candidates.end(), inner, inner + innerCount);
                XFree(inner);
            }
        }
        if (children)
            XFree(children);
    }
    std::erase_if(candidates, [this](::Window xid) { return NativeOf(xid) || xid == m_helper; });
    return candidates;
}

// The shown top-level window of process `pid`, or one that declares itself a dialog of `owner`;
// 0 while there is none.
::Window X11Backend::FindForeignDialog(::Window owner, long pid)
{
    for (::Window candidate : OtherTopLevels()) {
        XWindowAttributes attributes {};
        if (!XGetWindowAttributes(m_display, candidate, &attributes) || attributes.map_state != IsViewable
            || attributes.override_redirect)
            continue;
        ::Window transientFor = 0;
        const bool attached = XGetTransientForHint(m_display, candidate, &transientFor) && transientFor == owner;
        if (attached || CardinalOf(candidate, "_NET_WM_PID") == pid)
            return candidate;
    }
    return 0;
}

// Without a window manager nobody places or focuses the dialog: centre it on its owner, on the
// screen, above everything, with the keyboard focus.
void X11Backend::PlaceForeignDialog(::Window dialog, const RECT& owner)
{
    XWindowAttributes attributes {};
    XGetWindowAttributes(m_display, dialog, &attributes);
    const int screenWidth = DisplayWidth(m_display, m_screen), screenHeight = DisplayHeight(m_display, m_screen);
    const int x = std::clamp<int>((owner.left + owner.right - attributes.width) / 2, 0,
                                  std::max(0, screenWidth - attributes.width));
    const int y = std::clamp<int>((owner.top + owner.bottom - attributes.height) / 2, 0,
                                  std::max(0, screenHeight - attributes.height));
    XMoveWindow(m_display, dialog, x, y);
    XRaiseWindow(m_display, dialog);
    m_focusRequest = NextRequest(m_display);
    XSetInputFocus(m_display, dialog, RevertToParent, CurrentTime);
}

bool X11Backend::TendForeignDialog(Window& owner, long pid)
{
    std::lock_guard guard(m_x);
    auto* native = static_cast<NativeWindow*>(owner.native);
    if (!native)
        return true;
    const ::Window dialog = FindForeignDialog(native->xid, pid);
    if (!dialog)
        return false;
    // Some dialogs (zenity's file chooser) ignore the owner they are given: attach them here.
    if (::Window transientFor = 0; !XGetTransientForHint(m_display, dialog, &transientFor) || transientFor != native->xid)
        XSetTransientForHint(m_display, dialog, native->xid);
    m_foreignDialog = m_foreignTop = dialog;
    for (::Window parent = 0;; m_foreignTop = parent) {
        ::Window root = 0, *children = nullptr;
        unsigned int childCount = 0;
        if (!XQueryTree(m_display, m_foreignTop, &root, &parent, &children, &childCount) || parent == 0)
            break;
        if (children)
            XFree(children);
        if (parent == m_root)
            break;
    }
    if (m_foreignTop == dialog) {
        PlaceForeignDialog(dialog, owner.rect);
    } else {
        // The window manager keeps a dialog above the window it is attached to; ask it for the
        // focus as the user would (source 2: a pager, not subject to focus-stealing rules).
        SendClientMessage(m_display, m_root, dialog, AtomOf("_NET_ACTIVE_WINDOW"),
                          { 2, CurrentTime, static_cast<long>(native->xid), 0, 0 },
                          SubstructureRedirectMask | SubstructureNotifyMask);
        KeepBelowForeignDialog();
    }
    XFlush(m_display);
    return true;
}

std::string X11Backend::TitleOf(::Window xid)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(m_display, xid, AtomOf("_NET_WM_NAME"), 0, 4096, False, AtomOf("UTF8_STRING"), &type, &format,
                           &count, &after, &data) == Success && data && format == 8) {
        title.assign(reinterpret_cast<const char*>(data), count);
    } else if (char* name = nullptr; XFetchName(m_display, xid, &name) && name) {
        title = name;
        XFree(name);
    }
    if (data)
        XFree(data);
    return title;
}

unsigned long X11Backend::FindForeignWindow(const std::wstring& className, const std::wstring& title)
{
    std::lock_guard guard(m_x);
    const std::string wantedClass = WideToUtf8(className), wantedTitle = WideToUtf8(title);
    for (::Window candidate : OtherTopLevels()) {
        XClassHint hint {};
        if (!XGetClassHint(m_display, candidate, &hint))
            continue;
        const bool classOk = hint.res_class && strcasecmp(hint.res_class, wantedClass.c_str()) == 0;
        XFree(hint.res_name);
        XFree(hint.res_class);
        if (classOk && TitleOf(candidate) == wantedTitle)
            return candidate;
    }
    return 0;
}

bool X11Backend::ForeignIsIconic(unsigned long id)
{
    std::lock_guard guard(m_x);
    return CardinalOf(id, "_QUILL_MINIMIZED") == 1;
}

// Requests to another program's window travel as a client message to the program that made it:
// 0 and a show command, or 1 and a message number.
bool X11Backend::ShowForeignWindow(unsigned long id, int cmd)
{
    std::lock_guard guard(m_x);
    SendClientMessage(m_display, id, id, AtomOf("_QUILL_REMOTE"), { 0, cmd, 0, 0, 0 });
    return true;
}

bool X11Backend::PostToForeignWindow(unsigned long id, UINT msg)
{
    std::lock_guard guard(m_x);
    SendClientMessage(m_display, id, id, AtomOf("_QUILL_REMOTE"), { 1, static_cast<long>(msg), 0, 0, 0 });
    return true;
}

void X11Backend::HandleRemoteRequest(const XClientMessageEvent& message, HWND hwnd, std::vector<std::function<void()>>& reports)
{
    const long kind = message.data.l[0], value = message.data.l[1];
    if (kind == 1 && value >= static_cast<long>(WM_USER) && value <= 0x7FFF) {
        reports.push_back([hwnd, value] { PostMessage(hwnd, static_cast<UINT>(value), 0, 0); });
        return;
    }
    if (kind != 0)
        return;
    // Shown or not, the window stays; only minimising and restoring change it.
    if (value == SW_RESTORE || value == SW_SHOWNORMAL)
        reports.push_back([hwnd] { WindowManager::Get().DeliverIconic(hwnd, false); });
    else if (value == SW_MINIMIZE || value == SW_SHOWMINIMIZED || value == SW_SHOWMINNOACTIVE)
        reports.push_back([hwnd] { WindowManager::Get().DeliverIconic(hwnd, true); });
}

void X11Backend::ForeignDialogEnded()
{
    std::lock_guard guard(m_x);
    m_foreignDialog = m_foreignTop = 0;
}

void X11Backend::ShowProgramIcon(::Window xid)
{
    if (m_programIcon.empty())
        XDeleteProperty(m_display, xid, AtomOf("_NET_WM_ICON"));
    else
        XChangeProperty(m_display, xid, AtomOf("_NET_WM_ICON"), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(m_programIcon.data()), static_cast<int>(m_programIcon.size()));
}

void X11Backend::SetProgramIcon(const std::vector<unsigned long>& pixels)
{
    std::lock_guard guard(m_x);
    if (pixels == m_programIcon)
        return;
    m_programIcon = pixels;
    for (const auto& [xid, native] : m_byXid)
        ShowProgramIcon(xid);
    XFlush(m_display);
}

bool X11Backend::WarpPointer(POINT point)
{
    std::lock_guard guard(m_x);
    XWarpPointer(m_display, None, m_root, 0, 0, 0, 0, point.x, point.y);
    XFlush(m_display);
    return true;
}

void X11Backend::AnswerSelection(const XSelectionRequestEvent& request)
{
    Atom answered = None;
    const Atom utf8 = AtomOf("UTF8_STRING"), targets = AtomOf("TARGETS");
    if (request.target == targets) {
        Atom offered[] = { targets, utf8, XA_STRING };
        XChangeProperty(m_display, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(offered), 3);
        answered = request.property;
    } else if (request.target == utf8 || request.target == XA_STRING) {
        const std::string text = WideToUtf8(m_clipText);
        XChangeProperty(m_display, request.requestor, request.property, request.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
        answered = request.property;
    }
    SendSelectionNotify(m_display, request, answered);
}

void X11Backend::HandleKey(XKeyEvent& event, NativeWindow* native, std::vector<std::function<void()>>& reports)
{
    KeySym sym = 0;
    char buffer[64] {};
    int length = 0;
    Status status = 0;
    if (event.type == KeyPress && native->ic)
        length = Xutf8LookupString(native->ic, &event, buffer, sizeof(buffer) - 1, &sym, &status);
    else
        length = XLookupString(&event, buffer, sizeof(buffer) - 1, &sym, nullptr);
    const std::wstring text = length > 0 ? Utf8ToWide(std::string(buffer, static_cast<size_t>(length))) : std::wstring();
    const int vk = VirtualKeyOf(sym);
    RawInput input;
    if (vk == 0 && event.type == KeyPress && !text.empty()) {
        input.kind = RawInput::Text;  // an input method's committed text
        input.text = text;
    } else if (vk != 0) {
        input.kind = event.type == KeyPress ? RawInput::KeyDown : RawInput::KeyUp;
        input.vk = vk;
        // Control characters come from the key itself (Return, Tab, Backspace, Escape, Ctrl+letter).
        input.text = event.type == KeyPress ? text : std::wstring();
    } else {
        return;
    }
    reports.push_back([input] { WindowManager::Get().DeliverInput(input); });
}

void X11Backend::Handle(XEvent& event, std::vector<std::function<void()>>& reports)
{
    if (event.type == SelectionRequest) {
        if (!m_dragSource->OnSelectionRequest(event.xselectionrequest))
            AnswerSelection(event.xselectionrequest);
        return;
    }
    if (event.type == ClientMessage && m_dragSource->OnClientMessage(event.xclient))
        return;
    if (event.type == DestroyNotify)
        m_dragSource->OnDestroyed(event.xdestroywindow.window);
    if (event.type == SelectionNotify && event.xselection.requestor == m_helper) {
        m_selectionGot = false;
        if (event.xselection.property != None) {
            Atom type = 0;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(m_display, m_helper, event.xselection.property, 0, 1 << 22, True, AnyPropertyType, &type,
                                   &format, &count, &after, &data) == Success && data) {
                m_selectionText = Utf8ToWide(std::string(reinterpret_cast<char*>(data), count));
                m_selectionGot = true;
            }
            if (data)
                XFree(data);
        }
        m_selectionWaiting = false;
        m_selectionDone.notify_all();
        return;
    }
    if (event.type == SelectionNotify) {
        std::shared_ptr<const DroppedData> dropped;
        POINT at {};
        if (m_xdnd.OnSelection(event.xselection, dropped, at) && dropped) {
            if (NativeWindow* native = NativeOf(event.xselection.requestor)) {
                const HWND hwnd = native->hwnd;
                reports.push_back([hwnd, at, dropped] { WindowManager::Get().DeliverDropped(hwnd, at, dropped); });
            }
        }
        return;
    }
    if (event.type == SelectionClear) {
        m_ownClipboard = false;
        return;
    }
    if (event.xany.window == m_root && event.type == ButtonPress && event.xbutton.button <= Button3) {
        // Outside every window of ours, reported only while a popup holds the grab.
        RawInput input;
        input.kind = RawInput::ButtonDown;
        input.screen = { event.xbutton.x_root, event.xbutton.y_root };
        input.button = event.xbutton.button == Button1 ? 0 : event.xbutton.button == Button3 ? 1 : 2;
        reports.push_back([input] { WindowManager::Get().DeliverInput(input); });
        return;
    }
    NativeWindow* native = NativeOf(event.xany.window);
    if (!native)
        return;
    const HWND hwnd = native->hwnd;
    switch (event.type) {
    case MotionNotify: {
        RawInput input;
        input.kind = RawInput::MouseMove;
        input.screen = { event.xmotion.x_root, event.xmotion.y_root };
        reports.push_back([input] { WindowManager::Get().DeliverInput(input); });
        break;
    }
    case ButtonPress:
    case ButtonRelease: {
        const unsigned button = event.xbutton.button;
        RawInput input;
        input.screen = { event.xbutton.x_root, event.xbutton.y_root };
        if (button == Button4 || button == Button5) {
            if (event.type == ButtonRelease)
                break;
            input.kind = RawInput::Wheel;
            input.delta = button == Button4 ? WHEEL_DELTA : -WHEEL_DELTA;
        } else if (button <= Button3) {
            input.kind = event.type == ButtonPress ? RawInput::ButtonDown : RawInput::ButtonUp;
            input.button = button == Button1 ? 0 : button == Button3 ? 1 : 2;
        } else {
            break;
        }
        reports.push_back([input] { WindowManager::Get().DeliverInput(input); });
        break;
    }
    case LeaveNotify:
        if (event.xcrossing.mode == NotifyNormal && event.xcrossing.detail != NotifyInferior) {
            RawInput input;
            input.kind = RawInput::MouseLeft;
            reports.push_back([input] { WindowManager::Get().DeliverInput(input); });
        }
        break;
    case KeyPress:
    case KeyRelease:
        HandleKey(event.xkey, native, reports);
        break;
    case Expose: {
        const RECT area { event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                          event.xexpose.y + event.xexpose.height };
        // The back buffer already holds the picture: show it again without asking the program.
        reports.push_back([hwnd, area] {
            WindowManager& wm = WindowManager::Get();
            std::lock_guard guard(wm.lock);
            PresentLocked(wm, wm.Find(hwnd), area);
        });
        break;
    }
    case ConfigureNotify: {
        if (native->overrideRedirect)
            break;
        int x = event.xconfigure.x, y = event.xconfigure.y;
        ::Window child = 0;
        if (native->framed && !event.xconfigure.send_event)
            XTranslateCoordinates(m_display, native->xid, m_root, 0, 0, &x, &y, &child);
        const RECT rect { x, y, x + event.xconfigure.width, y + event.xconfigure.height };
        if (IsEchoOfRequest(*native, rect) || EqualRect(&rect, &native->rect))
            break;
        native->rect = rect;
        reports.push_back([hwnd, rect] { WindowManager::Get().DeliverGeometry(hwnd, rect); });
        break;
    }
    case ReparentNotify:
        native->framed = event.xreparent.parent != m_root;
        break;
    case MapNotify:
    case UnmapNotify: {
        // Maps and unmaps we did not ask for are the desktop's minimise and restore.
        const bool mapped = event.type == MapNotify;
        if (native->ownMapChanges > 0) {
            --native->ownMapChanges;
            break;
        }
        if (native->overrideRedirect || mapped == native->mapped)
            break;
        native->mapped = mapped;
        reports.push_back([hwnd, mapped] { WindowManager::Get().DeliverIconic(hwnd, !mapped); });
        break;
    }
    case ClientMessage:
        if (m_xdnd.OnClientMessage(event.xclient))
            break;
        if (event.xclient.message_type == AtomOf("_QUILL_REMOTE")) {
            HandleRemoteRequest(event.xclient, hwnd, reports);
            break;
        }
        if (static_cast<Atom>(event.xclient.data.l[0]) == AtomOf("WM_DELETE_WINDOW"))
            reports.push_back([hwnd] { WindowManager::Get().DeliverClose(hwnd); });
        break;
    case FocusIn:
    case FocusOut:
        // A report older than our own last focus request would take the focus back from where we
        // just put it, and the two would chase each other for ever.
        if (event.xfocus.serial < m_focusRequest)
            break;
        if (event.xfocus.mode == NotifyNormal || event.xfocus.mode == NotifyWhileGrabbed) {
            const bool on = event.type == FocusIn;
            if (native->ic)
                on && !native->inputMethodOff ? XSetICFocus(native->ic) : XUnsetICFocus(native->ic);
            reports.push_back([hwnd, on] { WindowManager::Get().DeliverActivation(hwnd, on); });
        }
        break;
    default:
        break;
    }
}

void X11Backend::EventLoop()
{
    const int fd = ConnectionNumber(m_display);
    for (;;) {
        pollfd wait { fd, POLLIN, 0 };
        poll(&wait, 1, 100);
        std::vector<std::function<void()>> reports;
        {
            std::lock_guard guard(m_x);
            while (XPending(m_display)) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (XFilterEvent(&event, None))
                    continue;  // the input method took it
                Handle(event, reports);
            }
        }
        for (auto& report : reports)
            report();
    }
}

}  // namespace

std::unique_ptr<Backend> CreateX11Backend()
{
    XInitThreads();
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    return std::make_unique<X11Backend>(display);
}

}  // namespace platform
