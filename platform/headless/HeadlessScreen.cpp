#include "platform/headless/HeadlessScreen.h"

#include "platform/headless/HeadlessBackend.h"
#include "platform/window/DragDrop.h"
#include "platform/window/UserInternal.h"

#include <cwctype>
#include <mutex>

namespace platform::headless {

namespace {

std::mutex g_boxLock;
int g_boxAnswer = 0;
std::wstring g_boxText;

void Deliver(RawInput::Kind kind, int x, int y, int button = 0, int delta = 0)
{
    RawInput input;
    input.kind = kind;
    input.screen = { x, y };
    input.button = button;
    input.delta = delta;
    WindowManager::Get().DeliverInput(input);
}

// The keys as the injected input leaves them, ahead of the queue: the text of a key depends on
// the modifiers injected before it, whether or not those were taken from the queue yet.
BYTE g_injected[256] {};

bool Down(int vk) { return g_injected[vk & 0xFF] & 0x80; }

void Note(int vk, bool down)
{
    BYTE& state = g_injected[vk & 0xFF];
    if (down && !(state & 0x80))
        state ^= 1;
    state = static_cast<BYTE>(down ? (state | 0x80) : (state & ~0x80));
    if (vk == VK_LSHIFT || vk == VK_RSHIFT)
        Note(VK_SHIFT, down);
    if (vk == VK_LCONTROL || vk == VK_RCONTROL)
        Note(VK_CONTROL, down);
    if (vk == VK_LMENU || vk == VK_RMENU)
        Note(VK_MENU, down);
}

std::wstring DefaultText(int vk)
{
    if (vk >= 'A' && vk <= 'Z') {
        if (Down(VK_CONTROL) && !Down(VK_MENU))
            return std::wstring(1, static_cast<wchar_t>(vk - 'A' + 1));
        const bool upper = Down(VK_SHIFT) != static_cast<bool>(g_injected[VK_CAPITAL] & 1);
        return std::wstring(1, static_cast<wchar_t>(upper ? vk : std::towlower(static_cast<wint_t>(vk))));
    }
    if (vk >= '0' && vk <= '9' && !Down(VK_SHIFT))
        return std::wstring(1, static_cast<wchar_t>(vk));
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return std::wstring(1, static_cast<wchar_t>('0' + vk - VK_NUMPAD0));
    switch (vk) {
    case VK_SPACE: return L" ";
    case VK_RETURN: return L"\r";
    case VK_BACK: return L"\b";
    case VK_TAB: return L"\t";
    case VK_ESCAPE: return L"\x1B";
    case VK_OEM_PERIOD: case VK_DECIMAL: return L".";
    default: return L"";
    }
}

}  // namespace

bool Use() { return WindowManager::UseHeadless(); }

void SetMonitors(const std::vector<RECT>& monitors, int taskbar)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    const std::vector<MonitorDesc> before = wm.Monitors();
    wm.monitorOverride.clear();
    for (size_t i = 0; i < monitors.size(); ++i) {
        RECT work = monitors[i];
        work.bottom -= taskbar;
        wm.monitorOverride.push_back({ monitors[i], work, i < before.size() ? before[i].dpi : 96 });
    }
}

void SetMonitorDpi(UINT dpi, int monitor)
{
    WindowManager& wm = WindowManager::Get();
    struct Change {
        HWND hwnd;
        RECT suggested;
    };
    std::vector<Change> changes;
    {
        std::lock_guard guard(wm.lock);
        if (wm.monitorOverride.empty())
            wm.monitorOverride = wm.Monitors();
        if (monitor < 0 || monitor >= static_cast<int>(wm.monitorOverride.size()))
            return;
        MonitorDesc& desc = wm.monitorOverride[static_cast<size_t>(monitor)];
        const UINT old = desc.dpi;
        desc.dpi = dpi;
        for (Window* window : wm.topLevels) {
            if (wm.MonitorIndexOfRect(window->rect, true) != monitor)
                continue;
            RECT r = window->rect;
            r.right = r.left + static_cast<LONG>(static_cast<long long>(window->Width()) * dpi / (old ? old : 96));
            r.bottom = r.top + static_cast<LONG>(static_cast<long long>(window->Height()) * dpi / (old ? old : 96));
            changes.push_back({ window->handle, r });
        }
    }
    for (Change& change : changes)
        SendMessage(change.hwnd, WM_DPICHANGED, MAKEWPARAM(static_cast<WORD>(dpi), static_cast<WORD>(dpi)),
                    reinterpret_cast<LPARAM>(&change.suggested));
}

