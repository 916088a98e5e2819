#include "editor/dialogs/SubtitleWnd.h"

#include <algorithm>

#include "editor/dialogs/DialogDpi.h"
#include "editor/dialogs/WaterFloatWnd.h"
#include "editor/mainwnd/MainWnd.h"
#include "platform/Windows.h"
#include "ui/controls/LabelUI.h"
#include "ui/controls/ListUI.h"
#include "ui/controls/RichEditUI.h"
#include "ui/core/DPI.h"
#include "ui/core/RenderEngine.h"

namespace {

constexpr int kLabelMaxWidth = 160;
constexpr int kLabelExtra = 25;

CDialogDpiDebounce g_dpiDebounce;

SkinUI::CControlUI* ChildAt(SkinUI::CControlUI* parent, int index)
{
    auto* container = parent ? static_cast<SkinUI::CContainerUI*>(parent->GetInterface(L"Container")) : nullptr;
    return container ? container->GetItemAt(index) : nullptr;
}

// A cell's child by name; it works before the row joins the list (and its paint manager).
SkinUI::CControlUI* InCell(SkinUI::CControlUI* cell, const wchar_t* name)
{
    auto* container = cell ? static_cast<SkinUI::CContainerUI*>(cell->GetInterface(L"Container")) : nullptr;
    for (int i = 0; container && i < container->GetCount(); ++i)
        if (container->GetItemAt(i)->GetName() == name)
            return container->GetItemAt(i);
    return nullptr;
}

// "hh:mm:ss.f" as hours, minutes, seconds and fraction; false unless it has exactly that shape.
bool SplitTimeText(const std::wstring& time, SkinUI::CUIString parts[4])
{
    const std::vector<SkinUI::CUIString> clock = SplitUIString(time.c_str(), L":");
    if (clock.size() != 3)
        return false;
    const std::vector<SkinUI::CUIString> seconds = SplitUIString(clock[2], L".");
    if (seconds.size() != 2)
        return false;
    parts[0] = clock[0];
    parts[1] = clock[1];
    parts[2] = seconds[0];
    parts[3] = seconds[1];
    return true;
}

void SetTexts(SkinUI::CControlUI* const edits[4], const SkinUI::CUIString parts[4])
{
    for (int i = 0; i < 4; ++i)
        if (edits[i])
            edits[i]->SetText(parts[i]);
}

}  // namespace

CSubtitleWnd::CSubtitleWnd(CMainWnd* owner)
    : m_pOwner(owner)
{
}

CSubtitleWnd::~CSubtitleWnd()
{
    if (m_hPaintDC && ::IsWindow(m_hWnd))
        ::ReleaseDC(m_hWnd, m_hPaintDC);
}

HWND CSubtitleWnd::CreateOwned(HWND owner)
{
    return Create(owner, L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW);
}

int CSubtitleWnd::LabelWidthFor(int textWidth)
{
    return std::min(textWidth + kLabelExtra, kLabelMaxWidth);
}

const wchar_t* CSubtitleWnd::GetWindowClassName() const
{
    return L"subtitleMessage";
}

SkinUI::CUIString CSubtitleWnd::GetSkinFileName()
{
    return L"subtitleMessage.xml";
}

CWaterFloatWnd* CSubtitleWnd::Layer() const
{
    auto* layer = dynamic_cast<CWaterFloatWnd*>(m_pOwner->m_pTextLayerWnd);
    return layer && layer->IsOpen() ? layer : nullptr;
}

void CSubtitleWnd::InitWindow()
{
    SkinUI::CControlUI* list = m_pm.FindControl(L"subtitleList");
    m_pList = list ? static_cast<SkinUI::CListUI*>(list->GetInterface(L"List")) : nullptr;
    m_hPaintDC = ::GetDC(m_hWnd);
    // Widths are measured at the window's own DPI, so the DPI comes first.
    m_pm.SetDPI(SkinUI::CDPI::GetMainMonitorDPI());
    if (m_pList)
        for (const TextItem& record : m_pOwner->m_vecTextItems)
            if (!AddRow(record))
                break;
    CenterWindow();
}

int CSubtitleWnd::MeasuredLabelWidth(SkinUI::CControlUI* label, const wchar_t* text)
{
    auto* asLabel = static_cast<SkinUI::CLabelUI*>(label->GetInterface(L"Label"));
    const int font = asLabel ? asLabel->GetFont() : -1;
    const SIZE size = SkinUI::CRenderEngine::GetTextSize(m_hPaintDC, &m_pm, text, font, DT_SINGLELINE);
    return LabelWidthFor(size.cx);
}

