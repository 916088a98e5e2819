#include "ui/controls/UIAnimation.h"

#include <algorithm>

#include "ui/core/ControlUI.h"
#include "ui/core/PaintManagerUI.h"

namespace SkinUI {

CUIAnimation::CUIAnimation(CControlUI* pOwner) : m_pControl(pOwner)
{
}

CUIAnimation::~CUIAnimation() = default;

int CUIAnimation::StartAnimation(int nElapse, int nTotalFrame, int nAnimationID, bool bLoop)
{
    if (GetAnimationDataByID(nAnimationID) != nullptr || nElapse <= 0 || nTotalFrame <= 0 || m_pControl == nullptr)
        return 0;
    CPaintManagerUI* manager = m_pControl->GetManager();
    if (manager == nullptr
        || !manager->SetTimer(m_pControl, static_cast<UINT>(nAnimationID), static_cast<UINT>(nElapse)))
        return 0;
    m_arAnimations.push_back(
        std::make_unique<CAnimationData>(nElapse, nTotalFrame, nAnimationID, bLoop, m_nNextSerial++));
    return 1;
}

void CUIAnimation::KillTimer(int nAnimationID)
{
    if (CPaintManagerUI* manager = m_pControl->GetManager())
        manager->KillTimer(m_pControl, static_cast<UINT>(nAnimationID));
}

void CUIAnimation::StopAnimation(int nAnimationID)
{
    if (m_pControl == nullptr)
        return;
    if (nAnimationID == 0) {
        for (const auto& data : m_arAnimations)
            KillTimer(data->m_nAnimationID);
        m_arAnimations.clear();
        return;
    }
    const auto found = std::find_if(m_arAnimations.begin(), m_arAnimations.end(),
                                    [nAnimationID](const auto& data) { return data->m_nAnimationID == nAnimationID; });
    if (found == m_arAnimations.end())
        return;
    KillTimer(nAnimationID);
    m_arAnimations.erase(found);
}

int CUIAnimation::IsAnimationRunning(int nAnimationID)
{
    return GetAnimationDataByID(nAnimationID) != nullptr ? 1 : 0;
}

int CUIAnimation::GetCurrentFrame(int nAnimationID)
{
    const CAnimationData* data = GetAnimationDataByID(nAnimationID);
    return data != nullptr ? data->m_nCurFrame : -1;
}

int CUIAnimation::SetCurrentFrame(int nFrame, int nAnimationID)
{
    CAnimationData* data = GetAnimationDataByID(nAnimationID);
    if (data == nullptr || nFrame < 0 || nFrame > data->m_nFrame)
        return 0;
    data->m_nCurFrame = nFrame;
    return 1;
}

CAnimationData* CUIAnimation::GetAnimationDataByID(int nAnimationID)
{
    for (const auto& data : m_arAnimations) {
        if (data->m_nAnimationID == nAnimationID)
            return data.get();
    }
    return nullptr;
}

CAnimationData* CUIAnimation::StillRunning(int nAnimationID, unsigned serial)
{
    CAnimationData* data = GetAnimationDataByID(nAnimationID);
    return data != nullptr && data->m_nSerial == serial ? data : nullptr;
}

// Frames 0 to total run the first time; a loop goes on with frames 1 to total. Each callback may
// stop or restart this very animation, so the record is found again after each one.
void CUIAnimation::OnAnimationElapse(int nAnimationID)
{
    if (m_pControl == nullptr)
        return;
    CAnimationData* data = GetAnimationDataByID(nAnimationID);
    if (data == nullptr)
        return;
    const unsigned serial = data->m_nSerial;
    const int frame = data->m_nCurFrame;
    const int total = data->m_nFrame;
    if (frame == 0) {
        const bool first = data->m_bFirstLoop;
        data->m_bFirstLoop = false;
        OnAnimationStart(nAnimationID, first);
        if (StillRunning(nAnimationID, serial) == nullptr)
            return;
    }
    OnAnimationStep(total, frame, nAnimationID);
    data = StillRunning(nAnimationID, serial);
    if (data == nullptr)
        return;
    if (frame >= total) {
        OnAnimationStop(nAnimationID);
        data = StillRunning(nAnimationID, serial);
        if (data == nullptr)
            return;
        if (!data->m_bLoop) {
            StopAnimation(nAnimationID);
            return;
        }
        data->m_nCurFrame = 0;
    }
    data->m_nCurFrame += 1;
}

}  // namespace SkinUI
