#include "editor/dialogs/WaterFloatWnd.h"

#include <cwchar>

#include "editor/dialogs/OverlayShared.h"
#include "editor/mainwnd/MainWnd.h"

namespace {

constexpr DWORD kItemBackground = 0x01000000;  // alpha 1: transparent to the eye, still hit by the mouse
constexpr int kEmptyItemWidth = 40;
constexpr int kEmptyItemHeight = 50;

const TextItem* FindRecord(const SkinUI::CUIString& name)
{
    if (MainWindowPointer == nullptr)
        return nullptr;
    for (const TextItem& item : MainWindowPointer->m_vecTextItems) {
        if (name == item.name.c_str())
            return &item;
    }
    return nullptr;
}

SkinUI::CUIString FormatRect(const RECT& rc)
{
    SkinUI::CUIString text;
    text.Format(L"%d,%d,%d,%d", rc.left, rc.top, rc.right, rc.bottom);
    return text;
}

// "hh:mm:ss.f" as hours, minutes, seconds and fraction; false unless it has exactly three
// ":"-separated parts (the edits are never filled from a time of another shape).
bool SplitTime(const std::wstring& time, SkinUI::CUIString parts[4])
{
    const std::vector<SkinUI::CUIString> pieces = SplitUIString(time.c_str(), L":");
    if (pieces.size() != 3)
        return false;
    parts[0] = pieces[0];
    parts[1] = pieces[1];
    const int dot = pieces[2].Find(L'.');
    parts[2] = dot < 0 ? pieces[2] : pieces[2].Left(dot);
    parts[3] = dot < 0 ? SkinUI::CUIString() : pieces[2].Mid(dot + 1);
    return true;
}

void SetEditTexts(SkinUI::CControlUI* const edits[4], const SkinUI::CUIString parts[4])
{
    for (int i = 0; i < 4; ++i) {
        if (edits[i] != nullptr)
            edits[i]->SetText(parts[i].GetData());
    }
}

}  // namespace

CWaterFloatWnd::~CWaterFloatWnd()
{
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

const wchar_t* CWaterFloatWnd::GetWindowClassName() const
{
    return L"WaterFloatWnd";
}

SkinUI::CUIString CWaterFloatWnd::GetSkinFileName()
{
    return L"VideoWaterFloatWnd.xml";
}

SkinUI::CControlUI* CWaterFloatWnd::CreateControl(const wchar_t* pstrClass)
{
    if (::wcscasecmp(pstrClass, L"WaterText") == 0)
        return new CWaterTextUI();  // the root owns it once added
    return nullptr;
}

void CWaterFloatWnd::InitWindow()
{
    TextLayerWindowHandle = m_hWnd;
    m_pRoot = static_cast<SkinUI::CContainerUI*>(m_pm.FindControl(L"root"));
    m_hPaintDC = ::GetDC(m_hWnd);
}

LRESULT CWaterFloatWnd::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& bHandled)
{
    bHandled = false;
    return 0;
}

// The tree goes with the window; the object stays for its owner, with nothing left to point at.
void CWaterFloatWnd::OnFinalMessage(HWND hWnd)
{
    if (m_hPaintDC != nullptr)
        ::ReleaseDC(hWnd, m_hPaintDC);
    m_hPaintDC = nullptr;
    m_pRoot = nullptr;
    m_pCurrentItem = nullptr;
    m_strCurrentName.Empty();
    if (TextLayerWindowHandle == hWnd)
        TextLayerWindowHandle = nullptr;
    WindowImplBase::OnFinalMessage(hWnd);
}

void CWaterFloatWnd::PinItemPositions()
{
    if (m_pRoot == nullptr)
        return;
    for (int i = 0; i < m_pRoot->GetCount(); ++i) {
        SkinUI::CControlUI* item = m_pRoot->GetItemAt(i);
        item->SetAttribute(L"pos", FormatRect(item->GetPos()).GetData());
    }
}

CWaterTextUI* CWaterFloatWnd::AddItem(const SkinUI::CUIString& name, const SkinUI::CUIString& text,
                                      const SkinUI::CUIString& fontName, int size, DWORD, bool samePosition)
{
    if (m_pRoot == nullptr)
        return nullptr;
    PinItemPositions();
    auto* item = new CWaterTextUI();
    item->SetAttribute(L"float", L"true");
    item->SetName(name.GetData());
    item->SetBkColor(kItemBackground);
    m_pRoot->Add(item);  // the root owns it
    m_pCurrentItem = item;
    m_strCurrentName = name;
    const Gdiplus::RectF box = MeasureItemText(text, fontName, size);
    const int count = m_pRoot->GetCount();
    if (samePosition && count >= 2) {
        const RECT previous = m_pRoot->GetItemAt(count - 2)->GetPos();
        item->SetPos(previous);
        item->SetAttribute(L"pos", FormatRect(previous).GetData());
        return item;
    }
    PlaceInCascade(item, box, text);
    return item;
}