bool CSubtitleWnd::AddRow(const TextItem& record)
{
    SkinUI::CControlUI* row = m_rowBuilder.GetMarkup()->IsValid() ? m_rowBuilder.Create(this, &m_pm)
                                                                   : m_rowBuilder.Create(L"subtitlelist.xml", nullptr, this, &m_pm);
    if (!row)
        return false;
    row->SetUserData(record.name.c_str());
    SkinUI::CControlUI* cell = ChildAt(row, 0);
    if (SkinUI::CControlUI* label = InCell(cell, L"FileName")) {
        label->SetText(record.text.c_str());
        label->SetToolTip(record.text.c_str());
        label->SetFixedWidth(MeasuredLabelWidth(label, record.text.c_str()));
    }
    if (SkinUI::CControlUI* start = ChildAt(ChildAt(row, 1), 0))
        start->SetText(record.startText.c_str());
    if (SkinUI::CControlUI* end = ChildAt(ChildAt(row, 2), 0))
        end->SetText(record.endText.c_str());
    m_pList->Add(row);  // the list owns the row
    return true;
}

void CSubtitleWnd::OnClick(SkinUI::TNotifyUI& msg)
{
    if (!msg.pSender)
        return;
    const SkinUI::CUIString name = msg.pSender->GetName();
    if (name == L"closebtn")
        Close(1);
    else if (name == L"changeName")
        StartRename(msg.pSender);
    else if (name == L"delete")
        DeleteRow(msg.pSender);
}

void CSubtitleWnd::StartRename(SkinUI::CControlUI* button)
{
    SkinUI::CControlUI* cell = button->GetParent();
    SkinUI::CControlUI* label = InCell(cell, L"FileName");
    SkinUI::CControlUI* edit = InCell(cell, L"changefilename");
    if (!label || !edit)
        return;
    FinishRename(true);  // another row's edit still open keeps what was typed there
    m_pRenameButton = button;
    m_strRenameBefore = label->GetText();
    edit->SetFixedWidth(label->GetFixedWidth());
    edit->SetText(label->GetText());
    edit->SetVisible(true);
    label->SetVisible(false);
    edit->SetFocus();
    if (auto* rich = static_cast<SkinUI::CRichEditUI*>(edit->GetInterface(L"RichEdit")))
        rich->SetSelAll();
}

SkinUI::CControlUI* CSubtitleWnd::OpenRenameEdit() const
{
    SkinUI::CControlUI* edit = m_pRenameButton ? InCell(m_pRenameButton->GetParent(), L"changefilename") : nullptr;
    return edit && edit->IsVisible() ? edit : nullptr;
}

void CSubtitleWnd::EndRenameAt(POINT point)
{
    SkinUI::CControlUI* edit = OpenRenameEdit();
    if (!edit)
        return;
    const RECT pos = edit->GetPos();
    if (!::PtInRect(&pos, point))
        FinishRename(true);
}

// The record and its item follow every keystroke, so a cancel writes the old text back through
// the edit, which puts it back on both.
void CSubtitleWnd::FinishRename(bool keep)
{
    SkinUI::CControlUI* edit = OpenRenameEdit();
    SkinUI::CControlUI* label = edit ? InCell(m_pRenameButton->GetParent(), L"FileName") : nullptr;
    if (!label)
        return;
    if (!keep)
        edit->SetText(m_strRenameBefore);
    const SkinUI::CUIString text = edit->GetText();
    label->SetText(text);
    label->SetToolTip(text);
    label->SetFixedWidth(MeasuredLabelWidth(label, text));
    label->SetVisible(true);
    edit->SetVisible(false);
}

