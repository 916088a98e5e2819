#include "media/PlayerOutputWindow.h"

#include "platform/WinGdi.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace PlayerOutputWindow {
namespace {

constexpr wchar_t kAttachmentProp[] = L"QuillPlayerOutput";
constexpr wchar_t kDialogClass[] = L"#32770";

struct Attachment {
    WNDPROC original { nullptr };
    std::shared_ptr<VideoFrameStore> store;
};

Attachment* AttachmentOf(HWND hwnd)
{
    return static_cast<Attachment*>(GetProp(hwnd, kAttachmentProp));
}

void Paint(HWND hwnd, const Attachment& attachment)
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT client {};
    GetClientRect(hwnd, &client);
    const auto frame = attachment.store->Latest();
    PaintFrame(hdc, client, frame.get(), attachment.store->DisplayAspect());
    EndPaint(hwnd, &ps);
}

LRESULT OutputProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Attachment* attachment = AttachmentOf(hwnd);
    if (!attachment)
        return DefWindowProc(hwnd, msg, wParam, lParam);
    const WNDPROC original = attachment->original;
    switch (msg) {
    case WM_PAINT:
        Paint(hwnd, *attachment);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers every pixel
    case WM_NCDESTROY:
        RemoveProp(hwnd, kAttachmentProp);
        SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        delete attachment;
        break;
    default:
        break;
    }
    return original ? CallWindowProc(original, hwnd, msg, wParam, lParam) : DefWindowProc(hwnd, msg, wParam, lParam);
}

void FillBlack(HDC hdc, const RECT& area)
{
    if (area.right <= area.left || area.bottom <= area.top)
        return;
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    FillRect(hdc, &area, black);
    DeleteObject(black);
}

// Black outside `picture` within `client`.
void FillBars(HDC hdc, const RECT& client, const RECT& picture)
{
    FillBlack(hdc, { client.left, client.top, client.right, picture.top });
    FillBlack(hdc, { client.left, picture.bottom, client.right, client.bottom });
    FillBlack(hdc, { client.left, picture.top, picture.left, picture.bottom });
    FillBlack(hdc, { picture.right, picture.top, client.right, picture.bottom });
}

void DrawPicture(HDC hdc, const RECT& picture, const VideoFrame& frame)
{
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = frame.width;
    info.bmiHeader.biHeight = -frame.height;  // top down, as the frame
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(hdc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap)
            DeleteObject(bitmap);
        FillBlack(hdc, picture);
        return;
    }
    std::memcpy(bits, frame.pixels.data(), frame.pixels.size() * sizeof(uint32_t));
    HDC memory = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const int width = picture.right - picture.left, height = picture.bottom - picture.top;
    if (width == frame.width && height == frame.height) {
        BitBlt(hdc, picture.left, picture.top, width, height, memory, 0, 0, SRCCOPY);
    } else {
        const int oldMode = SetStretchBltMode(hdc, HALFTONE);
        StretchBlt(hdc, picture.left, picture.top, width, height, memory, 0, 0, frame.width, frame.height, SRCCOPY);
        SetStretchBltMode(hdc, oldMode);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

}  // namespace

HWND Create(HWND parent)
{
    WNDCLASSEXW wc {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProc;
    wc.lpszClassName = kDialogClass;
    RegisterClassEx(&wc);  // the platform may know the dialog class already: then this is a no-op
    return CreateWindowEx(0, kDialogClass, L"WndMediaDisplay", WS_CHILD, 0, 0, 0, 0, parent, nullptr, nullptr, nullptr);
}

bool Attach(HWND hwnd, std::shared_ptr<VideoFrameStore> store)
{
    if (!IsWindow(hwnd) || !store)
        return false;
    store->SetWindow(hwnd);
    if (Attachment* attachment = AttachmentOf(hwnd)) {
        attachment->store = std::move(store);
        InvalidateRect(hwnd, nullptr, FALSE);
        return true;
    }
    auto* attachment = new Attachment { nullptr, std::move(store) };
    SetProp(hwnd, kAttachmentProp, attachment);
    attachment->original = reinterpret_cast<WNDPROC>(SetWindowLongPtr(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OutputProc)));
    InvalidateRect(hwnd, nullptr, FALSE);
    return true;
}

RECT FitRect(const RECT& client, double pictureAspect)
{
    const int width = client.right - client.left, height = client.bottom - client.top;
    if (width <= 0 || height <= 0 || !(pictureAspect > 0))
        return client;
    int fitWidth = width, fitHeight = static_cast<int>(std::lround(width / pictureAspect));
    if (fitHeight > height) {
        fitHeight = height;
        fitWidth = static_cast<int>(std::lround(height * pictureAspect));
    }
    fitWidth = std::clamp(fitWidth, 1, width);
    fitHeight = std::clamp(fitHeight, 1, height);
    const int left = client.left + (width - fitWidth) / 2, top = client.top + (height - fitHeight) / 2;
    return { left, top, left + fitWidth, top + fitHeight };
}

void PaintFrame(HDC hdc, const RECT& client, const VideoFrame* frame, double aspect)
{
    if (!frame || frame->width <= 0 || frame->height <= 0
        || frame->pixels.size() != static_cast<size_t>(frame->width) * frame->height) {
        FillBlack(hdc, client);
        return;
    }
    const double shape = aspect > 0 ? aspect : frame->aspect > 0 ? frame->aspect : static_cast<double>(frame->width) / frame->height;
    const RECT picture = FitRect(client, shape);
    FillBars(hdc, client, picture);
    DrawPicture(hdc, picture, *frame);
}

}  // namespace PlayerOutputWindow
