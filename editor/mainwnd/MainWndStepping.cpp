// Stepping the main window's fields with the arrow keys, the wheel and the spin buttons: every time
// group that has spin buttons (cut, split, cover, music and subtitle), and the four crop fields.
// Left and Right walk the focus along the cut page's groups. UI thread only; every write goes
// through the field's text setter, so the page's change rules follow at once.

#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/PageCommands.h"
#include "editor/mainwnd/TimeFieldStepping.h"
#include "platform/Windows.h"

namespace {

constexpr int kCropMinimum = 14;

struct SteppedGroup {
    TimeGroup group;
    const FractionRule* rule;
    bool refusalStops;  // a refused hours step ends the key or wheel message
};

void WriteNumber(SkinUI::CControlUI* field, int value)
{
    if (field)
        field->SetText(FormatWide(L"%d", value).c_str());
}

int Number(SkinUI::CControlUI* field)
{
    return field ? ReadFieldNumber(field->GetText()) : 0;
}

}  // namespace

bool CMainWnd::StepFocusedField(UINT uMsg, WPARAM wParam)
{
    const bool wheel = uMsg == WM_MOUSEWHEEL;
    if (!wheel && uMsg != WM_KEYDOWN)
        return true;
    SkinUI::CControlUI* focus = m_pm.GetFocus();
    if (focus == nullptr)
        return true;
    const TimeGroup cutStart { m_pstartHour, m_pstartMinute, m_pstartsecound, m_pstartmillsecond };
    const TimeGroup cutEnd { m_pOVertHour, m_pOVerMinute, m_pOVersecound, m_pOVermillsecond };
    if (!wheel && (wParam == VK_LEFT || wParam == VK_RIGHT)) {
        for (const TimeGroup& g : { cutStart, cutEnd }) {
            SkinUI::CControlUI* order[] = { g.hours, g.minutes, g.seconds, g.fraction };
            for (int i = 0; i < 4; ++i) {
                const int to = i + (wParam == VK_LEFT ? -1 : 1);
                if (order[i] == focus && to >= 0 && to < 4 && order[to])
                    order[to]->SetFocus();
            }
        }
        return true;
    }
    if (!wheel && wParam != VK_UP && wParam != VK_DOWN)
        return true;
    const bool up = wheel ? GET_WHEEL_DELTA_WPARAM(wParam) > 0 : wParam == VK_UP;
    const SteppedGroup groups[] = {
        { cutStart, &kCutMilliseconds, true },
        { cutEnd, &kCutMilliseconds, true },
        { { m_pCorverHour, m_pCorverminute, m_pCorversecond, m_pCorverMillsecond }, &kCoverMilliseconds, true },
        { { m_pCorverTimerHour, m_pCorverTimerminute, m_pCorverTimersecond, m_pCorverTimerMillsecond },
          &kCoverMilliseconds, true },
        { { m_psubtitleTimerHour, m_psubtitleTimerminute, m_psubtitleTimersecond, m_psubtitleTimerMillsecond },
          &kKeyTenths, false },
        { { m_psubtitleOverHour, m_psubtitleOverminute, m_psubtitleOversecond, m_psubtitleOverMillsecond },
          &kKeyTenths, false },
        { { m_pStartMusicHour, m_pStartMusicMinute, m_pStartMusicSecond, m_pStartMusicMillSecond }, &kTenths, false },
        { { m_pOverMusicHour, m_pOverMusicMinute, m_pOverMusicSecond, m_pOverMusicMillSecond }, &kTenths, false },
        { { m_pVideoTimerHour, m_pVideoTimerminute, m_pVideoTimersecond, m_pVideoTimerMillsecond }, &kTenths, false },
        { { m_pVideoOverHour, m_pVideoOverminute, m_pVideoOversecond, m_pVideoOverMillsecond }, &kTenths, false },
    };
    if (StepSplitField(*this, focus, up))
        return true;
    for (const SteppedGroup& g : groups) {
        if (!g.group.Holds(focus))
            continue;
        return !(StepTimeField(g.group, focus, up, *g.rule) == StepResult::Refused && g.refusalStops);
    }
    if (focus == m_pXwidth)
        StepCropX(up);
    else if (focus == m_pYheight)
        StepCropY(up);
    else if (focus == m_pcut_width)
        StepCropWidth(up);
    else if (focus == m_pcut_height)
        StepCropHeight(up);
    return true;
}

void CMainWnd::StepTimeEditsUp(SkinUI::CControlUI* hours, SkinUI::CControlUI* minutes, SkinUI::CControlUI* seconds,
                               SkinUI::CControlUI* tenths, SkinUI::CControlUI* field)
{
    StepTimeField({ hours, minutes, seconds, tenths }, field, true, kTenths);
}

void CMainWnd::StepTimeEditsDown(SkinUI::CControlUI* hours, SkinUI::CControlUI* minutes, SkinUI::CControlUI* seconds,
                                 SkinUI::CControlUI* tenths, SkinUI::CControlUI* field)
{
    StepTimeField({ hours, minutes, seconds, tenths }, field, false, kTenths);
}

void CMainWnd::StepTenthsTimeEditsUp(SkinUI::CControlUI* hours, SkinUI::CControlUI* minutes,
                                     SkinUI::CControlUI* seconds, SkinUI::CControlUI* tenths)
{
    StepTimeField({ hours, minutes, seconds, tenths }, m_pm.GetFocus(), true, kKeyTenths);
}

void CMainWnd::StepTenthsTimeEditsDown(SkinUI::CControlUI* hours, SkinUI::CControlUI* minutes,
                                       SkinUI::CControlUI* seconds, SkinUI::CControlUI* tenths)
{
    StepTimeField({ hours, minutes, seconds, tenths }, m_pm.GetFocus(), false, kKeyTenths);
}

// Each crop step marks the change as the user's, so the crop frame follows the written value.
void CMainWnd::StepCropX(bool up)
{
    m_bCropByUser = m_bCropFromEdits = 1;
    const int x = Number(m_pXwidth);
    WriteNumber(m_pXwidth, up ? (x + 1 <= CropCanvasWidth - kCropMinimum ? x + 1 : x) : std::max(0, x - 1));
}

void CMainWnd::StepCropY(bool up)
{
    m_bCropByUser = m_bCropFromEdits = 1;
    const int y = Number(m_pYheight);
    WriteNumber(m_pYheight, up ? (y + 1 <= CropCanvasHeight - kCropMinimum ? y + 1 : y) : std::max(0, y - 1));
}

void CMainWnd::StepCropWidth(bool up)
{
    m_bCropByUser = m_bCropFromEdits = 1;
    const int w = Number(m_pcut_width);
    const int x = Number(m_pXwidth);
    WriteNumber(m_pcut_width, up ? (x + w + 1 <= CropCanvasWidth ? w + 1 : w) : std::max(kCropMinimum, w - 1));
}

void CMainWnd::StepCropHeight(bool up)
{
    m_bCropByUser = m_bCropFromEdits = 1;
    const int h = Number(m_pcut_height);
    const int y = Number(m_pYheight);
    WriteNumber(m_pcut_height, up ? (y + h + 1 <= CropCanvasHeight ? h + 1 : h) : std::max(kCropMinimum, h - 1));
}

int& CMainWnd::SwapRedBlue(int& colour)
{
    const unsigned value = static_cast<unsigned>(colour);
    colour = static_cast<int>(((value & 0xFF) << 16) | (value & 0xFF00) | ((value >> 16) & 0xFF));
    return colour;
}