void CWaterFloatWnd::PlaceInCascade(CWaterTextUI* item, const Gdiplus::RectF& box, const SkinUI::CUIString& text)
{
    RECT window {};
    ::GetWindowRect(m_hWnd, &window);
    const int ww = window.right - window.left, wh = window.bottom - window.top;
    const int n = m_pRoot->GetCount();
    const int x = ww / 3 + 10 * n, y = wh / 3 + 10 * n;
    SkinUI::CUIString pos(L"0,0");
    if (ww > x + box.Width && wh > y + box.Height)
        pos.Format(L"%d,%d", x, y);
    item->SetAttribute(L"pos", pos.GetData());
    if (text.IsEmpty()) {
        item->SetFixedHeight(kEmptyItemHeight);
        item->SetFixedWidth(kEmptyItemWidth);
        return;
    }
    item->SetFixedHeight(static_cast<int>(box.Height));
    item->SetFixedWidth(static_cast<int>(box.Width + WatermarkSettings.size / 3));
}

CWaterTextUI* CWaterFloatWnd::FindItem(const SkinUI::CUIString& name) const
{
    if (m_pRoot == nullptr)
        return nullptr;
    for (int i = 0; i < m_pRoot->GetCount(); ++i) {
        SkinUI::CControlUI* item = m_pRoot->GetItemAt(i);
        if (item->GetName() == name.GetData())
            return static_cast<CWaterTextUI*>(item->GetInterface(L"WaterText"));
    }
    return nullptr;
}

CWaterTextUI* CWaterFloatWnd::FindSelectedItem() const
{
    if (MainWindowPointer == nullptr)
        return nullptr;
    return FindItem(MainWindowPointer->m_textItem.name.c_str());
}

void CWaterFloatWnd::ShowItem(const SkinUI::CUIString& name, bool visible)
{
    PinItemPositions();
    if (CWaterTextUI* item = FindItem(name))
        item->SetVisible(visible);
}

void CWaterFloatWnd::RemoveItem(const SkinUI::CUIString& name)
{
    CWaterTextUI* item = FindItem(name);
    if (item == nullptr)
        return;
    if (item == m_pCurrentItem) {
        m_pCurrentItem = nullptr;
        m_strCurrentName.Empty();
    }
    m_pRoot->Remove(item);  // the root deletes it
    PinItemPositions();
}

void CWaterFloatWnd::RemoveAllItems()
{
    m_pCurrentItem = nullptr;
    m_strCurrentName.Empty();
    if (m_pRoot != nullptr)
        m_pRoot->RemoveAll();
}

Gdiplus::RectF CWaterFloatWnd::MeasureItemText(const SkinUI::CUIString& text, const SkinUI::CUIString& fontName,
                                               int size) const
{
    const Gdiplus::Font font(fontName.GetData(), static_cast<Gdiplus::REAL>(size), Gdiplus::FontStyleRegular,
                             Gdiplus::UnitPixel);
    return MeasureOverlayText(text.GetData(), font);
}

void CWaterFloatWnd::Notify(SkinUI::TNotifyUI& msg)
{
    if (msg.sType == L"click" && msg.pSender != nullptr && msg.pSender->GetInterface(L"WaterText") != nullptr)
        Select(static_cast<CWaterTextUI*>(msg.pSender->GetInterface(L"WaterText")));
    WindowImplBase::Notify(msg);
}

void CWaterFloatWnd::Select(CWaterTextUI* item)
{
    m_pCurrentItem = item;
    m_strCurrentName = item->GetName();
    PinItemPositions();
    if (m_pRoot != nullptr)
        m_pRoot->SetItemIndex(item, m_pRoot->GetCount() - 1);
    if (const TextItem* record = FindRecord(m_strCurrentName))
        ShowItemTimes(*record);
}

// Fills the subtitle page's eight time edits; the clamp-off flag keeps the page's marker code
// from clamping while they change.
void CWaterFloatWnd::ShowItemTimes(const TextItem& record)
{
    CMainWnd* main = MainWindowPointer;
    SkinUI::CUIString start[4], end[4];
    if (main == nullptr || !SplitTime(record.startText, start) || !SplitTime(record.endText, end))
        return;
    SkinUI::CControlUI* const endEdits[4] = { main->m_psubtitleOverHour, main->m_psubtitleOverminute,
                                              main->m_psubtitleOversecond, main->m_psubtitleOverMillsecond };
    SkinUI::CControlUI* const startEdits[4] = { main->m_psubtitleTimerHour, main->m_psubtitleTimerminute,
                                                main->m_psubtitleTimersecond, main->m_psubtitleTimerMillsecond };
    main->m_bSubtitleClampOff = 1;
    SetEditTexts(endEdits, end);
    SetEditTexts(startEdits, start);
    main->m_bSubtitleClampOff = 0;
}
