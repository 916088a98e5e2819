// The screenshot strip: one 232-wide thumbnail every interval from the page's start time up to its
// end time, each grabbed by the encoder into the working folder and shown as a row of the list.
// Runs on its own thread to the end of its range, or until the window shuts down.

#include "media/ScreenshotStrip.h"

#include <cwchar>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"
#include "media/ExportPageView.h"
#include "platform/Windows.h"

namespace {

constexpr long long kThumbnailWidth = 232;

int FieldNumber(const ExportPageView& page, const wchar_t* name)
{
    return static_cast<int>(std::wcstol(page.FieldText(name).GetData(), nullptr, 10));
}

int Seconds(const ExportPageView& page, const wchar_t* hours, const wchar_t* minutes, const wchar_t* seconds)
{
    return FieldNumber(page, hours) * 3600 + FieldNumber(page, minutes) * 60 + FieldNumber(page, seconds);
}

// The interval's text may carry an "s"; nothing usable means one second.
int IntervalSeconds(const ExportPageView& page)
{
    const std::wstring field = page.FieldText(L"ScreenTimeInterval").GetData();
    std::wstring text;
    for (wchar_t c : field)
        if (c != L's')
            text += c;
    const long step = std::wcstol(text.c_str(), nullptr, 10);
    return step > 0 ? static_cast<int>(step) : 1;
}

}  // namespace

int ScreenshotThumbnailHeight(const std::wstring& width, const std::wstring& height)
{
    // Whole numbers: a rounded ratio would lose a row of pixels (120 / (160 / 232.0f) is 173.99).
    const long long w = std::wcstol(width.c_str(), nullptr, 10);
    const long long h = std::wcstol(height.c_str(), nullptr, 10);
    if (w <= 0 || h <= 0)
        return 0;
    return static_cast<int>(h * kThumbnailWidth / w);
}

void CMainWnd::BuildScreenshotStrip()
{
    m_fJobPercent = 0;
    if (!m_pPageView || !m_pScreenshotList)
        return;
    m_pScreenshotList->SetButtonEnabled(L"CutOutPic", false);
    m_pScreenshotList->SetButtonEnabled(L"ScreenChange", true);
    m_pScreenshotList->SetButtonEnabled(L"ScreenExport", true);
    const int start = Seconds(*m_pPageView, L"startPicHour", L"startPicMinute", L"startPicsecound");
    const int end = Seconds(*m_pPageView, L"OVerPictHour", L"OVerPicMinute", L"OVerPicsecound");
    const int step = IntervalSeconds(*m_pPageView);
    const bool longPicture = m_pPageView->OptionSelected(L"LongPic");
    const int height = ScreenshotThumbnailHeight(m_strScreenshotWidth, m_strScreenshotHeight);
    for (int t = start; t < end && height > 0 && !m_bClosing; t += step) {  // shut-down waits for it
        const int number = ++m_nScreenshotCounter;
        const std::wstring time = FormatWide(L"%.2f", static_cast<double>(t));
        const std::wstring png = JoinPath(m_strTempFolder, FormatWide(L"temp%d.png", number));
        const std::wstring copy = JoinPath(m_strTempFolder, FormatWide(L"temp%d@.png", number));
        CreateFolderWithParents(m_strTempFolder);
        RunEncoderAndWait(FormatWide(L"%s -ss %s -y -i \"%s\"  -vframes 1 -f image2 -update 1 -s 232x%d -preset superfast \"%s\" ",
                                     m_strEncoder.GetData(), time.c_str(),
                                     QuoteInsideArgument(EncoderPath(m_strScreenshotSource)).c_str(), height,
                                     QuoteInsideArgument(EncoderPath(png)).c_str()));
        ::DeleteFile(copy.c_str());
        ::CopyFile(png.c_str(), copy.c_str(), TRUE);
        m_vecScreenshotTimes.push_back(static_cast<float>(t));
        m_pScreenshotList->AddThumbnailRow(time, png, height, longPicture);
    }
    m_pScreenshotList->SetButtonEnabled(L"CutOutPic", true);
    m_pScreenshotList->SetButtonEnabled(L"ScreenChange", true);
    m_pScreenshotList->SetButtonEnabled(L"ScreenExport", true);
}
