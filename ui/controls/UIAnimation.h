#pragma once
// CUIAnimation: a mixin that runs any number of frame animations of one control, each on a paint
// manager timer whose id is the animation id. Every tick calls OnAnimationStep with the frame
// number; after the last frame the animation stops, or starts again at frame 1 when it loops.
//
// The owner is the control that mixes this in; it must route its timer events to
// OnAnimationElapse and stop its animations in its own destructor (StopAnimation(0)), while its
// paint manager can still be reached. Records are owned here. A callback may stop or restart
// any animation: the tick looks its record up again after each callback and never touches a
// record that was removed or replaced. UI thread only.

#include <memory>
#include <vector>

namespace SkinUI {

class CControlUI;

// One running animation.
class CAnimationData {
public:
    CAnimationData(int elapse, int totalFrames, int id, bool loop, unsigned serial)
        : m_nAnimationID(id), m_nElapse(elapse), m_nFrame(totalFrames), m_bLoop(loop), m_nSerial(serial)
    {
    }

    int m_nAnimationID;
    int m_nElapse;
    int m_nFrame;
    int m_nCurFrame { 0 };
    bool m_bLoop;
    bool m_bFirstLoop { true };
    unsigned m_nSerial;  // tells a restarted animation from the record it replaced
};

class IUIAnimation {
public:
    virtual ~IUIAnimation() = default;
    virtual int StartAnimation(int nElapse, int nTotalFrame, int nAnimationID = 0, bool bLoop = false) = 0;
    virtual void StopAnimation(int nAnimationID = 0) = 0;
    virtual int IsAnimationRunning(int nAnimationID) = 0;
    virtual int GetCurrentFrame(int nAnimationID = 0) = 0;
    virtual int SetCurrentFrame(int nFrame, int nAnimationID = 0) = 0;
    virtual void OnAnimationStep(int nTotalFrame, int nCurFrame, int nAnimationID) = 0;
    virtual void OnAnimationStart(int nAnimationID, bool bFirstLoop) = 0;
    virtual void OnAnimationStop(int nAnimationID) = 0;
    virtual void OnAnimationElapse(int nAnimationID) = 0;
};

class CUIAnimation : public IUIAnimation {
public:
    explicit CUIAnimation(CControlUI* pOwner);
    CUIAnimation(const CUIAnimation&) = delete;
    CUIAnimation& operator=(const CUIAnimation&) = delete;
    ~CUIAnimation() override;

    // 1 when started; 0 when the id runs already, the elapse or frame count is not positive, there
    // is no owner or its manager cannot start the timer.
    int StartAnimation(int nElapse, int nTotalFrame, int nAnimationID = 0, bool bLoop = false) override;
    // Id 0 stops every animation.
    void StopAnimation(int nAnimationID = 0) override;
    int IsAnimationRunning(int nAnimationID) override;
    int GetCurrentFrame(int nAnimationID = 0) override;
    int SetCurrentFrame(int nFrame, int nAnimationID = 0) override;
    void OnAnimationStep(int, int, int) override {}
    void OnAnimationStart(int, bool) override {}
    void OnAnimationStop(int) override {}
    void OnAnimationElapse(int nAnimationID) override;

private:
    CAnimationData* GetAnimationDataByID(int nAnimationID);
    // The record of that id when it is still the one with that serial.
    CAnimationData* StillRunning(int nAnimationID, unsigned serial);
    void KillTimer(int nAnimationID);

    CControlUI* m_pControl;
    std::vector<std::unique_ptr<CAnimationData>> m_arAnimations;
    unsigned m_nNextSerial { 1 };
};

}  // namespace SkinUI
