#include "editor/dialogs/HisToryWnd.h"

#include "editor/dialogs/DialogKeys.h"
#include "editor/mainwnd/MainWnd.h"
#include "platform/Windows.h"
#include "ui/controls/ButtonUI.h"
#include "ui/controls/ListElementUI.h"
#include "ui/controls/ListUI.h"
#include "ui/core/DPI.h"

namespace {

// A file-name cell: underlined, blue under the mouse, the file's path as its data and tooltip.
SkinUI::CButtonUI* FileCell(const std::wstring& name, const std::wstring& path)
{
    auto* cell = new SkinUI::CButtonUI();
    cell->SetName(L"Path");
    cell->SetText(name.c_str());
    cell->SetAttribute(L"font", L"21");
    cell->SetAttribute(L"textcolor", L"#FF4F4F4F");
    cell->SetAttribute(L"cursor", L"hand");
    cell->SetAttribute(L"hottextcolor", L"#FF347AEB");
    cell->SetAttribute(L"pushedtextcolor", L"#FF347AEB");
    cell->SetUserData(path.c_str());
    cell->SetToolTip(path.c_str());
    cell->SetAttribute(L"endellipsis", L"true");
    return cell;
}

}  // namespace

CHisToryWnd::CHisToryWnd(CMainWnd* owner)
    : m_pOwner(owner)
{
}

HWND CHisToryWnd::CreateOwned(HWND owner)
{
    return Create(owner, L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW);
}

const wchar_t* CHisToryWnd::GetWindowClassName() const
{
    return L"historywnd";
}

SkinUI::CUIString CHisToryWnd::GetSkinFileName()
{
    return L"history.xml";
}

void CHisToryWnd::InitWindow()
{
    m_pMessage = m_pm.FindControl(L"edit_msg");
    SkinUI::CControlUI* list = m_pm.FindControl(L"FileList");
    m_pList = list ? static_cast<SkinUI::CListUI*>(list->GetInterface(L"List")) : nullptr;
    if (m_pList)
        for (const HistoryRecord& record : m_pOwner->HistorySnapshot())
            AddRow(record);
    m_pm.SetDPI(SkinUI::CDPI::GetMainMonitorDPI());
    CenterWindow();
}

void CHisToryWnd::AddRow(const HistoryRecord& record)
{
    auto* row = new SkinUI::CListContainerElementUI();
    row->SetFixedHeight(30);
    row->SetFixedWidth(478);
    row->SetAttribute(L"bordersize", L"0,0,0,1");
    row->SetAttribute(L"bordercolor", L"#FFD7D7D7");
    row->SetPadding(RECT { 1, 0, 10, 0 });
    auto* date = new SkinUI::CButtonUI();
    date->SetAttribute(L"font", L"5");
    date->SetAttribute(L"textcolor", L"#FF4F4F4F");
    date->SetText(record.date.c_str());
    row->Add(date);  // the row owns its cells
    // The records keep whole file paths, so the file manager can show the file itself selected.
    row->Add(FileCell(record.sourceName, record.sourcePath));
    row->Add(new SkinUI::CButtonUI());
    row->Add(FileCell(record.outputName, record.outputPath));
    m_pList->Add(row);  // the list owns the row
}

void CHisToryWnd::OnClick(SkinUI::TNotifyUI& msg)
{
    if (!msg.pSender)
        return;
    const SkinUI::CUIString name = msg.pSender->GetName();
    if (name == L"closebtn") {
        Close(1);
    } else if (name == L"Clear") {
        if (m_pList)
            m_pList->RemoveAll();
        m_pOwner->ClearHistory();
    } else if (name == L"Path") {
        const std::wstring path = msg.pSender->GetUserData().GetData();
        if (path.empty() || !CMainWnd::FileExists(path))
            return;
        const std::wstring parameters = L" /select, \"" + path + L"\"";
        ::ShellExecuteW(nullptr, L"open", L"explorer", parameters.c_str(), nullptr, SW_SHOWDEFAULT);
    }
}

LRESULT CHisToryWnd::ResponseDefaultKeyEvent(WPARAM wParam)
{
    return AnswerDialogKey(*this, wParam, 2);
}
