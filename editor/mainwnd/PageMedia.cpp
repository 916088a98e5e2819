#include "editor/mainwnd/PageMedia.h"

#include <cwchar>
#include <algorithm>
#include <cwctype>

#include "base/StringHelpers.h"
#include "media/MediaProbe.h"

namespace {

constexpr int kCellWidth = 128;
constexpr int kCellHeight = 80;
constexpr float kCellRatio = 1.6f;
constexpr float kPageThumbSide = 78.0f;
constexpr double kWideOverlayAspect = 2.731;
constexpr size_t kLongestBitRate = 8;
constexpr const wchar_t* kOversizedBitRate = L"48000";

long ToLong(const std::wstring& text)
{
    return std::wcstol(text.c_str(), nullptr, 10);
}

std::wstring UpperLastThree(const std::wstring& path)
{
    std::wstring tail = path.size() >= 3 ? path.substr(path.size() - 3) : path;
    for (wchar_t& c : tail)
        c = static_cast<wchar_t>(std::towupper(c));
    return tail;
}

void LowerOdd(std::wstring& side)
{
    const long value = ToLong(side);
    if (value % 2 != 0)
        side = FormatWide(L"%d", static_cast<int>(value - 1));
}

// The report's value after `label`: from two characters past the next ':' to the blank before the
// next "pixels", blanks removed ("1 440" gives "1440"). Empty when the line is not there whole.
std::wstring StoredSide(const std::wstring& report, const wchar_t* label)
{
    const size_t at = report.find(label);
    if (at == std::wstring::npos)
        return {};
    const size_t colon = report.find(L':', at);
    if (colon == std::wstring::npos)
        return {};
    const size_t start = colon + 2;
    const size_t pixels = report.find(L"pixels", start);
    if (pixels == std::wstring::npos || pixels < start + 1)
        return {};
    std::wstring value;
    for (size_t i = start; i < pixels - 1; ++i)
        if (report[i] != L' ')
            value += report[i];
    return value;
}

std::wstring BitRateKb(const MediaInfoDetails& info)
{
    std::wstring rate = info.videoBitRate.empty() ? info.audioBitRate : info.videoBitRate;
    if (rate.size() > kLongestBitRate)
        rate = kOversizedBitRate;  // a text that long is not a bit rate the encoder could use
    return FormatWide(L"%d", static_cast<int>(ToLong(rate) / 1000));
}

}  // namespace

std::wstring ClockText(long long seconds)
{
    if (seconds < 0)
        seconds = 0;
    return FormatWide(L"%02lld:%02lld:%02lld", seconds / 3600, (seconds % 3600) / 60, seconds % 60);
}

std::vector<std::wstring> ClockParts(const std::wstring& clock)
{
    std::vector<std::wstring> parts;
    for (size_t start = 0;;) {
        const size_t colon = clock.find(L':', start);
        parts.push_back(clock.substr(start, colon == std::wstring::npos ? std::wstring::npos : colon - start));
        if (colon == std::wstring::npos)
            break;
        start = colon + 1;
    }
    if (parts.size() != 3)
        parts.clear();
    return parts;
}

MediaDetails ComposeMediaDetails(const std::wstring& path, const ProbeFacts& probe, const MediaInfoDetails& info)
{
    MediaDetails details;
    const bool probed = probe.result == MediaProbe::kOpened || probe.result == MediaProbe::kNoAudio;
    // A file the probe could not read reports no rate; 24 is what the probe itself assumes.
    details.frameRate = FormatWide(L"%d", probed && probe.frameRate > 0 ? probe.frameRate : 24);
    details.noAudio = probe.result == MediaProbe::kNoAudio ? 1 : 0;
    details.hasSubtitles = probed && probe.hasSubtitles && UpperLastThree(path) == L"MKV" ? 1 : 0;

    details.durationMs = probed && probe.durationMs > 0 ? FormatWide(L"%d", probe.durationMs) : info.duration;
    const size_t dot = details.durationMs.find(L'.');
    if (dot != std::wstring::npos)
        details.durationMs.erase(dot);
    if (details.durationMs.empty())
        details.durationMs = L"3600000";
    details.clockText = ClockText(std::wcstoll(details.durationMs.c_str(), nullptr, 10) / 1000);

    details.aspect = info.aspect;
    details.report = info.report;
    details.width = info.width;
    details.height = info.height;
    LowerOdd(details.width);
    LowerOdd(details.height);
    const std::wstring storedWidth = StoredSide(details.report, L"Original width");
    if (!storedWidth.empty())
        details.width = storedWidth;
    const std::wstring storedHeight = StoredSide(details.report, L"Original height");
    if (!storedHeight.empty())
        details.height = storedHeight;

    const bool quarterTurn = details.report.find(L"270°") != std::wstring::npos
        || details.report.find(L"90°") != std::wstring::npos;
    if (details.report.find(L"Rotation") != std::wstring::npos && quarterTurn) {
        std::swap(details.width, details.height);
        const long height = ToLong(details.height);
        if (height != 0)
            details.aspect = FormatWide(L"%f", static_cast<double>(static_cast<float>(ToLong(details.width))
                                                                   / static_cast<float>(height)));
    }
    details.bitRate = BitRateKb(info);
    return details;
}

