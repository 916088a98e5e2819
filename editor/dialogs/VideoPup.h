#pragma once
// The export settings dialog every export command shows before its job starts: output name,
// container format, picture size and output folder. Its answers go into the main window's
// m_exportInfo and m_strOutFolder; a newly picked folder is saved at once to
// "Config\VideoConvert.xml" in the per-user data folder (UTF-8, written beside and renamed).
// The mode trims it: "" and "Optimize" show everything, "SengVideo" hides the name, "gif" keeps
// only the folder row.
//
// Threads and ownership: UI thread only. The export command owns the object (usually on its
// stack), creates it owned by the main window and runs ShowModal: 0 = export ("Open"),
// 1 = closed ("closebtn"), 2 = Escape. The window does not delete the object. The dialog never
// stops an encoder: it starts none, and background exports (GIF and clip rows) keep theirs.
//
// What it stores is always usable: a size is even decimal text or "" (keep the source's), and a
// name is a plain file name without folder separators or characters file systems refuse.

#include <string>

#include "ui/core/WindowImplBase.h"

class CMainWnd;

class CVideoPup : public SkinUI::WindowImplBase {
public:
    CVideoPup(CMainWnd* owner, std::wstring mode);

    // Creates the window as the export commands do: owned by the main window, popup tool window.
    HWND CreateOwned(HWND owner);

    // An output name as the user typed it, made safe: separators and characters that file
    // systems refuse are dropped, blanks and dots at either end trimmed, and a name too long for a
    // file name cut to fit; nothing left: "无名称".
    static std::wstring CleanOutputName(const std::wstring& name);
    // A custom size text as the encoder gets it: its leading digits as a number, raised to the
    // next even number; no digits or 0 give the fallback.
    static std::wstring EvenSizeText(const std::wstring& text, const wchar_t* fallback);
    // Writes the settings file with the folder; false (the old file kept) when it cannot.
    static bool SaveOutputFolder(const std::wstring& path, const std::wstring& folder);

    const wchar_t* GetWindowClassName() const override;
    void InitWindow() override;
    void OnClick(SkinUI::TNotifyUI& msg) override;
    void Notify(SkinUI::TNotifyUI& msg) override;

protected:
    SkinUI::CUIString GetSkinFileName() override;
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    void OnExport();
    void OnChangeFolder();
    void ShowFolder(const std::wstring& folder);
    void OnItemSelect(SkinUI::CControlUI* sender);
    void ShowCustomSize(bool show);
    bool CustomSizeShown() const;
    bool FileNameHasFocus() const;
    void ApplyMode();
    std::wstring SettingsFilePath() const;

    CMainWnd* m_pOwner;
    std::wstring m_strFolder;
    SkinUI::CControlUI* m_pFolderBox { nullptr };
    SkinUI::CControlUI* m_pWidthEdit { nullptr };
    SkinUI::CControlUI* m_pHeightEdit { nullptr };
    SkinUI::CControlUI* m_pFileNameEdit { nullptr };
    SkinUI::CControlUI* m_pChangeButton { nullptr };
    SkinUI::CControlUI* m_pExportButton { nullptr };
    SkinUI::CControlUI* m_pFormatCombo { nullptr };
    SkinUI::CControlUI* m_pResolutionCombo { nullptr };
    SkinUI::CControlUI* m_pTimesLabel { nullptr };
    std::wstring m_strMode;
};
