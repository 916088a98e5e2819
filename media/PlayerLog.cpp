#include "media/PlayerLog.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <unordered_set>

#include "media/MediaLibraries.h"

namespace player_log {

namespace {

constexpr size_t kRememberedLines = 1000;

std::string Format(const char* format, va_list args)
{
    char buffer[1024];
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(buffer, sizeof(buffer), format, copy);
    va_end(copy);
    if (length < 0)
        return {};
    std::string text(buffer, std::min(static_cast<size_t>(length), sizeof(buffer) - 1));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

void FromVlc(void*, int level, const libvlc_log_t*, const char* format, va_list args)
{
    if (level >= LIBVLC_WARNING)
        WriteOnce("libVLC", Format(format, args));
}

void FromFfmpeg(void*, int level, const char* format, va_list args)
{
    if (level <= AV_LOG_WARNING)
        WriteOnce("FFmpeg", Format(format, args));
}

}  // namespace

void RouteFfmpeg()
{
    static std::once_flag routed;
    if (const MediaLibraryCalls* calls = MediaLibraries())
        std::call_once(routed, [calls] { calls->av_log_set_callback(FromFfmpeg); });
}

void Route(libvlc_instance_t* instance)
{
    if (const MediaLibraryCalls* calls = MediaLibraries(); calls && instance)
        calls->libvlc_log_set(instance, FromVlc, nullptr);
}

bool WriteOnce(const char* source, const std::string& text)
{
    static std::mutex lock;
    static std::unordered_set<std::string> written;
    const std::string line = std::string(source) + ": " + text;
    {
        std::lock_guard guard(lock);
        if (text.empty() || !written.insert(line).second)
            return false;
        if (written.size() > kRememberedLines)
            written = { line };
    }
    std::fprintf(stderr, "%s\n", line.c_str());
    return true;
}

}  // namespace player_log
