#pragma once
// CPaintManagerUI: one per skinned window. It turns the window's messages into control events,
// keeps the hovered, pressed, key-receiving and focused controls, runs control timers, publishes
// notifications, paints the control tree through an off-screen surface (per-pixel alpha for a
// layered window), and keeps the window's resource tables (fonts, images, styles) on top of the
// process-wide shared ones.
//
// Rules: a manager, its window and its controls belong to the thread that made the window and take
// no locks. The manager owns the root of its tree (deleted with the manager) and every control
// handed to AddDelayedCleanup until the next DeferredWorkMessage. A control may remove or delete
// itself inside its own handlers: the manager never touches a control after delivering an event
// whose handling may have freed it, and a destroyed control is unhooked through ReapObjects. A
// control that leaves the manager (its manager is set to another or to none) is dropped from the
// input targets (focus, hover, press, keys, caret) at once: once gone, its deletion would never
// reach this manager.

#include <string>

#include "platform/WinGdi.h"
#include "platform/WinUser.h"
#include "ui/core/ControlRectDump.h"
#include "ui/core/DPI.h"
#include "ui/core/DragDropUI.h"
#include "ui/core/DrawInfo.h"
#include "ui/core/ShadowUI.h"
#include "ui/core/StdArray.h"
#include "ui/core/StdStringPtrMap.h"
#include "ui/core/StringOrId.h"
#include "ui/core/UIDefines.h"
#include "ui/core/UIString.h"
#include "ui/core/ZipArchiveReader.h"

namespace SkinUI {

class CControlUI;
struct tagTImageInfo;

class CPaintManagerUI : public CIDropTarget {
public:
    CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;
    ~CPaintManagerUI() override;

    // ---- Binding the window and the tree ----
    void Init(HWND hWnd, const wchar_t* pstrName = nullptr);
    bool AttachDialog(CControlUI* pControl);
    bool InitControls(CControlUI* pControl, CControlUI* pParent = nullptr);
    void ReapObjects(CControlUI* pControl);
    void DropInputTargets(CControlUI* pControl);
    void AddDelayedCleanup(CControlUI* pControl);
    static CPaintManagerUI* GetPaintManager(const wchar_t* pstrName);
    static CStdPtrArray* GetPaintManagers();

    // ---- Plain accessors ----
    HWND GetPaintWindow() const { return m_hWndPaint; }
    HDC GetPaintDC() const { return m_hDcPaint; }
    CControlUI* GetRoot() const { return m_pRoot; }
    const CUIString& GetName() const { return m_sName; }
    POINT GetMousePos() const { return m_ptLastMousePos; }
    SIZE GetClientSize() const;
    RECT& GetCaptionRect() { return m_rcCaption; }
    void SetCaptionRect(RECT& rcCaption) { m_rcCaption = rcCaption; }
    RECT& GetSizeBox() { return m_rcSizeBox; }
    void SetSizeBox(RECT& rcSizeBox) { m_rcSizeBox = rcSizeBox; }
    SIZE GetRoundCorner() const { return m_szRoundCorner; }
    void SetRoundCorner(int cx, int cy) { m_szRoundCorner = { cx, cy }; }
    SIZE GetMinInfo() const { return m_szMinWindow; }
    void SetMinInfo(int cx, int cy) { m_szMinWindow = { cx, cy }; }
    SIZE GetMaxInfo() const { return m_szMaxWindow; }
    void SetMaxInfo(int cx, int cy) { m_szMaxWindow = { cx, cy }; }
    SIZE GetInitSize() const { return m_szInitWindowSize; }
    void SetInitSize(int cx, int cy);
    const CUIString& GetXmlPath() const { return m_sXmlPath; }
    void SetXmlPath(const wchar_t* pstrPath) { m_sXmlPath = pstrPath; }
    bool GetShowLine() const { return m_bShowLine; }
    void SetShowLine(bool bShow) { m_bShowLine = bShow; }
    void UsedVirtualWnd(bool bUsed) { m_bUsedVirtualWnd = bUsed; }
    HWND GetTooltipWindow() const { return m_hwndTooltip; }
    static void DeletePtr(void* ptr);

