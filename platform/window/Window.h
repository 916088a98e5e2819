#pragma once
// The window manager's records of window classes and windows. Every field is read and written
// under the window manager's lock (WindowManager::Lock); window procedures are always called
// with the lock released.

#include "platform/WinUser.h"
#include "platform/window/BackBuffer.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class MessageQueue;

struct WindowClass {
    std::wstring name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int classExtra = 0;
    int windowExtra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    ATOM atom = 0;
    bool system = false;  // registered without an instance: found from any module
};

enum class LayerMode { None, ConstantAlpha, PerPixel };

struct Window {
    HWND handle = nullptr;
    std::shared_ptr<WindowClass> cls;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::wstring title;
    Window* parent = nullptr;  // null for top-level and message-only windows
    Window* owner = nullptr;
    bool messageOnly = false;
    std::vector<Window*> children;  // z-order, top first
    RECT rect {};                   // in the parent's client coordinates (screen for top-level)
    RECT normalRect {};             // the rectangle to restore to from minimised or maximised
    HINSTANCE instance = nullptr;
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    std::vector<BYTE> extra;
    std::map<std::wstring, HANDLE> props;
    DWORD threadId = 0;
    std::shared_ptr<MessageQueue> queue;
    bool visible = false;  // the WS_VISIBLE bit, kept in sync with style
    bool destroying = false;
    bool destroyed = false;
    bool inputMethodOff = false;  // its input context taken away (ImmAssociateContext with null)
    HICON icons[2] {};            // small and big (WM_SETICON), top-level windows only

    RECT update {};  // pending invalid rectangle (client coordinates); empty: nothing to paint
    bool erase = false;

    // Top-level windows only.
    std::unique_ptr<BackBuffer> buffer;
    LayerMode layer = LayerMode::None;
    BYTE constantAlpha = 255;
    HRGN region = nullptr;
    void* native = nullptr;  // the backend's record

    int Width() const { return rect.right - rect.left; }
    int Height() const { return rect.bottom - rect.top; }
    bool IsChild() const { return parent != nullptr; }
};

}  // namespace platform
