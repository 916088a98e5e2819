// A window of the platform layer by hand: shapes, an image with alpha, Chinese text, and what the
// mouse and keyboard do to it. Runs on X11 (close the window or press Esc to end), or headless:
//   PlatformDemo                      on the X display in DISPLAY
//   PlatformDemo --headless out.png   scripted clicks and typing, then the screen saved as PNG

#include "platform/WinGdi.h"
#include "platform/WinUser.h"
#include "platform/headless/HeadlessScreen.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct DemoState {
    std::vector<POINT> clicks;
    POINT mouse { -1, -1 };
    std::wstring typed;
    HBITMAP image = nullptr;
    HDC imageDC = nullptr;
};
DemoState g_state;

// A 96x96 picture with per-pixel alpha: a colour wheel fading out towards its edge.
void MakeImage()
{
    BITMAPINFO info {};
    info.bmiHeader = { sizeof(BITMAPINFOHEADER), 96, -96, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
    void* bits = nullptr;
    g_state.imageDC = CreateCompatibleDC(nullptr);
    g_state.image = CreateDIBSection(g_state.imageDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!g_state.image)
        return;
    auto* pixels = static_cast<uint32_t*>(bits);
    for (int y = 0; y < 96; ++y) {
        for (int x = 0; x < 96; ++x) {
            const int dx = x - 48, dy = y - 48, d2 = dx * dx + dy * dy;
            const uint32_t a = d2 >= 48 * 48 ? 0 : 255 - static_cast<uint32_t>(d2 * 255 / (48 * 48));
            const uint32_t r = (x * 255 / 95) * a / 255, g = (y * 255 / 95) * a / 255, b = 160 * a / 255;
            pixels[y * 96 + x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    SelectObject(g_state.imageDC, g_state.image);
}

void Paint(HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH background = CreateSolidBrush(RGB(245, 245, 240));
    FillRect(dc, &client, background);
    DeleteObject(background);

    HBRUSH blue = CreateSolidBrush(RGB(40, 110, 200));
    HPEN outline = CreatePen(PS_SOLID, 2, RGB(20, 20, 20));
    HGDIOBJ oldBrush = SelectObject(dc, blue);
    HGDIOBJ oldPen = SelectObject(dc, outline);
    RoundRect(dc, 20, 20, 180, 110, 24, 24);
    Ellipse(dc, 200, 20, 300, 110);
    MoveToEx(dc, 320, 20, nullptr);
    LineTo(dc, 420, 110);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(blue);
    DeleteObject(outline);

    if (g_state.imageDC)
        AlphaBlend(dc, 440, 16, 96, 96, g_state.imageDC, 0, 0, 96, 96, { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA });

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(30, 30, 30));
    RECT title { 20, 130, client.right - 20, 170 };
    DrawText(dc, L"你好，Quillmoor！平台层演示", -1, &title, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    wchar_t line[160];
    swprintf(line, 160, L"鼠标 (%ld, %ld)   点击 %zu 次", static_cast<long>(g_state.mouse.x), static_cast<long>(g_state.mouse.y),
             g_state.clicks.size());
    RECT status { 20, 175, client.right - 20, 200 };
    DrawText(dc, line, -1, &status, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS);
    const std::wstring typed = L"输入：" + g_state.typed;
    RECT typing { 20, 205, client.right - 20, 260 };
    DrawText(dc, typed.c_str(), -1, &typing, DT_LEFT | DT_WORDBREAK);

    HBRUSH dot = CreateSolidBrush(RGB(220, 60, 40));
    for (const POINT& p : g_state.clicks) {
        RECT r { p.x - 5, p.y - 5, p.x + 5, p.y + 5 };
        FillRect(dc, &r, dot);
    }
    DeleteObject(dot);
    EndPaint(hwnd, &ps);
}

LRESULT DemoProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_MOUSEMOVE:
        g_state.mouse = { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        g_state.clicks.push_back({ GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) });
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            DestroyWindow(hwnd);
        return 0;
    case WM_CHAR:
        if (wParam == VK_BACK && !g_state.typed.empty())
            g_state.typed.pop_back();
        else if (wParam >= 0x20)
            g_state.typed += static_cast<wchar_t>(wParam);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

HWND CreateDemoWindow()
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DemoProc;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = L"PlatformDemoWnd";
    if (!RegisterClassEx(&wc))
        return nullptr;
    return CreateWindowEx(0, L"PlatformDemoWnd", L"Quillmoor platform demo", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                          640, 300, nullptr, nullptr, nullptr, nullptr);
}

int RunHeadless(const char* out)
{
    namespace hl = platform::headless;
    HWND hwnd = CreateDemoWindow();
    if (!hwnd) {
        std::fprintf(stderr, "PlatformDemo: the window could not be created\n");
        return 1;
    }
    hl::PumpMessages();
    hl::Click(100 + 60, 100 + 240);
    hl::Click(100 + 500, 100 + 250);
    for (int vk : { 'Q', 'U', 'I', 'L', 'L' })
        hl::PressKey(vk);
    hl::CommitText(L"中文输入");
    hl::MoveMouse(100 + 320, 100 + 150);
    hl::PumpMessages();
    if (!hl::SavePng(out)) {
        std::fprintf(stderr, "PlatformDemo: cannot write %s\n", out);
        return 1;
    }
    std::printf("PlatformDemo: screen saved to %s\n", out);
    DestroyWindow(hwnd);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool headless = argc >= 2 && std::strcmp(argv[1], "--headless") == 0;
    if (headless && argc < 3) {
        std::fprintf(stderr, "usage: PlatformDemo [--headless out.png]\n");
        return 2;
    }
    if (headless)
        platform::headless::Use();
    MakeImage();
    if (headless)
        return RunHeadless(argv[2]);
    if (!CreateDemoWindow()) {
        std::fprintf(stderr, "PlatformDemo: the window could not be created\n");
        return 1;
    }
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    return static_cast<int>(msg.wParam);
}
