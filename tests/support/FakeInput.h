#pragma once
// Real pointer and key input through the XTEST extension, loaded at run time so the tests build
// without its headers, and a message pump that waits for what a test expects. For the window side
// of an X11 test (see XvfbSession.h); include after support/XvfbSession.h.

#include <dlfcn.h>

#include <chrono>

namespace xvfbtest {

struct FakeInput {
    using Motion = int (*)(Display*, int, int, int, unsigned long);
    using Button = int (*)(Display*, unsigned int, int, unsigned long);
    using Key = int (*)(Display*, unsigned int, int, unsigned long);
    void* library = dlopen("libXtst.so.6", RTLD_NOW);
    Motion motion = library ? reinterpret_cast<Motion>(dlsym(library, "XTestFakeMotionEvent")) : nullptr;
    Button button = library ? reinterpret_cast<Button>(dlsym(library, "XTestFakeButtonEvent")) : nullptr;
    Key key = library ? reinterpret_cast<Key>(dlsym(library, "XTestFakeKeyEvent")) : nullptr;
    Display* display = XOpenDisplay(nullptr);

    FakeInput() = default;
    FakeInput(const FakeInput&) = delete;
    FakeInput& operator=(const FakeInput&) = delete;
    ~FakeInput()
    {
        if (display)
            XCloseDisplay(display);
        if (library)
            dlclose(library);
    }

    bool Usable() const { return motion && button && key && display; }
    // Pointer moves and left-button presses at screen coordinates.
    void MoveTo(POINT screen)
    {
        motion(display, -1, screen.x, screen.y, 0);
        XFlush(display);
    }
    void Press(bool down)
    {
        button(display, 1, down ? 1 : 0, 0);
        XFlush(display);
    }
    void Click(POINT screen)
    {
        MoveTo(screen);
        Press(true);
        Press(false);
    }
    void Type(KeySym sym)
    {
        const unsigned int code = XKeysymToKeycode(display, sym);
        key(display, code, 1, 0);
        key(display, code, 0, 0);
        XFlush(display);
    }
    void Type(const char* keysymName) { Type(XStringToKeysym(keysymName)); }
};

// Pumps this thread's messages until done() holds or the time is up (a loaded machine shows
// windows late); false when the time ran out.
template <class Done>
bool PumpUntil(Done done, int ms = 30000)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    MSG msg;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= until)
            return false;
        while (::PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessage(&msg);
        }
        ::MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    return true;
}

}  // namespace xvfbtest
