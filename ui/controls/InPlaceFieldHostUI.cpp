#include "ui/controls/InPlaceFieldHostUI.h"

#include "ui/controls/ButtonUI.h"
#include "ui/core/PaintManagerUI.h"

namespace SkinUI {

void CInPlaceFieldHostUI::OnFieldPress(TEventUI&)
{
    if (IsFocused() && !HasField())
        OpenField();
}

void CInPlaceFieldHostUI::DoEvent(TEventUI& event)
{
    const bool mouse = event.Type > UiEventMouseBegin && event.Type < UiEventMouseEnd;
    if (!IsMouseEnabled() && mouse) {
        if (m_pParent != nullptr)
            m_pParent->DoEvent(event);
        else
            CLabelUI::DoEvent(event);
        return;
    }
    switch (event.Type) {
    case UiEventSetCursor:
        if (!IsEnabled())
            break;
        ::SetCursor(::LoadCursor(nullptr, IDC_IBEAM));
        return;
    case UiEventWindowSize:
        if (HasField())
            m_pManager->SetFocusNeeded(this);
        break;
    case UiEventScrollWheel:
        if (HasField())
            return;
        break;
    case UiEventSetFocus:
        if (!IsEnabled())
            break;
        if (HasField())
            return;
        OpenField();
        Invalidate();
        break;
    case UiEventKillFocus:
        if (IsEnabled())
            Invalidate();
        break;
    case UiEventButtonDown:
    case UiEventDblClick:
    case UiEventRButtonDown:
        if (!IsEnabled())
            return;
        m_pManager->ReleaseCapture();
        OnFieldPress(event);
        return;
    case UiEventMouseMove:
    case UiEventButtonUp:
    case UiEventContextMenu:
        return;
    case UiEventMouseEnter:
    case UiEventMouseLeave:
        if (!m_bHotTracking)
            return;
        if (!IsEnabled())
            break;
        m_uButtonState = event.Type == UiEventMouseEnter ? (m_uButtonState | ButtonStateHot)
                                                         : (m_uButtonState & ~ButtonStateHot);
        Invalidate();
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

}  // namespace SkinUI
