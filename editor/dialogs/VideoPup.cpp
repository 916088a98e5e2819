#include "editor/dialogs/VideoPup.h"

#include <tinyxml.h>

#include <cstdint>
#include <cwctype>
#include <utility>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/dialogs/DialogDpi.h"
#include "editor/dialogs/DialogKeys.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/TextFile.h"
#include "platform/Windows.h"
#include "platform/base/Path.h"
#include "ui/core/DPI.h"

namespace {

constexpr int kDesktopFolder = 0x10;  // CSIDL_DESKTOPDIRECTORY
constexpr size_t kFolderBufferChars = 52000;
constexpr int kGifHeight = 180;
constexpr int kDialogWidth = 508;
const wchar_t kUnnamed[] = L"无名称";
// A file name holds at most 255 bytes; the rest is room for the extension and the "(n)" that
// keeps an output from replacing another.
constexpr size_t kMaxNameBytes = 200;

CDialogDpiDebounce g_dpiDebounce;

struct SizePreset {
    const wchar_t* text;
    const wchar_t* width;
    const wchar_t* height;
};
constexpr SizePreset kPresets[] = {
    { L"1920x1080", L"1920", L"1080" },
    { L"1280x720", L"1280", L"720" },
    { L"854x480", L"854", L"480" },
};

std::wstring DesktopFolder()
{
    wchar_t buffer[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, buffer, kDesktopFolder, FALSE))
        return {};
    return buffer;
}

// Blanks and dots at either end dropped.
std::wstring TrimmedName(const std::wstring& name)
{
    const size_t first = name.find_first_not_of(L" .\t");
    if (first == std::wstring::npos)
        return {};
    const size_t last = name.find_last_not_of(L" .\t");
    return name.substr(first, last - first + 1);
}

size_t Utf8Length(wchar_t c)
{
    const auto code = static_cast<uint32_t>(c);
    return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
}

bool IsRefusedInName(wchar_t c)
{
    return c < 0x20 || c == 0x7F || std::wcschr(L"\\/:*?\"<>|", c) != nullptr;
}

