#include "media/VideoFrameStore.h"

#include "platform/WinUser.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

void VideoFrameStore::Publish(std::shared_ptr<const VideoFrame> frame)
{
    {
        std::lock_guard guard(m_lock);
        m_latest = std::move(frame);
    }
    m_published.fetch_add(1);
    if (HWND window = m_window.load())
        InvalidateRect(window, nullptr, FALSE);
}

std::shared_ptr<const VideoFrame> VideoFrameStore::Latest() const
{
    std::lock_guard guard(m_lock);
    return m_latest;
}

void VideoFrameStore::Clear()
{
    std::lock_guard guard(m_lock);
    m_latest.reset();
}

VideoFrameSource::VideoFrameSource(std::shared_ptr<VideoFrameStore> store, double aspect, bool quarterTurn)
    : m_store(std::move(store))
    , m_aspect(aspect > 0 ? aspect : 0.0)
    , m_quarterTurn(quarterTurn)
{
    if (m_quarterTurn && m_aspect > 0)
        m_aspect = 1.0 / m_aspect;
}

SIZE VideoFrameSource::FitIntoWindow(unsigned width, unsigned height, const RECT& client)
{
    const long clientWidth = client.right - client.left, clientHeight = client.bottom - client.top;
    if (width == 0 || height == 0 || clientWidth <= 0 || clientHeight <= 0)
        return { static_cast<LONG>(width), static_cast<LONG>(height) };
    const double scale = std::min(static_cast<double>(clientWidth) / width, static_cast<double>(clientHeight) / height);
    return { static_cast<LONG>(std::max(1L, std::lround(width * scale))),
             static_cast<LONG>(std::max(1L, std::lround(height * scale))) };
}

unsigned VideoFrameSource::Setup(void** opaque, char* chroma, unsigned* width, unsigned* height, unsigned* pitches,
                                 unsigned* lines)
{
    auto* self = static_cast<VideoFrameSource*>(*opaque);
    RECT client {};
    if (HWND window = self->m_store->Window())
        GetClientRect(window, &client);
    if (self->m_quarterTurn)
        std::swap(*width, *height);
    const SIZE size = FitIntoWindow(*width, *height, client);
    if (size.cx <= 0 || size.cy <= 0)
        return 0;
    std::memcpy(chroma, "RV32", 4);
    *width = static_cast<unsigned>(size.cx);
    *height = static_cast<unsigned>(size.cy);
    pitches[0] = *width * 4;
    lines[0] = *height;
    self->m_width = size.cx;
    self->m_height = size.cy;
    self->m_pool.clear();
    self->m_writing.reset();
    return 1;
}

void VideoFrameSource::Cleanup(void* opaque)
{
    auto* self = static_cast<VideoFrameSource*>(opaque);
    self->m_pool.clear();
    self->m_writing.reset();
}

// A frame that only the pool holds: neither the store nor a paint is looking at it.
std::shared_ptr<VideoFrame> VideoFrameSource::FreeFrame()
{
    for (const auto& frame : m_pool)
        if (frame.use_count() == 1)
            return frame;
    auto frame = std::make_shared<VideoFrame>();
    frame->width = m_width;
    frame->height = m_height;
    frame->aspect = m_aspect;
    frame->pixels.assign(static_cast<size_t>(m_width) * m_height, 0);
    m_pool.push_back(frame);
    return frame;
}

void* VideoFrameSource::Lock(void* opaque, void** planes)
{
    auto* self = static_cast<VideoFrameSource*>(opaque);
    self->m_writing = self->FreeFrame();
    planes[0] = self->m_writing->pixels.data();
    return nullptr;
}

void VideoFrameSource::Display(void* opaque, void*)
{
    auto* self = static_cast<VideoFrameSource*>(opaque);
    if (self->m_writing)
        self->m_store->Publish(std::move(self->m_writing));
}