void MoveMouse(int x, int y) { Deliver(RawInput::MouseMove, x, y); }
void PressButton(Button button, int x, int y) { Deliver(RawInput::ButtonDown, x, y, button); }
void ReleaseButton(Button button, int x, int y) { Deliver(RawInput::ButtonUp, x, y, button); }

void Click(int x, int y, Button button)
{
    MoveMouse(x, y);
    PressButton(button, x, y);
    ReleaseButton(button, x, y);
}

void Wheel(int delta, int x, int y) { Deliver(RawInput::Wheel, x, y, 0, delta); }

void LeaveScreen()
{
    RawInput input;
    input.kind = RawInput::MouseLeft;
    input.screen = { -1, -1 };
    WindowManager& wm = WindowManager::Get();
    {
        std::lock_guard guard(wm.lock);
        wm.cursor = { -1, -1 };
    }
    wm.DeliverInput(input);
}

void KeyDown(int vk) { KeyDown(vk, DefaultText(vk)); }

void KeyDown(int vk, const std::wstring& text)
{
    Note(vk, true);
    RawInput input;
    input.kind = RawInput::KeyDown;
    input.vk = vk;
    input.text = text;
    WindowManager::Get().DeliverInput(input);
}

void KeyUp(int vk)
{
    Note(vk, false);
    RawInput input;
    input.kind = RawInput::KeyUp;
    input.vk = vk;
    WindowManager::Get().DeliverInput(input);
}

void PressKey(int vk)
{
    KeyDown(vk);
    KeyUp(vk);
}

void CommitText(const std::wstring& text)
{
    RawInput input;
    input.kind = RawInput::Text;
    input.text = text;
    WindowManager::Get().DeliverInput(input);
}

void RequestClose(HWND hwnd) { WindowManager::Get().DeliverClose(hwnd); }

void Advance(unsigned ms) { WindowManager::Get().Advance(ms); }

void HoldClock(bool hold) { WindowManager::Get().Hold(hold); }

void DropFiles(int x, int y, const std::vector<std::wstring>& files, DWORD keyState)
{
    platform::DroppedData data;
    data.files = files;
    platform::DeliverDrop(POINT { x, y }, keyState, data);
}

void DropBmp(int x, int y, const std::vector<BYTE>& bmpFile, DWORD keyState)
{
    platform::DroppedData data;
    data.bmp = bmpFile;
    platform::DeliverDrop(POINT { x, y }, keyState, data);
}

int PumpMessages()
{
    // A procedure that never validates its window would be painted for ever: stop somewhere.
    constexpr int kLimit = 100000;
    int count = 0;
    MSG msg;
    while (count < kLimit && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
        ++count;
    }
    return count;
}

uint32_t PixelAt(int x, int y)
{
    const std::vector<uint32_t> one = Capture({ x, y, x + 1, y + 1 });
    return one.empty() ? 0 : one.front();
}

std::vector<uint32_t> Capture(const RECT& area)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    const CairoPtr<cairo_surface_t> owned = ComposeHeadlessScreen(wm);
    cairo_surface_t* screen = owned.get();
    const int width = cairo_image_surface_get_width(screen), height = cairo_image_surface_get_height(screen);
    const int stride = cairo_image_surface_get_stride(screen);
    const unsigned char* data = cairo_image_surface_get_data(screen);
    std::vector<uint32_t> out;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            out.push_back(x >= 0 && y >= 0 && x < width && y < height
                              ? *reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride + x * 4)
                              : 0);
    return out;
}

bool SavePng(const std::string& path)
{
    WindowManager& wm = WindowManager::Get();
    std::lock_guard guard(wm.lock);
    return cairo_surface_write_to_png(ComposeHeadlessScreen(wm).get(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

void SetMessageBoxAnswer(int answer)
{
    std::lock_guard guard(g_boxLock);
    g_boxAnswer = answer;
}

std::wstring LastMessageBoxText()
{
    std::lock_guard guard(g_boxLock);
    return g_boxText;
}

// Used by MessageBox on the headless display.
int AnswerMessageBox(const std::wstring& text)
{
    std::lock_guard guard(g_boxLock);
    g_boxText = text;
    return g_boxAnswer;
}

}  // namespace platform::headless
