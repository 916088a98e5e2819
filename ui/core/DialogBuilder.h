#pragma once
// CDialogBuilder turns a skin document into a tree of controls. It loads the document once (from
// a resource, inline XML, a resource-manager XML id, or a file from the skin archive or disk),
// and each Create then registers the document's shared resources (images, fonts, default
// attribute lists, styles, font files) with the given paint manager, applies the root Window
// element's attributes to that manager's window, and creates one control per element, children
// before their parent's attributes. Unknown tags go to the manager's plugins, then to the
// caller's callback; a tag nobody makes is skipped with everything inside it.
//
// The builder owns nothing it builds: the first top-level control is returned to the caller, and
// every other control belongs to its parent. A control that cannot be attached is deleted.
// UI thread only.

#include "ui/core/Markup.h"
#include "ui/core/StringOrId.h"
#include "ui/core/UIString.h"

namespace SkinUI {

class CControlUI;
class CPaintManagerUI;

class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual CControlUI* CreateControl(const wchar_t* pstrClass) = 0;
};

// How a tree family attaches a control when the control or its parent is a tree node. Returns
// whether the control was taken; *ppTreeView receives the tree view the control now belongs to.
using TreeAttachProc = bool (*)(CControlUI* pParent, CControlUI* pControl, CControlUI** ppTreeView);

// Marks a skin file as being built on this thread for as long as it lives. Entered() is false when
// the file is already being built further out (an Include or a child layout that refers back to
// its own file) or the files are nested deeper than kMaxSkinNesting; the caller then builds
// nothing, so a hostile skin cannot recurse until the stack overflows.
class CSkinNestingGuard {
public:
    static constexpr int kMaxSkinNesting = 32;
    explicit CSkinNestingGuard(const wchar_t* source);
    ~CSkinNestingGuard();
    CSkinNestingGuard(const CSkinNestingGuard&) = delete;
    CSkinNestingGuard& operator=(const CSkinNestingGuard&) = delete;
    bool Entered() const { return m_entered; }
    // Why Entered() is false, for the builder's error message.
    const wchar_t* Refusal() const { return m_refusal; }

private:
    bool m_entered { false };
    bool m_pushed { false };
    const wchar_t* m_refusal { L"" };
};

class CDialogBuilder {
public:
    CDialogBuilder();
    CDialogBuilder(const CDialogBuilder&) = delete;
    CDialogBuilder& operator=(const CDialogBuilder&) = delete;

    CControlUI* Create(STRINGorID xml, const wchar_t* type = nullptr, IDialogBuilderCallback* pCallback = nullptr,
                       CPaintManagerUI* pManager = nullptr, CControlUI* pParent = nullptr);
    CControlUI* Create(IDialogBuilderCallback* pCallback = nullptr, CPaintManagerUI* pManager = nullptr,
                       CControlUI* pParent = nullptr);

    CMarkup* GetMarkup() { return &m_xml; }
    void GetLastErrorMessage(wchar_t* pstrMessage, size_t cchMax) const;
    void GetLastErrorLocation(wchar_t* pstrSource, size_t cchMax) const;
    void SetInstance(HINSTANCE instance) { m_instance = instance; }

    // Set once by the tree control family; without it a tree node cannot be attached anywhere.
    static void SetTreeAttach(TreeAttachProc proc);

private:
    bool Load(STRINGorID xml, const wchar_t* type);
    bool LoadResource(STRINGorID xml, const wchar_t* type);
    void RegisterResources(CMarkupNode& root, CPaintManagerUI* pManager);
    void ApplyWindowAttributes(CMarkupNode& root, CPaintManagerUI* pManager);
    CControlUI* Parse(CMarkupNode* pRoot, CControlUI* pParent = nullptr, CPaintManagerUI* pManager = nullptr);
    void ParseInclude(CMarkupNode& node, CControlUI* pParent, CPaintManagerUI* pManager);
    CControlUI* MakeControl(const wchar_t* pstrClass, CPaintManagerUI* pManager);

    CMarkup m_xml;
    CUIString m_sError;
    IDialogBuilderCallback* m_pCallback { nullptr };
    CUIString m_sType;
    bool m_bHasType { false };
    HINSTANCE m_instance { nullptr };
};

}  // namespace SkinUI
