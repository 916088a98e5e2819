#include "ui/core/ControlRectDump.h"

#include "platform/WinBase.h"

#include "ui/core/ControlUI.h"
#include "ui/core/PaintManagerUI.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace SkinUI {

namespace {

std::string Corners(const RECT& rect)
{
    return std::to_string(rect.left) + ' ' + std::to_string(rect.top) + ' ' + std::to_string(rect.right) + ' '
        + std::to_string(rect.bottom);
}

struct Collected {
    POINT origin;
    std::string text;
};

CControlUI* CollectNamed(CControlUI* control, void* data)
{
    auto* out = static_cast<Collected*>(data);
    const CUIString name = control->GetName();
    if (name.IsEmpty())
        return nullptr;
    RECT rect = control->GetPos();
    ::OffsetRect(&rect, out->origin.x, out->origin.y);
    out->text += platform::WideToUtf8(name.GetData()) + '\t' + Corners(rect) + '\n';
    return nullptr;  // go on: every control is visited
}

}  // namespace

CControlRectDump::CControlRectDump()
{
    const char* folder = std::getenv("QUILL_CONTROL_RECTS");
    if (folder != nullptr)
        m_folder = folder;
}

CControlRectDump::~CControlRectDump()
{
    Remove();
}

void CControlRectDump::Update(CPaintManagerUI& manager)
{
    if (m_folder.empty())
        return;
    HWND window = manager.GetPaintWindow();
    CControlUI* root = manager.GetRoot();
    if (window == nullptr || root == nullptr || !::IsWindowVisible(window)) {
        Remove();
        return;
    }
    RECT frame {};
    ::GetWindowRect(window, &frame);
    wchar_t title[256] {};
    ::GetWindowText(window, title, 256);
    Collected collected { {}, "window\t" + platform::WideToUtf8(title) + '\t' + Corners(frame) + '\n' };
    ::ClientToScreen(window, &collected.origin);
    root->FindControl(CollectNamed, &collected, FindVisible | FindMeFirst);
    if (collected.text == m_written)
        return;
    m_path = m_folder + '/' + std::to_string(reinterpret_cast<uintptr_t>(window)) + ".rects";
    const std::string beside = m_path + ".new";
    {
        std::ofstream file(beside, std::ios::binary | std::ios::trunc);
        file << collected.text;
        if (!file)
            return;
    }
    if (std::rename(beside.c_str(), m_path.c_str()) == 0)
        m_written = collected.text;
}

void CControlRectDump::Remove()
{
    if (m_path.empty())
        return;
    std::remove(m_path.c_str());
    m_path.clear();
    m_written.clear();
}

}  // namespace SkinUI