bool FitThumbnail(int width, int height, bool listRow, ThumbnailSize& fitted)
{
    if (width <= 0 || height <= 0)
        return false;
    ThumbnailSize size;
    if (listRow) {
        const float ratio = static_cast<float>(width) / static_cast<float>(height);
        if (ratio > kCellRatio)
            size = { kCellWidth, static_cast<int>(kCellWidth / ratio) };
        else
            size = { static_cast<int>(kCellHeight * ratio), kCellHeight };
    } else {
        const int longer = std::max(width, height);
        const float scale = kPageThumbSide / static_cast<float>(longer);
        size = { static_cast<int>(width * scale), static_cast<int>(height * scale) };
    }
    // A sliver of a picture still gets one pixel: the encoder refuses a size of 0.
    fitted = { std::max(1, size.width), std::max(1, size.height) };
    return true;
}

std::wstring ThumbnailImage(const std::wstring& picture, int sourceWidth, int sourceHeight, ThumbnailSize fitted)
{
    const double ratio = sourceHeight > 0 ? static_cast<double>(sourceWidth) / sourceHeight : 0.0;
    if (ratio > kCellRatio) {
        const int top = (kCellHeight - fitted.height) / 2;
        return FormatWide(L"file='%s' dest='0,%d,128,%d' ", picture.c_str(), top, top + fitted.height);
    }
    const int left = (kCellWidth - fitted.width) / 2;
    return FormatWide(L"file='%s' dest='%d,0,%d,80' ", picture.c_str(), left, left + fitted.width);
}

OverlayPlace PlaceCutOverlay(double aspect, int boxWidth, int boxHeight, int originX, int originY)
{
    OverlayPlace place { originX, originY, 0, boxHeight };
    if (!(aspect > 0))
        aspect = 0;
    if (aspect > kWideOverlayAspect && boxWidth / aspect <= boxHeight) {
        place.width = boxWidth;
        place.height = static_cast<int>(boxWidth / aspect);
        place.y = static_cast<int>(originY + (boxHeight - boxWidth / aspect) / 2);
        return place;
    }
    const double width = boxHeight * aspect;
    place.width = static_cast<int>(width);
    place.x = static_cast<int>(originX + (boxWidth - width) / 2);
    return place;
}

std::wstring SizeText(uint64_t bytes)
{
    std::wstring megabytes = FormatWide(L"%f", static_cast<double>(bytes) / 1024.0 / 1024.0);
    megabytes.erase(megabytes.size() - 4);  // "%f" has six decimals: keep two, cut toward zero
    return FormatWide(L"大小: %s MB", megabytes.c_str());
}

std::wstring ResolutionText(const std::wstring& width, const std::wstring& height)
{
    if (width.empty() && height.empty())
        return L"分辨率:";
    return FormatWide(L"分辨率:%sx%s", width.c_str(), height.c_str());
}

bool IsRefusedVideoFormat(const std::wstring& path)
{
    const std::wstring tail = ToLowerAsciiCopy(path.size() >= 3 ? path.substr(path.size() - 3) : path);
    return tail == L"qlv" || tail == L"qsv" || tail == L"kux";
}
