#pragma once
// CInPlaceFieldHostUI: the common ground of the controls that edit their value in a platform field
// laid over themselves (edit, hot key, date-time, IP address). They answer the mouse, focus, size and
// wheel events the same way; each says only whether its field is open, how it opens, and what a press
// on the enabled control does.
//
// Rules: everything runs on the window's thread. The field window owns itself (see each control);
// this class never creates or deletes it, it only asks the control to open it.

#include "ui/controls/LabelUI.h"

namespace SkinUI {

class CInPlaceFieldHostUI : public CLabelUI {
public:
    void DoEvent(TEventUI& event) override;

protected:
    // bHotTracking: the control shows a hot state while the mouse is over it.
    explicit CInPlaceFieldHostUI(bool bHotTracking)
        : m_bHotTracking(bHotTracking)
    {
    }

    virtual bool HasField() const = 0;
    virtual void OpenField() = 0;
    // A button press, double click or right press on the enabled control: by default the field opens
    // when the control already has the focus and no field is open.
    virtual void OnFieldPress(TEventUI& event);

    // Creates the control's field window when there is none and lets it take the owner; a window
    // that could not be created is deleted again, leaving pWindow null.
    template <class Wnd, class Owner>
    static void OpenFieldWindow(Wnd*& pWindow, Owner* pOwner)
    {
        if (pWindow == nullptr)
            pWindow = new Wnd();  // owns itself once its window exists; clears pWindow when it goes
        pWindow->Init(pOwner);
        if (pWindow->GetHWND() != nullptr)
            return;
        delete pWindow;
        pWindow = nullptr;
    }

    UINT m_uButtonState { 0 };

private:
    bool m_bHotTracking;
};

}  // namespace SkinUI