    // ---- Messages ----
    bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    bool PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    static bool TranslateMessage(const MSG* pMsg);
    static void MessageLoop();
    bool TranslateAcceleratorW(MSG* pMsg);
    bool AddMessageFilter(IMessageFilterUI* pFilter);
    bool RemoveMessageFilter(IMessageFilterUI* pFilter);
    bool AddPreMessageFilter(IMessageFilterUI* pFilter);
    bool RemovePreMessageFilter(IMessageFilterUI* pFilter);
    bool AddTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator);
    bool RemoveTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator);
    bool AddNotifier(INotifyUI* pControl);
    bool RemoveNotifier(INotifyUI* pControl);

    // ---- Focus and capture ----
    CControlUI* GetFocus() const { return m_pFocus; }
    // True while the focus was last moved by Tab rather than by a click: focus marks show then.
    bool IsFocusFromKeyboard() const { return m_bFocusFromKeyboard; }
    void SetFocus(CControlUI* pControl);
    void SetFocusNeeded(CControlUI* pControl);
    bool SetNextTabControl(bool bForward = true);
    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const { return m_bMouseCapture; }

    // ---- Finding controls ----
    CControlUI* FindControl(POINT pt) const;
    CControlUI* FindControl(const wchar_t* pstrName) const;
    CControlUI* FindSubControlByPoint(CControlUI* pParent, POINT pt) const;
    CControlUI* FindSubControlByName(CControlUI* pParent, const wchar_t* pstrName) const;
    CControlUI* FindSubControlByClass(CControlUI* pParent, const wchar_t* pstrClass, int iIndex = 0);
    CStdPtrArray* FindSubControlsByClass(CControlUI* pParent, const wchar_t* pstrClass);
    CStdPtrArray* GetFoundControls() { return &m_aFoundControls; }

    // ---- Timers ----
    bool SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse);
    bool KillTimer(CControlUI* pControl, UINT nTimerID);
    void KillTimer(CControlUI* pControl);
    void RemoveAllTimers();

    // ---- Notifications and option groups ----
    void SendNotify(TNotifyUI& Msg, bool bAsync = false);
    void SendNotify(CControlUI* pControl, const wchar_t* pstrMessage, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool bAsync = false);
    bool AddOptionGroup(const wchar_t* pStrGroupName, CControlUI* pControl);
    CStdPtrArray* GetOptionGroup(const wchar_t* pStrGroupName);
    void RemoveOptionGroup(const wchar_t* pStrGroupName, CControlUI* pControl);
    void RemoveAllOptionGroups();

    // ---- Painting ----
    void Invalidate();
    void Invalidate(RECT& rcItem);
    void NeedUpdate() { m_bUpdateNeeded = true; }
    bool IsUpdateNeeded() const { return m_bUpdateNeeded; }
    bool IsPainting() const { return m_bIsPainting; }
    void SetPainting(bool bIsPainting) { m_bIsPainting = bIsPainting; }
    void SetLayered(bool bLayered);
    bool IsLayered() const { return m_bLayered; }
    void SetOpacity(BYTE nOpacity);
    void SetLayeredOpacity(BYTE nOpacity);
    BYTE GetLayeredOpacity() const { return m_nOpacity; }
    void SetLayeredInset(RECT& rcLayeredInset);
    RECT& GetLayeredInset() { return m_rcLayeredInset; }
    void SetShowUpdateRect(bool bShow) { m_bShowUpdateRect = bShow; }
    bool IsShowUpdateRect() const { return m_bShowUpdateRect; }
    bool AddPostPaint(CControlUI* pControl);
    bool RemovePostPaint(CControlUI* pControl);
    bool IsPostPaint(CControlUI* pControl) const;
    bool SetPostPaintIndex(CControlUI* pControl, int iIndex);
    int GetPostPaintCount() const { return m_aPostPaintControls.GetSize(); }
    bool AddPaintChildWnd(HWND hChildWnd);
    bool RemovePaintChildWnd(HWND hChildWnd);
    int GetPaintChildWndCount() const { return m_aChildWnds.GetSize(); }

    // ---- Caret (drawn by the manager for text-editing controls) ----
    bool CreateCaret(HBITMAP hBmp, int nWidth, int nHeight);
    bool ShowCaret(bool bShow);
    bool SetCaretPos(CControlUI* obj, int x, int y);
    CControlUI* GetCurrentCaretObject() const { return m_pCurrentCaretObject; }
    void DrawCaret(HDC hDC, const RECT& rcPaint);

    // ---- Process-wide resource settings ----
    static HINSTANCE GetInstance();
    static void SetInstance(HINSTANCE hInst);
    // The folder of the program module's file, with its trailing separator; empty without one.
    static CUIString GetInstancePath();
    static CUIString GetCurrentPath();
    static void SetCurrentPath(const wchar_t* pStrPath);
    static HINSTANCE GetResourceDll();
    static void SetResourceDll(HINSTANCE hInst);
    static const CUIString& GetResourcePath();
    static void SetResourcePath(const wchar_t* pStrPath);
    static int GetResourceType();
    static void SetResourceType(int nType);
    // The skin archive from a memory block, which must outlive the archive (until Term). The first
    // block given stays; later calls do nothing.
    static void SetResourceZip(void* pVoid, unsigned int len, const wchar_t* password = nullptr);
    // The skin archive from a file in the resource folder, opened now and kept when cached, else
    // opened by each reader for its read.
    static void SetResourceZip(const wchar_t* pstrZip, bool bCachedResourceZip = false,
                               const wchar_t* password = nullptr);
    static const CUIString& GetResourceZip();
    static const CUIString& GetResourceZipPwd();
    static ZipHandle* GetResourceZipHandle();
    static bool IsCachedResourceZip();
    static void Term();
    static bool LoadPlugin(const wchar_t* pstrModuleName);
    static CStdPtrArray* GetPlugins();

    // ---- Images ----
    const tagTImageInfo* GetImage(const wchar_t* bitmap);
    const tagTImageInfo* GetImageEx(const wchar_t* bitmap, const wchar_t* type = nullptr, DWORD mask = 0,
                                    bool bUseHSL = false, HINSTANCE instance = nullptr);
    const tagTImageInfo* AddImage(const wchar_t* bitmap, const wchar_t* type = nullptr, DWORD mask = 0,
                                  bool bUseHSL = false, bool bShared = false, HINSTANCE instance = nullptr);
    const tagTImageInfo* AddImage(const wchar_t* bitmap, HBITMAP hBitmap, int iWidth, int iHeight, bool bAlpha,
                                  bool bShared = false);
    void RemoveImage(const wchar_t* bitmap, bool bShared = false);
    void RemoveAllImages(bool bShared = false);
    const tagTImageInfo* GetImageString(const wchar_t* pStrImage, const wchar_t* pStrModify = nullptr);
    void ReloadImages();
    static void ReloadSharedImages();
    static void ReloadSkin();
    static void SetHSL(bool bUseHSL, short H, short S, short L);
    static bool GetHSL(short* H, short* S, short* L);
    void AdjustImagesHSL();
    static void AdjustSharedImagesHSL();

    // ---- Parsed image attributes ----
    const TDrawInfo* GetDrawInfo(const wchar_t* pStrImage, const wchar_t* pStrModify);
    void RemoveDrawInfo(const wchar_t* pStrImage, const wchar_t* pStrModify);
    void RemoveAllDrawInfos();

    // ---- Styles, default attribute lists, window custom attributes ----
    void AddStyle(const wchar_t* pName, const wchar_t* pStyle, bool bShared = false);
    const wchar_t* GetStyle(const wchar_t* pName) const;
    CStdStringPtrMap* GetStyles(bool bShared = false);
    bool RemoveStyle(const wchar_t* pName, bool bShared = false);
    void RemoveAllStyle(bool bShared = false);
    void AddDefaultAttributeList(const wchar_t* pStrControlName, const wchar_t* pStrControlAttrList,
                                 bool bShared = false);
    const wchar_t* GetDefaultAttributeList(const wchar_t* pStrControlName) const;
    bool RemoveDefaultAttributeList(const wchar_t* pStrControlName, bool bShared = false);
    void RemoveAllDefaultAttributeList(bool bShared = false);
    void AddWindowCustomAttribute(const wchar_t* pstrName, const wchar_t* pstrAttr);
    const wchar_t* GetWindowCustomAttribute(const wchar_t* pstrName) const;
    bool RemoveWindowCustomAttribute(const wchar_t* pstrName);
    void RemoveAllWindowCustomAttribute();
    void SetForceUseSharedRes(bool bForce) { m_bForceUseSharedRes = bForce; }
    bool IsForceUseSharedRes() const { return m_bForceUseSharedRes; }

    // ---- Default colours (a shared change follows into windows that kept the shared value) ----
    DWORD GetDefaultDisabledColor() const { return m_ResInfo.m_dwDefaultDisabledColor; }
    void SetDefaultDisabledColor(DWORD dwColor, bool bShared = false);
    DWORD GetDefaultFontColor() const { return m_ResInfo.m_dwDefaultFontColor; }
    void SetDefaultFontColor(DWORD dwColor, bool bShared = false);
    DWORD GetDefaultLinkFontColor() const { return m_ResInfo.m_dwDefaultLinkFontColor; }
    void SetDefaultLinkFontColor(DWORD dwColor, bool bShared = false);
    DWORD GetDefaultLinkHoverFontColor() const { return m_ResInfo.m_dwDefaultLinkHoverFontColor; }
    void SetDefaultLinkHoverFontColor(DWORD dwColor, bool bShared = false);
    DWORD GetDefaultSelectedBkColor() const { return m_ResInfo.m_dwDefaultSelectedBkColor; }
    void SetDefaultSelectedBkColor(DWORD dwColor, bool bShared = false);

    // ---- Text drawing settings of the window ----
    void SetUseGdiplusText(bool bUse) { m_bUseGdiplusText = bUse; }
    bool IsUseGdiplusText() const { return m_bUseGdiplusText; }
    void SetGdiplusTextRenderingHint(int trh) { m_trh = trh; }
    int GetGdiplusTextRenderingHint() const { return m_trh; }

    // ---- Fonts ----
    HFONT AddFont(int id, const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                  bool bShared = false);
    void AddFontArray(const wchar_t* pstrPath);
    HFONT GetFont(int id);
    HFONT GetFont(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    int GetFontIndex(HFONT hFont, bool bShared = false);
    int GetFontIndex(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                     bool bShared = false);
    void RemoveFont(HFONT hFont, bool bShared = false);
    void RemoveFont(int id, bool bShared = false);
    void RemoveAllFonts(bool bShared = false);
    TFontInfo* GetFontInfo(int id);
    TFontInfo* GetFontInfo(HFONT hFont);
    TFontInfo* GetDefaultFontInfo();
    void SetDefaultFont(const wchar_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic,
                        bool bShared = false);
    DWORD GetCustomFontCount(bool bShared = false) const;
    void RebuildFont(TFontInfo* pFontInfo);

    // ---- Multi-language strings (process-wide) ----
    static bool LoadLanguage(const STRINGorID& xml, const wchar_t* type = nullptr);
    static void AddMultiLanguageString(const wchar_t* id, const wchar_t* pStrMultiLanguage);
    static const wchar_t* GetMultiLanguageString(const wchar_t* id);
    static bool RemoveMultiLanguageString(const wchar_t* id);
    static void RemoveAllMultiLanguageString();
    static void ProcessMultiLanguageTokens(CUIString& pStrMultiLanguage);
    static void AddLanguageNotifier(HWND hWnd);
    static void DelLanguageNotifier(HWND hWnd);
    static void ChangeLanguage();
    void UpdateLanguage();

    // ---- DPI ----
    CDPI* GetDPIObj();
    void SetDPI(int iDPI);
    static void SetAllDPI(int iDPI);
    void ResetDPIAssets();

    // ---- Drag and drop (the window's drop target and drags of its controls; see
    // PaintManagerUIDrop.cpp) ----
    bool InitDragDrop();
    bool OnDrop(FORMATETC* pFmtEtc, STGMEDIUM& medium, DWORD* pdwEffect) override;

    // ---- Shadow ----
    CShadowUI* GetShadow() { return &m_shadow; }

private:
    struct TimerRecord {
        CControlUI* pSender;
        UINT nLocalID;
        HWND hWnd;
        UINT uWinTimer;
        bool bKilled;
    };

    // Message dispatch pieces
    bool HandleMouseMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    void OnMouseMove(WPARAM wParam, LPARAM lParam);
    void PrepareDrag(CControlUI* pControl);
    void StartDrag();
    bool OnMouseHover(WPARAM wParam, LPARAM lParam);
    void OnMouseLeave();
    void OnButtonPress(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnButtonRelease(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnMouseWheel(WPARAM wParam, LPARAM lParam);
    void OnContextMenu(WPARAM wParam, LPARAM lParam);
    void OnClose();
    void OnTimer(WPARAM wParam);
    CControlUI* PressTarget(POINT pt) const;
    void SendEvent(CControlUI* pControl, int type, POINT pt, WPARAM wParam, LPARAM lParam, WORD keyState);
    void SendKeyEvent(CControlUI* pControl, int type, WPARAM wParam, LPARAM lParam);
    void DeactivateTooltip();
    void ShowTooltip(CControlUI* pControl);

    // Deferred work and notifications
    void DoDeferredWork();
    void DeliverNotify(TNotifyUI& Msg);

    // Painting
    void OnPaint();
    void OnPrintClient(WPARAM wParam, LPARAM lParam);
    void LayoutPass(const RECT& rcClient, bool& bResized);
    void FixLayeredAlpha(const RECT& rcPaint);
    void PaintChildWindows(const RECT& rcPaint);
    void PresentLayered(const RECT& rcClient);
    void DropOffscreen();

    // Resource tables
    TResInfo& TableFor(bool bShared);
    void ClearWindowTables();
    void MeasureFont(TFontInfo* pFontInfo);
    HFONT CreateFontFromInfo(const TFontInfo& info, bool stockWeightPlusBold, bool clearType);

    static void FreeImageTable(CStdStringPtrMap& table);
    static void FreeFontTable(CStdStringPtrMap& table);
    void RebuildFontTable(CStdStringPtrMap& table);
    static void FreeStringTable(CStdStringPtrMap& table);
    static void ReloadImageTable(CStdStringPtrMap& table, bool dropFailed, const CDPI* dpi);
    static void AdjustImageTable(CStdStringPtrMap& table);
    void SetDefaultColor(DWORD tagTResInfo::*field, DWORD dwColor, bool bShared);
    static void InitSharedResources();
    static void CloseCachedResourceZip();
    static std::string AnsiResourceZipPassword();

    static CControlUI* __FindControlFromNameHash(CControlUI* pThis, void* pData);
    static CControlUI* __FindControlFromCount(CControlUI* pThis, void* pData);
    static CControlUI* __FindControlFromPoint(CControlUI* pThis, void* pData);
    static CControlUI* __FindControlFromTab(CControlUI* pThis, void* pData);
    static CControlUI* __FindControlFromShortcut(CControlUI* pThis, void* pData);
    static CControlUI* __FindControlFromName(CControlUI* pThis, void* pData);
    static CControlUI* __FindControlFromClass(CControlUI* pThis, void* pData);
    static CControlUI* __FindControlsFromClass(CControlUI* pThis, void* pData);
    static CControlUI* __FindControlsFromUpdate(CControlUI* pThis, void* pData);
    static CControlUI* __FindControlsFromDPIChange(CControlUI* pThis, void* pData);

    CUIString m_sXmlPath;
    CUIString m_sName;
    HWND m_hWndPaint { nullptr };
    HDC m_hDcPaint { nullptr };
    HDC m_hDcOffscreen { nullptr };
    HBITMAP m_hbmpOffscreen { nullptr };
    BYTE* m_pOffscreenBits { nullptr };
    CDPI* m_pDPI { nullptr };
    bool m_bShowUpdateRect { false };
    bool m_bUseGdiplusText { false };
    bool m_bShowLine { false };
    int m_trh { 0 };
    ULONG_PTR m_gdiplusToken { 0 };
    HWND m_hwndTooltip { nullptr };
    TTTOOLINFOW m_ToolTip {};
    CUIString m_sToolTipText;
    RECT m_rtCaret {};
    bool m_bCaretActive { false };
    bool m_bCaretShowing { false };
    CControlUI* m_pCurrentCaretObject { nullptr };
    CControlUI* m_pRoot { nullptr };
    CControlUI* m_pFocus { nullptr };
    CControlUI* m_pEventHover { nullptr };
    CControlUI* m_pEventClick { nullptr };
    CControlUI* m_pEventKey { nullptr };
    POINT m_ptLastMousePos { -1, -1 };
    SIZE m_szMinWindow {};
    SIZE m_szMaxWindow {};
    SIZE m_szInitWindowSize {};
    RECT m_rcSizeBox {};
    SIZE m_szRoundCorner {};
    RECT m_rcCaption {};
    UINT m_uTimerID { 0x1000 };
    bool m_bFirstLayout { true };
    bool m_bUpdateNeeded { false };
    bool m_bFocusNeeded { false };
    bool m_bFocusFromKeyboard { false };
    BYTE m_nOpacity { 255 };
    bool m_bLayered { false };
    RECT m_rcLayeredInset {};
    RECT m_rcLayeredUpdate {};
    bool m_bMouseTracking { false };
    bool m_bMouseCapture { false };
    bool m_bIsPainting { false };
    bool m_bUsedVirtualWnd { false };
    CStdPtrArray m_aNotifiers;
    CStdPtrArray m_aTimers;
    CStdPtrArray m_aTranslateAccelerator;
    CStdPtrArray m_aPreMessageFilters;
    CStdPtrArray m_aMessageFilters;
    CStdPtrArray m_aPostPaintControls;
    CStdPtrArray m_aChildWnds;
    CStdPtrArray m_aDelayedCleanup;
    CStdPtrArray m_aAsyncNotify;
    mutable CStdPtrArray m_aFoundControls;
    CStdPtrArray m_aFonts;
    CStdStringPtrMap m_mNameHash;
    CStdStringPtrMap m_mWindowCustomAttrHash;
    CStdStringPtrMap m_mOptionGroup;
    bool m_bForceUseSharedRes { false };
    TResInfo m_ResInfo;
    bool m_bDragPending { false };
    HBITMAP m_hDragBitmap { nullptr };
    CControlRectDump m_rectDump;
    CShadowUI m_shadow;  // last: gone first, while the window it follows may still be there

    static CStdPtrArray m_aPreMessages;
    static CStdPtrArray m_aPlugins;
    static HINSTANCE m_hInstance;
    static HINSTANCE m_hResourceInstance;
    static CUIString m_pStrResourcePath;
    static CUIString m_pStrResourceZip;
    static CUIString m_pStrResourceZipPwd;
    static ZipHandle* m_hResourceZip;
    static bool m_bCachedResourceZip;
    static int m_nResType;
    static TResInfo m_SharedResInfo;
    static bool m_bUseHSL;
    static short m_H;
    static short m_S;
    static short m_L;
    static bool m_bSharedInitDone;
};

}  // namespace SkinUI
