#pragma once
// The player's output window: a platform child window that shows the latest decoded frame of its
// player, scaled to the window with the picture's shape kept and black around it.
//
// Any child window can become one: Attach subclasses it (on the window's own thread) so that its
// paint draws the frames of the given store; the rest of its messages go to its own procedure.
// The attachment lives until the window is destroyed or attached again, and holds the store, so
// the window may outlive its player.

#include "media/VideoFrameStore.h"
#include "platform/WinUser.h"

#include <memory>

namespace PlayerOutputWindow {

// Makes the hidden video child window that a page's player is bound to: dialog class "#32770",
// title "WndMediaDisplay", WS_CHILD, at 0,0 with no size. Null when it cannot be created.
HWND Create(HWND parent);

// Makes `hwnd` paint the frames of `store`; false when it is not a window.
bool Attach(HWND hwnd, std::shared_ptr<VideoFrameStore> store);

// Draws `frame` into `client` of `hdc`: fitted at `aspect` (width over height) when that is above
// 0, else at the frame's own shape, centred, the rest black; all black without a frame.
void PaintFrame(HDC hdc, const RECT& client, const VideoFrame* frame, double aspect);

// Where a picture of the given shape lands in `client`.
RECT FitRect(const RECT& client, double pictureAspect);

}  // namespace PlayerOutputWindow
