#include "ui/core/WaitCursor.h"

#include "platform/WinUser.h"

namespace SkinUI {

CWaitCursor::CWaitCursor()
    : m_hOrigCursor(::SetCursor(::LoadCursor(nullptr, IDC_WAIT)))
{
}

CWaitCursor::~CWaitCursor()
{
    ::SetCursor(m_hOrigCursor);
}

}  // namespace SkinUI
