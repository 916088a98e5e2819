#pragma once
// Shows the system wait cursor for the life of the object and puts the previous cursor back.

#include "platform/WinTypes.h"

namespace SkinUI {

class CWaitCursor {
public:
    CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    ~CWaitCursor();

protected:
    HCURSOR m_hOrigCursor;
};

}  // namespace SkinUI
