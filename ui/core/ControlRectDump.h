#pragma once
// A test-only view of a window's controls for the journey tests, which drive the real program
// with X input and must know where a user would click. When QUILL_CONTROL_RECTS names a folder,
// each visible window writes "<folder>/<window handle>.rects": a first line
// "window\t<title>\t<left> <top> <right> <bottom>" with its screen rectangle, then one line
// "<name>\t<left> <top> <right> <bottom>" per visible named control, in screen coordinates, UTF-8.
// The file is replaced whole (written beside it, then renamed) after a paint or a move that
// changed it, and removed when the window hides or goes. Without the variable nothing is done.

#include "ui/core/UIBase.h"

#include <string>

namespace SkinUI {

class CPaintManagerUI;

class CControlRectDump {
public:
    CControlRectDump();
    ~CControlRectDump();
    CControlRectDump(const CControlRectDump&) = delete;
    CControlRectDump& operator=(const CControlRectDump&) = delete;

    // Writes the manager's window as it stands now (or removes its file when it is hidden).
    void Update(CPaintManagerUI& manager);
    void Remove();

private:
    std::string m_folder;  // empty: the dump is off
    std::string m_path;
    std::string m_written;
};

}  // namespace SkinUI
