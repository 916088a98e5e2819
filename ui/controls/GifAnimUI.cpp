#include "ui/controls/GifAnimUI.h"

#include <algorithm>
#include <vector>

#include "platform/GdiPlus.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"

namespace SkinUI {

namespace {

const CControlRegistration kGifAnim(L"CGifAnimUI", &CGifAnimUI::CreateControl);

constexpr UINT kDefaultDelayMs = 100;

}  // namespace

CGifAnimUI::CGifAnimUI() = default;

CGifAnimUI::~CGifAnimUI()
{
    DeleteGif();
    if (m_pManager != nullptr)
        m_pManager->KillTimer(this, kFrameTimerId);
}

CControlUI* CGifAnimUI::CreateControl()
{
    return new CGifAnimUI();
}

const wchar_t* CGifAnimUI::GetClass() const
{
    return L"GifAnimUI";
}

void* CGifAnimUI::GetInterface(const wchar_t* pstrName)
{
    if (NameIs(pstrName, L"GifAnim"))
        return this;
    return CControlUI::GetInterface(pstrName);
}

bool CGifAnimUI::Activate()
{
    if (!CControlUI::Activate())
        return false;
    if (m_pManager != nullptr)
        m_pManager->SendNotify(this, L"click");
    return true;
}

void CGifAnimUI::SetVisible(bool bVisible)
{
    CControlUI::SetVisible(bVisible);
    if (bVisible)
        PlayGif();
    else
        StopGif();
}

void CGifAnimUI::DoInit()
{
    InitGifImage();
}

void CGifAnimUI::DeleteGif()
{
    m_pGifImage.reset();
    m_delays.clear();
    m_nFrameCount = 0;
    m_nFramePosition = 0;
}

// A file may give fewer delays than frames, or none at all: those frames show for 100 ms.
UINT CGifAnimUI::GetFrameDelay() const
{
    const UINT delay = m_nFramePosition < m_delays.size() ? m_delays[m_nFramePosition] * 10 : 0;
    return delay != 0 ? delay : kDefaultDelayMs;
}

void CGifAnimUI::InitGifImage()
{
    DeleteGif();
    m_pGifImage.reset(CRenderEngine::GdiplusLoadImage(m_sBkImage.GetData()));
    if (m_pGifImage == nullptr)
        return;
    const UINT dimensions = m_pGifImage->GetFrameDimensionsCount();
    std::vector<GUID> ids(dimensions > 0 ? dimensions : 1);
    m_pGifImage->GetFrameDimensionsList(ids.data(), dimensions);
    m_nFrameCount = std::max(1u, m_pGifImage->GetFrameCount(&ids[0]));
    const UINT size = m_pGifImage->GetPropertyItemSize(Gdiplus::PropertyTagFrameDelay);
    if (size >= sizeof(Gdiplus::PropertyItem)) {
        std::vector<BYTE> block(size);
        auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(block.data());
        if (m_pGifImage->GetPropertyItem(Gdiplus::PropertyTagFrameDelay, size, item) == Gdiplus::Ok) {
            const auto* values = static_cast<const LONG*>(item->value);
            for (ULONG i = 0; i < item->length / sizeof(LONG); ++i)
                m_delays.push_back(static_cast<UINT>(values[i]));
        }
    }
    if (m_bIsAutoSize) {
        SetFixedWidth(static_cast<int>(m_pGifImage->GetWidth()));
        SetFixedHeight(static_cast<int>(m_pGifImage->GetHeight()));
    }
    if (m_bIsAutoPlay)
        PlayGif();
}

void CGifAnimUI::PlayGif()
{
    if (m_bIsPlaying || m_pGifImage == nullptr || m_pManager == nullptr)
        return;
    m_pManager->SetTimer(this, kFrameTimerId, GetFrameDelay());
    m_bIsPlaying = true;
}

void CGifAnimUI::PauseGif()
{
    if (!m_bIsPlaying || m_pGifImage == nullptr)
        return;
    if (m_pManager != nullptr)
        m_pManager->KillTimer(this, kFrameTimerId);
    Invalidate();
    m_bIsPlaying = false;
}

void CGifAnimUI::StopGif()
{
    if (!m_bIsPlaying)
        return;
    if (m_pManager != nullptr)
        m_pManager->KillTimer(this, kFrameTimerId);
    m_nFramePosition = 0;
    Invalidate();
    m_bIsPlaying = false;
}

void CGifAnimUI::SetBkImage(const wchar_t* pStrImage)
{
    if (pStrImage == nullptr || m_sBkImage == pStrImage)
        return;
    m_sBkImage = pStrImage;
    StopGif();
    DeleteGif();
    Invalidate();
}

void CGifAnimUI::SetAttribute(const wchar_t* pstrName, const wchar_t* pstrValue)
{
    if (pstrName == nullptr || pstrValue == nullptr)
        return;
    if (NameIs(pstrName, L"bkimage"))
        SetBkImage(pstrValue);
    else if (NameIs(pstrName, L"autoplay"))
        SetAutoPlay(ReadBool(pstrValue));
    else if (NameIs(pstrName, L"autosize"))
        SetAutoSize(ReadBool(pstrValue));
    else
        CControlUI::SetAttribute(pstrName, pstrValue);
}

void CGifAnimUI::DoEvent(TEventUI& event)
{
    if (event.Type == UiEventTimer && event.wParam == kFrameTimerId) {
        if (m_pManager != nullptr) {
            m_pManager->KillTimer(this, kFrameTimerId);
            Invalidate();
            m_pManager->SetTimer(this, kFrameTimerId, GetFrameDelay());
        }
        return;
    }
    if (event.Type == UiEventButtonUp) {
        Invalidate();
        if (::PtInRect(&m_rcItem, event.ptMouse))
            Activate();
    }
}

// Each paint shows the next frame; nothing else of the base painting is used.
void CGifAnimUI::DoPaint(HDC hDC, const RECT& rcPaint)
{
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem))
        return;
    if (m_pGifImage == nullptr)
        InitGifImage();
    if (m_pGifImage == nullptr)
        return;
    Gdiplus::Graphics graphics(hDC);
    graphics.DrawImage(m_pGifImage.get(), static_cast<INT>(m_rcItem.left), static_cast<INT>(m_rcItem.top),
                       static_cast<INT>(m_rcItem.right - m_rcItem.left),
                       static_cast<INT>(m_rcItem.bottom - m_rcItem.top));
    m_nFramePosition = (m_nFramePosition + 1) % m_nFrameCount;
    m_pGifImage->SelectActiveFrame(&Gdiplus::FrameDimensionTime, m_nFramePosition);
}

}  // namespace SkinUI