// Opens the browser at the folder it was given.
int CALLBACK FolderBrowseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM data)
{
    if (msg == BFFM_INITIALIZED)
        ::SendMessage(hwnd, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

std::wstring TextOf(const SkinUI::CControlUI* control)
{
    return control ? std::wstring(control->GetText().GetData()) : std::wstring();
}

}  // namespace

CVideoPup::CVideoPup(CMainWnd* owner, std::wstring mode)
    : m_pOwner(owner)
    , m_strMode(std::move(mode))
{
}

HWND CVideoPup::CreateOwned(HWND owner)
{
    return Create(owner, L"加载进度", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW);
}

std::wstring CVideoPup::CleanOutputName(const std::wstring& name)
{
    std::wstring clean;
    for (wchar_t c : name)
        if (!IsRefusedInName(c))
            clean += c;
    clean = TrimmedName(clean);
    size_t bytes = 0, kept = 0;
    while (kept < clean.size() && (bytes += Utf8Length(clean[kept])) <= kMaxNameBytes)
        ++kept;
    clean = TrimmedName(clean.substr(0, kept));
    return clean.empty() ? kUnnamed : clean;
}

std::wstring CVideoPup::EvenSizeText(const std::wstring& text, const wchar_t* fallback)
{
    long value = 0;
    for (size_t i = 0; i < text.size() && std::iswdigit(text[i]) && value < 100000; ++i)
        value = value * 10 + (text[i] - L'0');
    if (value == 0)
        return fallback;
    return std::to_wstring(value % 2 ? value + 1 : value);
}

bool CVideoPup::SaveOutputFolder(const std::wstring& path, const std::wstring& folder)
{
    TiXmlDocument document;
    document.LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", ""));  // the document owns its nodes
    auto* root = new TiXmlElement("root");
    auto* element = new TiXmlElement("Element1");
    element->SetAttribute("attribute1", Utf8FromWide(folder).c_str());
    root->LinkEndChild(element);
    document.LinkEndChild(root);
    TiXmlPrinter printer;
    document.Accept(&printer);
    std::wstring settingsFolder;
    if (FolderPartOfPath(path, settingsFolder))
        CreateFolderWithParents(settingsFolder);
    return ReplaceFileContents(path, printer.Str());
}

const wchar_t* CVideoPup::GetWindowClassName() const
{
    return L"about_wnd";
}

SkinUI::CUIString CVideoPup::GetSkinFileName()
{
    return L"VideoPup.xml";
}

std::wstring CVideoPup::SettingsFilePath() const
{
    return m_pOwner->OutputFolderSettingsPath();
}

void CVideoPup::InitWindow()
{
    m_strFolder = JoinPath(DesktopFolder(), L"Tessaly");
    m_pFolderBox = m_pm.FindControl(L"Dircte");
    m_pChangeButton = m_pm.FindControl(L"Change");
    m_pExportButton = m_pm.FindControl(L"Open");
    m_pWidthEdit = m_pm.FindControl(L"Width");
    m_pHeightEdit = m_pm.FindControl(L"Height");
    m_pFormatCombo = m_pm.FindControl(L"VideoFormat");
    m_pResolutionCombo = m_pm.FindControl(L"Resolution");
    m_pFileNameEdit = m_pm.FindControl(L"FileName");
    m_pTimesLabel = m_pm.FindControl(L"x");
    MediaFileInfo& info = m_pOwner->m_exportInfo;
    if (m_pFileNameEdit)
        m_pFileNameEdit->SetText(info.name.c_str());
    ShowFolder(m_pOwner->m_strOutFolder);
    info.format = L"mp4";
    info.height = L"";
    info.width = L"";
    if (m_pOwner->m_strOutFolder == m_strFolder && !::PathIsDirectoryW(m_strFolder.c_str()))
        CreateFolderWithParents(m_strFolder);
    ApplyMode();
    m_pm.SetDPI(SkinUI::CDPI::GetMainMonitorDPI());
    CenterWindow();
}

void CVideoPup::ApplyMode()
{
    if (m_strMode == L"SengVideo") {
        for (const wchar_t* name : { L"ExportName", L"FileName" })
            if (SkinUI::CControlUI* control = m_pm.FindControl(name))
                control->SetVisible(false);
        if (SkinUI::CControlUI* format = m_pm.FindControl(L"ExportFormat"))
            format->SetPadding(RECT { 0, 15, 0, 0 });
    } else if (m_strMode == L"gif") {
        if (SkinUI::CControlUI* row = m_pm.FindControl(L"hor3"))
            row->SetPadding(RECT { 0, 17, 0, 0 });
        for (const wchar_t* name : { L"Hor1", L"Hor2" })
            if (SkinUI::CControlUI* control = m_pm.FindControl(name))
                control->SetVisible(false);
        RECT rc {};
        ::GetWindowRect(m_hWnd, &rc);
        SkinUI::CDPI* dpi = m_pm.GetDPIObj();
        ::MoveWindow(m_hWnd, rc.left, rc.top, dpi->Scale(kDialogWidth), dpi->Scale(kGifHeight), TRUE);
        m_pm.SetInitSize(dpi->Scale(kDialogWidth), dpi->Scale(kGifHeight));
    }
}

void CVideoPup::OnClick(SkinUI::TNotifyUI& msg)
{
    const SkinUI::CUIString name = msg.pSender ? msg.pSender->GetName() : SkinUI::CUIString();
    if (name == L"closebtn") {
        // Nothing of this dialog runs an encoder, so there is none to stop.
        Close(1);
        m_pOwner->ShowOverlayWindows(true);
    } else if (name == L"Open") {
        OnExport();
    } else if (name == L"Change") {
        OnChangeFolder();
    }
}

void CVideoPup::OnExport()
{
    MediaFileInfo& info = m_pOwner->m_exportInfo;
    const std::wstring name = CleanOutputName(TextOf(m_pFileNameEdit));
    if (m_pFileNameEdit && TextOf(m_pFileNameEdit) != name)
        m_pFileNameEdit->SetText(name.c_str());
    info.name = name;
    info.folder = TextOf(m_pFolderBox).c_str();
    CreateFolderWithParents(TextOf(m_pFolderBox));  // the export writes there; it may have been removed
    if (CustomSizeShown()) {
        const std::wstring width = EvenSizeText(TextOf(m_pWidthEdit), L"1920");
        const std::wstring height = EvenSizeText(TextOf(m_pHeightEdit), L"1080");
        m_pWidthEdit->SetText(width.c_str());
        m_pHeightEdit->SetText(height.c_str());
        info.width = width.c_str();
        info.height = height.c_str();
    }
    Close(0);
}

void CVideoPup::OnChangeFolder()
{
    std::wstring buffer(kFolderBufferChars, L'\0');
    const std::wstring start = m_pOwner->m_strOutFolder.empty() ? L"C:\\" : m_pOwner->m_strOutFolder;
    start.copy(buffer.data(), std::min(start.size(), kFolderBufferChars - 1));
    BROWSEINFOW browse {};
    browse.hwndOwner = m_hWnd;
    browse.pszDisplayName = buffer.data();
    browse.lpszTitle = L"请选择文件保存目录";
    browse.ulFlags = BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
    browse.lpfn = FolderBrowseCallback;
    browse.lParam = reinterpret_cast<LPARAM>(buffer.data());
    LPITEMIDLIST item = ::SHBrowseForFolderW(&browse);
    if (!item)
        return;
    const BOOL hasPath = ::SHGetPathFromIDListW(item, buffer.data());
    ::CoTaskMemFree(item);
    m_strFolder = hasPath ? buffer.c_str() : L"";
    if (m_strFolder.empty())
        return;
    m_pOwner->m_strOutFolder = m_strFolder;
    SaveOutputFolder(SettingsFilePath(), m_strFolder);  // a failed save keeps the folder for this run
    ShowFolder(m_strFolder);
}

void CVideoPup::ShowFolder(const std::wstring& folder)
{
    // The stored folder keeps its separators; the user sees the desktop's own path, which the
    // export reads back from the box and the file functions take as well.
    if (m_pFolderBox)
        m_pFolderBox->SetText(platform::ToNativePath(folder).c_str());
}

void CVideoPup::Notify(SkinUI::TNotifyUI& msg)
{
    if (msg.sType == L"itemselect") {
        OnItemSelect(msg.pSender);
    } else if (msg.sType == L"textchanged" && CustomSizeShown()
               && (msg.pSender == m_pWidthEdit || msg.pSender == m_pHeightEdit)) {
        // Only the custom size edits speak for the size, and only while they are shown.
        m_pOwner->m_exportInfo.width = TextOf(m_pWidthEdit).c_str();
        m_pOwner->m_exportInfo.height = TextOf(m_pHeightEdit).c_str();
    }
    WindowImplBase::Notify(msg);
}

void CVideoPup::OnItemSelect(SkinUI::CControlUI* sender)
{
    if (!sender)
        return;
    const std::wstring text = TextOf(sender);
    MediaFileInfo& info = m_pOwner->m_exportInfo;
    if (text == L"自动") {
        info.width = L"";
        info.height = L"";
        ShowCustomSize(false);
        return;
    }
    if (text == L"自定义分辨率") {
        ShowCustomSize(true);
        return;
    }
    for (const SizePreset& preset : kPresets) {
        if (text == preset.text) {
            info.width = preset.width;
            info.height = preset.height;
            ShowCustomSize(false);
            return;
        }
    }
    if (sender->GetName() == L"VideoFormat") {
        std::wstring lower = text;
        for (wchar_t& c : lower)
            c = static_cast<wchar_t>(std::towlower(c));
        info.format = lower.c_str();
    }
}

void CVideoPup::ShowCustomSize(bool show)
{
    for (SkinUI::CControlUI* control : { m_pTimesLabel, m_pWidthEdit, m_pHeightEdit })
        if (control)
            control->SetVisible(show);
}

bool CVideoPup::CustomSizeShown() const
{
    return m_pWidthEdit && m_pHeightEdit && m_pWidthEdit->IsVisible();
}

bool CVideoPup::FileNameHasFocus() const
{
    return m_pFileNameEdit && m_pm.GetFocus() == m_pFileNameEdit;
}

LRESULT CVideoPup::ResponseDefaultKeyEvent(WPARAM wParam)
{
    return AnswerDialogKey(*this, wParam, 2);
}

LRESULT CVideoPup::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    // The size edits take digits only; the name takes anything. Return and Escape always reach
    // the dialog's default keys.
    if (uMsg == WM_KEYDOWN) {
        const bool passes = (wParam >= '0' && wParam <= '9') || wParam == VK_BACK || (wParam >= VK_LEFT && wParam <= VK_DOWN)
            || wParam == VK_RETURN || wParam == VK_ESCAPE;
        if (!passes && !FileNameHasFocus())
            return 0;
    } else if (uMsg == WM_CHAR) {
        const bool passes = (wParam >= L'0' && wParam <= L'9') || wParam == VK_RETURN || wParam == VK_ESCAPE;
        if (!passes && !FileNameHasFocus())
            return 0;
    } else if (uMsg == WM_DPICHANGED) {
        g_dpiDebounce.Rescale(m_pm, m_hWnd, wParam, lParam);
    }
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}
