// Layout-edit mode: a design aid for skin authors. In a window whose skin turns it on, a right
// click selects or deselects the control under the mouse, a selected control is dragged with the
// left button (guide lines through its edges and a label of its distances follow it), and on
// release its new place is written back into the window's skin file: "pos" for a float control,
// "padding" for a control in a layout.
//
// Positions here are device pixels; the skin and the "pos"/"padding" attributes are in 100 %
// units, so every number is scaled back before it is applied or written. Text written to the
// file is in the file's own encoding (UTF-8, or GBK for a file that declares another), converted
// without touching the process's locale. The file is saved beside itself and renamed over, so a
// failed save never leaves a truncated skin.

#include "ui/core/ContainerUI.h"
#include "ui/core/ControlUI.h"
#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/RenderEngine.h"
#include "ui/core/UIDefines.h"

#include "platform/WinBase.h"
#include "platform/base/Path.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <strings.h>

namespace SkinUI {

namespace {

constexpr DWORD kEditDragging = 0x40;

// One edit of a window's skin file: loaded on construction, changed in memory, saved on request.
class SkinFileEdit {
public:
    explicit SkinFileEdit(const CUIString& path) : m_path(platform::ToPosixPath(path.GetData()))
    {
        m_loaded = !m_path.empty() && m_document.LoadFile(m_path.c_str(), TIXML_DEFAULT_ENCODING);
        const TiXmlNode* first = m_loaded ? m_document.FirstChild() : nullptr;
        const TiXmlDeclaration* declaration = first != nullptr ? first->ToDeclaration() : nullptr;
        const char* encoding = declaration != nullptr ? declaration->Encoding() : "";
        m_utf8 = *encoding == '\0' || strcasecmp(encoding, "utf-8") == 0 || strcasecmp(encoding, "utf8") == 0;
    }

    // The first element, depth first below the root element, whose "name" is the control's name;
    // null for an empty name or a file that did not load.
    TiXmlElement* Find(const CUIString& name)
    {
        TiXmlElement* root = m_loaded ? m_document.FirstChildElement() : nullptr;
        if (root == nullptr || name.IsEmpty())
            return nullptr;
        return FindBelow(root, Encode(name.GetData()));
    }

    std::string Encode(const wchar_t* text) const
    {
        const UINT codePage = m_utf8 ? CP_UTF8 : 936;
        const int size = ::WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
        if (size <= 0)
            return std::string();
        std::string out(static_cast<size_t>(size), '\0');
        ::WideCharToMultiByte(codePage, 0, text, -1, out.data(), size, nullptr, nullptr);
        out.resize(static_cast<size_t>(size) - 1);
        return out;
    }

    bool Save()
    {
        const std::string temporary = m_path + ".saving";
        if (!m_document.SaveFile(temporary.c_str())) {
            std::remove(temporary.c_str());
            return false;
        }
        return std::rename(temporary.c_str(), m_path.c_str()) == 0;
    }

private:
    static TiXmlElement* FindBelow(TiXmlElement* parent, const std::string& name)
    {
        for (TiXmlElement* child = parent->FirstChildElement(); child != nullptr; child = child->NextSiblingElement()) {
            const char* own = child->Attribute("name");
            if (own != nullptr && name == own)
                return child;
            if (TiXmlElement* found = FindBelow(child, name))
                return found;
        }
        return nullptr;
    }