void CSubtitleWnd::DeleteRow(SkinUI::CControlUI* button)
{
    SkinUI::CControlUI* row = button->GetParent() ? button->GetParent()->GetParent() : nullptr;
    if (!row || !m_pList)
        return;
    const std::wstring name = row->GetUserData().GetData();
    std::vector<TextItem>& records = m_pOwner->m_vecTextItems;
    const auto found = std::find_if(records.begin(), records.end(), [&](const TextItem& r) { return r.name == name; });
    if (found == records.end())
        return;
    CWaterFloatWnd* layer = Layer();
    const bool wasSelected = layer && std::wstring(layer->m_strCurrentName.GetData()) == name;
    if (layer)
        layer->RemoveItem(name.c_str());  // lets go of the current item when it is this one
    records.erase(found);
    if (m_pRenameButton && m_pRenameButton->GetParent() && m_pRenameButton->GetParent()->GetParent() == row)
        m_pRenameButton = nullptr;  // the row goes, and the rename button with it
    m_pList->Remove(row);
    if (wasSelected && layer && !records.empty()) {
        layer->m_strCurrentName = records.back().name.c_str();
        layer->m_pCurrentItem = layer->FindItem(layer->m_strCurrentName);
    }
    if (m_pList->GetCount() == 0)
        m_pOwner->EnableSubtitleSave(false);
}

void CSubtitleWnd::SelectRecord(SkinUI::CControlUI* row)
{
    const std::wstring name = row->GetUserData().GetData();
    const auto& records = m_pOwner->m_vecTextItems;
    const auto found = std::find_if(records.begin(), records.end(), [&](const TextItem& r) { return r.name == name; });
    if (found == records.end())
        return;
    SkinUI::CUIString start[4], end[4];
    const bool timesRead = SplitTimeText(found->startText, start) && SplitTimeText(found->endText, end);
    if (CWaterFloatWnd* layer = Layer()) {
        layer->m_strCurrentName = name.c_str();
        layer->m_pCurrentItem = layer->FindItem(layer->m_strCurrentName);
    }
    if (!timesRead)
        return;
    CMainWnd& main = *m_pOwner;
    SkinUI::CControlUI* const endEdits[4] = { main.m_psubtitleOverHour, main.m_psubtitleOverminute,
                                              main.m_psubtitleOversecond, main.m_psubtitleOverMillsecond };
    SkinUI::CControlUI* const startEdits[4] = { main.m_psubtitleTimerHour, main.m_psubtitleTimerminute,
                                                main.m_psubtitleTimersecond, main.m_psubtitleTimerMillsecond };
    // The clamp-off flag keeps the page's marker code from clamping while the edits change.
    main.m_bSubtitleClampOff = 1;
    SetTexts(endEdits, end);
    SetTexts(startEdits, start);
    main.m_bSubtitleClampOff = 0;
}

void CSubtitleWnd::RenameRecord(SkinUI::CControlUI* edit)
{
    SkinUI::CControlUI* row = edit->GetParent() ? edit->GetParent()->GetParent() : nullptr;
    if (!row)
        return;
    const std::wstring name = row->GetUserData().GetData();
    const std::wstring text = edit->GetText().GetData();
    auto& records = m_pOwner->m_vecTextItems;
    const auto found = std::find_if(records.begin(), records.end(), [&](const TextItem& r) { return r.name == name; });
    if (found == records.end())
        return;
    found->text = text;
    CWaterFloatWnd* layer = Layer();
    if (!layer)
        return;
    layer->m_strCurrentName = name.c_str();
    layer->m_pCurrentItem = layer->FindItem(layer->m_strCurrentName);
    if (!layer->m_pCurrentItem)
        return;  // no item on the layer for this record: nothing to redraw
    layer->m_pCurrentItem->SetItemText(text.c_str());
    layer->m_pCurrentItem->m_bFitPending = true;
    layer->m_pCurrentItem->Invalidate();
}

void CSubtitleWnd::Notify(SkinUI::TNotifyUI& msg)
{
    if (msg.pSender && msg.sType == L"itemclick")
        SelectRecord(msg.pSender);
    else if (msg.pSender && msg.sType == L"textchanged" && msg.pSender->GetName() == L"changefilename")
        RenameRecord(msg.pSender);
    WindowImplBase::Notify(msg);
}

LRESULT CSubtitleWnd::ResponseDefaultKeyEvent(WPARAM wParam)
{
    if (!OpenRenameEdit() || (wParam != VK_RETURN && wParam != VK_ESCAPE))
        return WindowImplBase::ResponseDefaultKeyEvent(wParam);
    FinishRename(wParam == VK_RETURN);
    return 1;
}

LRESULT CSubtitleWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_LBUTTONDOWN)
        EndRenameAt(POINT { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) });
    else if (uMsg == WM_DPICHANGED)
        g_dpiDebounce.Rescale(m_pm, m_hWnd, wParam, lParam);
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}
