// The screenshot export: every frame of the thumbnail list is grabbed again from the video at the
// page's format and scale, as separate pictures in the output folder or stitched top to bottom
// into one tall picture. No file is overwritten; cancel stops between frames and removes what this
// export wrote; only pictures that came out count as a success.

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"
#include "media/ExportPageView.h"
#include "media/MediaInfoLibrary.h"
#include "media/ScreenshotStrip.h"
#include "platform/GdiPlus.h"
#include "platform/Windows.h"

std::atomic<int> g_nExportImageCounter { 0 };

namespace {

constexpr long long kSmallestTallPictureBytes = 1024;

bool SameTextIgnoringCase(const wchar_t* a, const wchar_t* b)
{
    for (; *a && *b; ++a, ++b)
        if (std::towlower(*a) != std::towlower(*b))
            return false;
    return *a == *b;
}

// Draws the frames into bands of height H, one below the other, and saves the canvas with the
// encoder of the picture type. A frame that cannot be read leaves its band empty.
bool SaveStitched(const std::vector<std::wstring>& frames, int width, int height, const std::wstring& output, bool jpeg)
{
    Gdiplus::Bitmap canvas(width, height * static_cast<int>(frames.size()), Gdiplus::PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&canvas);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        for (size_t j = 0; j < frames.size(); ++j) {
            Gdiplus::Bitmap frame(frames[j].c_str());
            if (frame.GetLastStatus() == Gdiplus::Ok)
                graphics.DrawImage(&frame, 0, static_cast<int>(j) * height, width, height);
        }
    }
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0)
        return false;
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok)
        return false;
    const wchar_t* mime = jpeg ? L"image/jpeg" : L"image/png";
    for (UINT i = 0; i < count; ++i)
        if (SameTextIgnoringCase(encoders[i].MimeType, mime))
            return canvas.Save(output.c_str(), &encoders[i].Clsid) == Gdiplus::Ok;
    return false;
}

void DeleteAll(const std::vector<std::wstring>& files)
{
    for (const std::wstring& file : files)
        ::DeleteFile(file.c_str());
}

}  // namespace

ExportResult CMainWnd::ExportScreenshots(const MediaFileInfo& settings)
{
    if (!m_pPageView || !m_pScreenshotList)
        return ExportResult::Refused(L"", L"");  // nothing to ask about: there is no page
    const bool single = m_pPageView->OptionSelected(L"SingleScreen");
    const bool jpeg = m_pPageView->OptionSelected(single ? L"singJpg" : L"PIcJpg");
    const bool longPicture = m_pPageView->OptionSelected(L"LongPic");
    const wchar_t* extension = jpeg ? L"jpg" : L"png";
    const std::wstring scaleField = m_pPageView->FieldText(single ? L"SPictureScaling" : L"PicScaling").GetData();
    std::wstring scaleText;
    for (wchar_t c : scaleField)
        if (c != L'%')
            scaleText += c;
    const auto scale = static_cast<float>(std::wcstod(scaleText.c_str(), nullptr) * 0.01);
    const int width = static_cast<int>(static_cast<float>(std::wcstol(m_strScreenshotWidth.c_str(), nullptr, 10)) * scale);
    const int height = static_cast<int>(static_cast<float>(std::wcstol(m_strScreenshotHeight.c_str(), nullptr, 10)) * scale);
    const int rows = m_pScreenshotList->RowCount();
    if (rows == 0)  // nothing written is no success
        return ExportResult::Refused(L"截图列表是空的，没有可导出的图片。", L"取消");
    if (width <= 0 || height <= 0)
        return ExportResult::Refused(L"截图尺寸无效，请检查缩放比例！", L"取消");
    const std::wstring folder = settings.folder.GetData();
    const std::wstring pictureFolder = JoinPath(m_strDataFolder, L"Picture");
    if (longPicture)
        CreateFolderWithParents(pictureFolder);

    std::vector<std::wstring> written;
    for (int k = 0; k < rows && !CancelFlag; ++k) {
        const int number = ++g_nExportImageCounter;
        const std::wstring path = longPicture
            ? JoinPath(pictureFolder, FormatWide(L"image%d.%s", number, extension))
            : MakeUniqueOutputPath(JoinPath(folder, FormatWide(L"image%d.%s", number, extension)));
        // Frame numbers start again with every run of the program: a frame an earlier run left under
        // this number must not stand in for one that cannot be taken now.
        ::DeleteFile(path.c_str());
        RunEncoderAndWait(FormatWide(L"%s  -ss %s -y -i \"%s\"  -vframes 1 -f image2 -update 1 -s %dx%d -preset superfast \"%s\" ",
                                     m_strEncoder.GetData(), m_pScreenshotList->RowTime(k).c_str(),
                                     QuoteInsideArgument(EncoderPath(m_strScreenshotSource)).c_str(), width, height,
                                     QuoteInsideArgument(EncoderPath(path)).c_str()));
        written.push_back(path);
        m_fJobPercent = k + 1 == rows ? 100.0f : static_cast<float>((k + 1) * (100.0 / rows));
    }
    if (CancelFlag) {
        CancelFlag = 0;
        DeleteAll(written);
        return ExportResult::Cancelled();
    }
    std::wstring result = folder;
    bool usable = std::all_of(written.begin(), written.end(),
                              [](const std::wstring& file) { return MediaInfoLibrary::OutputLooksValid(file); });
    if (longPicture) {  // every frame must have been taken; the tall picture is the output
        result = MakeUniqueOutputPath(JoinPath(folder, FormatWide(L"视频截图.%s", extension)));
        usable = usable && !written.empty() && SaveStitched(written, width, height, result, jpeg)
            && MediaInfoLibrary::OutputLooksValid(result, kSmallestTallPictureBytes);
        if (!usable)
            ::DeleteFile(result.c_str());
    }
    if (!usable) {
        if (!longPicture)
            DeleteAll(written);
        return ExportResult::Failed(L"视频截图失败，请您联系客服处理！");
    }
    return ExportResult::Succeeded(L"您的视频文件已截图完成，需要现在打开吗？", result);
}