    std::string m_path;
    TiXmlDocument m_document;
    bool m_loaded { false };
    bool m_utf8 { true };
};

void InvalidateRoot(CPaintManagerUI* manager)
{
    if (CControlUI* root = manager->GetRoot()) {
        RECT whole = root->GetPos();
        manager->Invalidate(whole);
    }
}

CUIString NumberList(const RECT& rc)
{
    CUIString text;
    text.SmallFormat(L"%d,%d,%d,%d", rc.left, rc.top, rc.right, rc.bottom);
    return text;
}

}  // namespace

bool CControlUI::DoLayoutEditEvent(tagTEventUI& event)
{
    if (m_pManager == nullptr || !m_pManager->GetShowLine())
        return false;
    if (event.Type == UiEventRButtonUp)
        return ::PtInRect(&m_rcItem, event.ptMouse) && OnEditRightButtonUp();
    if (!m_bShowLine)
        return false;
    switch (event.Type) {
    case UiEventDblClick: {
        CUIString name = GetName();  // lives until the notification has been delivered
        m_pManager->SendNotify(this, L"popwnd", reinterpret_cast<WPARAM>(&name), event.lParam);
        return false;
    }
    case UiEventButtonDown:
        if (!IsEnabled() || !::PtInRect(&m_rcItem, event.ptMouse))
            return false;
        OnEditButtonDown(event.ptMouse);
        return true;
    case UiEventButtonUp:
        return (m_dwEditFlags & kEditDragging) != 0 && OnEditButtonUp();
    case UiEventMouseMove:
        return (m_dwEditFlags & kEditDragging) != 0 && OnEditMouseMove(event.ptMouse);
    default:
        return false;
    }
}

bool CControlUI::OnEditRightButtonUp()
{
    m_bShowLine = !m_bShowLine;
    NeedParentUpdate();
    if (m_bShowLine)
        return false;  // selecting writes nothing until a drag ends
    SkinFileEdit file(m_pManager->GetXmlPath());
    TiXmlElement* element = file.Find(GetName());
    if (element == nullptr)
        return true;
    element->RemoveAttribute("showline");
    file.Save();
    return false;
}

void CControlUI::OnEditButtonDown(const POINT& pt)
{
    m_dwEditFlags |= kEditDragging;
    m_ptDragStart = pt;
    m_rcDragStart = m_rcDrag = m_rcItem;
    m_pManager->AddPostPaint(this);
    InvalidateRoot(m_pManager);
}

bool CControlUI::OnEditButtonUp()
{
    m_dwEditFlags &= ~kEditDragging;
    InvalidateRoot(m_pManager);
    m_pManager->RemovePostPaint(this);
    NeedParentUpdate();
    SkinFileEdit file(m_pManager->GetXmlPath());
    TiXmlElement* element = file.Find(GetName());
    if (element == nullptr)
        return true;
    if (IsFloat()) {
        if (m_pParent == nullptr)
            return true;
        const RECT& parent = m_pParent->GetPos();
        RECT pos = m_rcItem;
        ::OffsetRect(&pos, -parent.left, -parent.top);
        m_pManager->GetDPIObj()->ScaleBack(&pos);
        element->SetAttribute("pos", file.Encode(NumberList(pos).GetData()));
    } else {
        CUIString padding;
        padding.SmallFormat(L"%d,%d", m_rcPadding.left, m_rcPadding.top);  // kept in 100 % units
        element->SetAttribute("padding", file.Encode(padding.GetData()));
    }
    element->SetAttribute("showline", "true");
    for (CControlUI* ancestor = m_pParent; ancestor != nullptr; ancestor = ancestor->GetParent()) {
        if (!ancestor->GetShowLine())
            continue;
        if (TiXmlElement* selected = file.Find(ancestor->GetName()))
            selected->SetAttribute("showline", "true");
    }
    file.Save();
    return false;
}

bool CControlUI::OnEditMouseMove(const POINT& pt)
{
    if (m_pParent == nullptr)
        return true;
    RECT moved = m_rcDragStart;
    ::OffsetRect(&moved, pt.x - m_ptDragStart.x, pt.y - m_ptDragStart.y);
    if (IsFloat())
        DragFloat(moved);
    else
        DragInLayout(moved);
    InvalidateRoot(m_pManager);
    return false;
}

// A float control follows the mouse inside its parent and stops flush with its right and bottom
// edges; the label shows where it really is once it stops following.
void CControlUI::DragFloat(const RECT& r)
{
    const RECT& parent = m_pParent->GetPos();
    const int width = GetWidth(), height = GetHeight();
    int x = std::max(0, static_cast<int>(r.left - parent.left));
    int y = std::max(0, static_cast<int>(r.top - parent.top));
    if (r.right > parent.right)
        x = parent.right - parent.left - width;
    if (r.bottom > parent.bottom)
        y = parent.bottom - parent.top - height;
    RECT pos { x, y, x + width, y + height };
    m_pManager->GetDPIObj()->ScaleBack(&pos);
    SetAttribute(L"pos", NumberList(pos).GetData());
    const bool following = x > 0 && y > 0 && r.right < parent.right && r.bottom < parent.bottom;
    m_rcDrag = following ? r : m_rcItem;
}

// A control in a layout moves by its left and top padding, measured from where the layout
// would put it: after the children before it along a horizontal layout's axis or a vertical one's.
void CControlUI::DragInLayout(const RECT& r)
{
    auto* container = static_cast<IContainerUI*>(m_pParent->GetInterface(L"IContainer"));
    auto* layout = static_cast<CContainerUI*>(m_pParent->GetInterface(L"Container"));
    if (container == nullptr || layout == nullptr)
        return;
    const RECT& parent = m_pParent->GetPos();
    const RECT inset = layout->GetInset();
    const int childPadding = layout->GetChildPadding();
    const int startWidth = m_rcDragStart.right - m_rcDragStart.left;
    const int startHeight = m_rcDragStart.bottom - m_rcDragStart.top;
    const CUIString parentClass = m_pParent->GetClass();
    const bool horizontal = parentClass == L"HorizontalLayoutUI" || parentClass == L"ListContainerElementUI";
    int before = 0;
    for (int i = 0; i < container->GetCount(); ++i) {
        CControlUI* child = container->GetItemAt(i);
        if (child == this)
            break;
        const RECT padding = child->GetPadding();
        before += horizontal ? padding.left + child->GetWidth() + childPadding
                             : child->GetHeight() + childPadding + padding.top;
    }
    int left = r.left - inset.left - parent.left - (horizontal ? before : 0);
    int top = r.top - inset.top - parent.top - (horizontal ? 0 : before);
    const bool inside = left >= 0 && top >= 0 && r.right <= parent.right - inset.right
        && r.bottom <= parent.bottom - inset.bottom;
    left = std::max(left, 0);
    top = std::max(top, 0);
    if (r.right > parent.right - inset.right)
        left = (parent.right - inset.right) - startWidth - (parent.left + inset.left) - (horizontal ? before : 0);
    if (r.bottom > parent.bottom - inset.bottom)
        top = (parent.bottom - inset.bottom) - startHeight - (parent.top + inset.top) - (horizontal ? 0 : before);
    const CDPI* dpi = m_pManager->GetDPIObj();
    CUIString padding;
    padding.SmallFormat(L"%d,%d", dpi->ScaleBack(left), dpi->ScaleBack(top));
    SetAttribute(L"padding", padding.GetData());
    m_rcDrag = inside ? r : m_rcItem;
}

// Four lines through the control's edges across the whole window.
void CControlUI::PaintGuideLines(HDC hDC) const
{
    if (m_pManager == nullptr || !m_pManager->GetShowLine() || !m_bShowLine || m_pManager->GetRoot() == nullptr)
        return;
    const RECT& p = m_rcItem;
    const RECT& window = m_pManager->GetRoot()->GetPos();
    CRenderEngine::DrawLine(hDC, RECT { p.left, 0, p.left, window.bottom }, 1, m_dwShowLineColor);
    CRenderEngine::DrawLine(hDC, RECT { 0, p.top, window.right, p.top }, 1, m_dwShowLineColor);
    CRenderEngine::DrawLine(hDC, RECT { p.right - 1, 0, p.right - 1, window.bottom }, 1, m_dwShowLineColor);
    CRenderEngine::DrawLine(hDC, RECT { 0, p.bottom - 1, window.right, p.bottom - 1 }, 1, m_dwShowLineColor);
}

void CControlUI::DoPostPaint(HDC hDC, const RECT&)
{
    PaintGuideLines(hDC);
    if (m_pParent == nullptr || m_dwEditFlags == 0 || m_pManager == nullptr || !m_pManager->GetShowLine()
        || !m_bShowLine || m_pManager->GetRoot() == nullptr)
        return;
    const RECT& d = m_rcDrag;
    const RECT& window = m_pManager->GetRoot()->GetPos();
    const RECT& parent = m_pParent->GetPos();
    CUIString label;
    label.Format(L"leftWnd:%dpx\ntopWnd:%dpx\nleftPar:  %dpx\nTopPar:  %dpx", d.left - window.left, d.top - window.top,
                 d.left - parent.left, d.top - parent.top);
    RECT area = d.top >= 100 ? RECT { d.left + 2, d.top - 80, d.left + 100, d.top }
                             : RECT { d.left + 2, d.top + GetHeight(), d.left + 100, d.top + GetHeight() + 100 };
    CRenderEngine::DrawTextW(hDC, m_pManager, area, label.GetData(), m_dwShowLineColor, 1,
                             DT_EDITCONTROL | DT_WORDBREAK | DT_VCENTER);
}

}  // namespace SkinUI
