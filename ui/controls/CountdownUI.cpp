#include "ui/controls/CountdownUI.h"

#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"

namespace SkinUI {

namespace {

const CControlRegistration kCountdown(L"CCountdownUI", &CCountdownUI::CreateControl);

}  // namespace

CCountdownUI::CCountdownUI() : CUIAnimation(this)
{
}

CCountdownUI::~CCountdownUI()
{
    StopAnimation(m_nFrameID);
}

CControlUI* CCountdownUI::CreateControl()
{
    return new CCountdownUI();
}

const wchar_t* CCountdownUI::GetClass() const
{
    return L"CountdownUI";
}

void* CCountdownUI::GetInterface(const wchar_t* pstrName)
{
    if (pstrName != nullptr && CUIString(pstrName) == L"Countdown")
        return static_cast<CCountdownUI*>(this);
    return CControlUI::GetInterface(pstrName);
}

void CCountdownUI::Start()
{
    if (!m_bVisible)
        return;
    m_bRunning = true;
    StartAnimation(m_nFrameElapse, m_nFrameCount, m_nFrameID, m_nLoop != 0);
    Invalidate();
}

void CCountdownUI::Stop()
{
    m_bRunning = false;
    StopAnimation(m_nFrameID);
}

void CCountdownUI::OnAnimationStep(int, int nCurFrame, int)
{
    m_sCurrentImage.Format(L"%s/%d.png", m_sImgDir.GetData(), nCurFrame);
    Invalidate();
}

void CCountdownUI::DoEvent(TEventUI& event)
{
    if (event.Type == UiEventTimer)
        OnAnimationElapse(static_cast<int>(event.wParam));
    CLabelUI::DoEvent(event);
}

void CCountdownUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    if (NameIs(pstrName, L"imgdir")) {
        SetImgDir(pstrValue);
    } else if (NameIs(pstrName, L"ellapse")) {
        SetFrameEllapse(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"framecount")) {
        SetFrameCount(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"frameid")) {
        SetFrameID(ReadInt(pstrValue));
    } else if (NameIs(pstrName, L"loop")) {
        SetLoop(ReadBool(pstrValue) ? 1 : 0);
    } else if (NameIs(pstrName, L"autostart")) {
        m_bAutoStart = true;
        Start();
    } else {
        CControlUI::SetAttribute(pstrName, pstrValue);
    }
}

void CCountdownUI::PaintBkImage(HDC hDC)
{
    if (!m_sCurrentImage.IsEmpty())
        DrawImage(hDC, m_sCurrentImage.GetData());
}

}  // namespace SkinUI
