#include "ui/core/DialogBuilder.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/Resource.h"
#include "ui/core/ContainerUI.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/ControlUI.h"
#include "ui/core/DPI.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/ResourceManager.h"
#include "ui/core/UIGeometry.h"

namespace SkinUI {

namespace {

using PluginCreate = CControlUI* (*)(const wchar_t* pstrType);

TreeAttachProc g_treeAttach = nullptr;

// An Include repeated more often than this is a damaged skin, not a layout.
constexpr int kMaxIncludeCount = 1000;

// The skin files being built on this thread, outermost first, compared without regard to case.
thread_local std::vector<CUIString> t_building;

bool Is(const wchar_t* name, const wchar_t* key)
{
    return CUIString(name).CompareNoCase(key) == 0;
}

bool ReadFlag(const wchar_t* value)
{
    return Is(value, L"true");
}

int ReadDecimal(const wchar_t* value)
{
    return ReadSkinNumber(value);
}

// "#AARRGGBB" or "AARRGGBB".
DWORD ReadColour(const wchar_t* value)
{
    if (*value == L'#')
        ++value;
    return static_cast<DWORD>(std::wcstoul(value, nullptr, 16));
}

// Up to four decimal numbers, each followed by one separator character.
RECT ReadNumbers(const wchar_t* value)
{
    LONG out[4] = {};
    wchar_t* end = const_cast<wchar_t*>(value);
    for (LONG& number : out) {
        number = ReadSkinNumber(end, &end);
        if (*end == L'\0')
            break;
        ++end;
    }
    return { out[0], out[1], out[2], out[3] };
}

// Attribute value of a resource element, or the fallback when it is missing.
const wchar_t* Attribute(CMarkupNode& node, const wchar_t* name, const wchar_t* fallback = L"")
{
    for (int i = 0; i < node.GetAttributeCount(); ++i) {
        if (Is(node.GetAttributeName(i), name))
            return node.GetAttributeValue(i);
    }
    return fallback;
}

void AddImage(CMarkupNode& node, CPaintManagerUI* pManager)
{
    const wchar_t* name = Attribute(node, L"name");
    if (*name == L'\0')
        return;
    const wchar_t* type = Attribute(node, L"restype", nullptr);
    const DWORD mask = ReadColour(Attribute(node, L"mask", L"0"));
    pManager->AddImage(name, type, mask, false, ReadFlag(Attribute(node, L"shared")), nullptr);
}

void AddFont(CMarkupNode& node, CPaintManagerUI* pManager)
{
    const int id = ReadDecimal(Attribute(node, L"id", L"-1"));
    if (id < 0)
        return;
    const wchar_t* name = Attribute(node, L"name");
    const int size = std::clamp(ReadDecimal(Attribute(node, L"size", L"12")), -kMaxSkinFontSize, kMaxSkinFontSize);
    const bool bold = ReadFlag(Attribute(node, L"bold"));
    const bool underline = ReadFlag(Attribute(node, L"underline"));
    const bool italic = ReadFlag(Attribute(node, L"italic"));
    const bool shared = ReadFlag(Attribute(node, L"shared"));
    pManager->AddFont(id, name, size, bold, underline, italic, shared);
    if (ReadFlag(Attribute(node, L"default")))
        pManager->SetDefaultFont(name, size, bold, underline, italic, shared);
}

void ApplyWindowAttribute(CPaintManagerUI* pManager, const wchar_t* name, const wchar_t* value)
{
    const RECT numbers = ReadNumbers(value);
    RECT rect = numbers;
    if (Is(name, L"size")) {
        CDPI* dpi = pManager->GetDPIObj();
        pManager->SetInitSize(dpi->Scale(static_cast<int>(numbers.left)), dpi->Scale(static_cast<int>(numbers.top)));
    } else if (Is(name, L"sizebox")) {
        pManager->SetSizeBox(rect);
    } else if (Is(name, L"caption")) {
        pManager->SetCaptionRect(rect);
    } else if (Is(name, L"roundcorner")) {
        pManager->SetRoundCorner(numbers.left, numbers.top);
    } else if (Is(name, L"mininfo")) {
        pManager->SetMinInfo(numbers.left, numbers.top);
    } else if (Is(name, L"maxinfo")) {
        pManager->SetMaxInfo(numbers.left, numbers.top);
    } else if (Is(name, L"xmlPath")) {
        pManager->SetXmlPath(value);
    } else if (Is(name, L"showline")) {
        pManager->SetShowLine(ReadFlag(value));
    } else if (Is(name, L"showdirty")) {
        pManager->SetShowUpdateRect(ReadFlag(value));
    } else if (Is(name, L"opacity") || Is(name, L"alpha")) {
        pManager->SetOpacity(static_cast<BYTE>(ReadDecimal(value)));
    } else if (std::wcscmp(name, L"layeredopacity") == 0) {
        pManager->SetLayeredOpacity(static_cast<BYTE>(ReadDecimal(value)));
    } else if (std::wcscmp(name, L"layered") == 0 || std::wcscmp(name, L"bktrans") == 0) {
        pManager->SetLayered(ReadFlag(value));
    } else if (Is(name, L"disabledfontcolor")) {
        pManager->SetDefaultDisabledColor(ReadColour(value));
    } else if (Is(name, L"defaultfontcolor")) {
        pManager->SetDefaultFontColor(ReadColour(value));
    } else if (Is(name, L"linkfontcolor")) {
        pManager->SetDefaultLinkFontColor(ReadColour(value));
    } else if (Is(name, L"linkhoverfontcolor")) {
        pManager->SetDefaultLinkHoverFontColor(ReadColour(value));
    } else if (Is(name, L"selectedcolor")) {
        pManager->SetDefaultSelectedBkColor(ReadColour(value));
    } else if (Is(name, L"gdiplustext")) {
        pManager->SetUseGdiplusText(ReadFlag(value));
    } else if (Is(name, L"textrenderinghint")) {
        pManager->SetGdiplusTextRenderingHint(ReadDecimal(value));
    } else if (Is(name, L"shadowsize")) {
        pManager->GetShadow()->SetSize(ReadDecimal(value));
    } else if (Is(name, L"shadowsharpness")) {
        pManager->GetShadow()->SetSharpness(static_cast<unsigned>(ReadDecimal(value)));
    } else if (Is(name, L"shadowdarkness")) {
        pManager->GetShadow()->SetDarkness(static_cast<unsigned>(ReadDecimal(value)));
    } else if (Is(name, L"shadowposition")) {
        pManager->GetShadow()->SetPosition(numbers.left, numbers.top);
    } else if (Is(name, L"shadowcolor")) {
        pManager->GetShadow()->SetColor(ReadColour(value));
    } else if (Is(name, L"shadowcorner")) {
        pManager->GetShadow()->SetShadowCorner(rect);
    } else if (Is(name, L"shadowimage")) {
        pManager->GetShadow()->SetImage(value);
    } else if (Is(name, L"showshadow")) {
        pManager->GetShadow()->ShowShadow(ReadFlag(value));
    }
    // Other names are ignored.
}

}  // namespace

CSkinNestingGuard::CSkinNestingGuard(const wchar_t* source)
{
    if (source == nullptr || IS_INTRESOURCE(source) || source[0] == L'<') {
        m_entered = true;  // inline XML and resource ids cannot name themselves
        return;
    }
    if (t_building.size() >= static_cast<size_t>(kMaxSkinNesting)) {
        m_refusal = L"Skin files nested too deeply";
    } else if (std::any_of(t_building.begin(), t_building.end(),
                           [&](const CUIString& outer) { return outer.CompareNoCase(source) == 0; })) {
        m_refusal = L"Skin file includes itself";
    } else {
        t_building.emplace_back(source);
        m_entered = m_pushed = true;
        return;
    }
    std::fprintf(stderr, "SkinUI builder: %ls: \"%ls\" not built\n", m_refusal, source);
}

CSkinNestingGuard::~CSkinNestingGuard()
{
    if (m_pushed)
        t_building.pop_back();
}

CDialogBuilder::CDialogBuilder() = default;

void CDialogBuilder::SetTreeAttach(TreeAttachProc proc)
{
    g_treeAttach = proc;
}

void CDialogBuilder::GetLastErrorMessage(wchar_t* pstrMessage, size_t cchMax) const
{
    if (m_sError.IsEmpty()) {
        m_xml.GetLastErrorMessage(pstrMessage, cchMax);
        return;
    }
    if (pstrMessage == nullptr || cchMax == 0)
        return;
    std::wcsncpy(pstrMessage, m_sError.GetData(), cchMax - 1);
    pstrMessage[cchMax - 1] = L'\0';
}

void CDialogBuilder::GetLastErrorLocation(wchar_t* pstrSource, size_t cchMax) const
{
    m_xml.GetLastErrorLocation(pstrSource, cchMax);
}

CControlUI* CDialogBuilder::Create(STRINGorID xml, const wchar_t* type, IDialogBuilderCallback* pCallback,
                                   CPaintManagerUI* pManager, CControlUI* pParent)
{
    m_pCallback = pCallback;
    m_sError.Empty();
    if (!Load(xml, type))
        return nullptr;
    const CSkinNestingGuard nesting(xml.m_lpstr);
    if (!nesting.Entered()) {
        m_sError = nesting.Refusal();
        return nullptr;
    }
    return Create(pCallback, pManager, pParent);
}

bool CDialogBuilder::Load(STRINGorID xml, const wchar_t* type)
{
    if (!IS_INTRESOURCE(xml.m_lpstr) && xml.m_lpstr[0] != L'<') {
        if (const wchar_t* path = CResourceManager::GetInstance()->GetXmlPath(xml.m_lpstr))
            xml = STRINGorID(path);
    }
    if (IS_INTRESOURCE(xml.m_lpstr))
        return LoadResource(xml, type);
    if (xml.m_lpstr[0] == L'<')
        return m_xml.Load(xml.m_lpstr);
    return m_xml.LoadFromFile(xml.m_lpstr);
}

bool CDialogBuilder::LoadResource(STRINGorID xml, const wchar_t* type)
{
    HINSTANCE module = m_instance;
    HRSRC resource = ::FindResource(module, xml.m_lpstr, type);
    if (resource == nullptr) {
        module = CPaintManagerUI::GetResourceDll();
        resource = ::FindResource(module, xml.m_lpstr, type);
    }
    if (resource == nullptr)
        return false;
    HGLOBAL loaded = ::LoadResource(module, resource);
    if (loaded == nullptr)
        return false;
    const auto* bytes = static_cast<const BYTE*>(::LockResource(loaded));
    if (bytes == nullptr || !m_xml.LoadFromMem(bytes, ::SizeofResource(module, resource), XMLFILE_ENCODING_UTF8))
        return false;
    m_sType = type != nullptr ? type : L"";
    m_bHasType = type != nullptr;
    return true;
}

CControlUI* CDialogBuilder::Create(IDialogBuilderCallback* pCallback, CPaintManagerUI* pManager, CControlUI* pParent)
{
    m_pCallback = pCallback;
    CMarkupNode root = m_xml.GetRoot();
    if (!root.IsValid())
        return nullptr;
    if (pManager != nullptr) {
        RegisterResources(root, pManager);
        if (Is(root.GetName(), L"Window") && pManager->GetPaintWindow() != nullptr)
            ApplyWindowAttributes(root, pManager);
    }
    return Parse(&root, pParent, pManager);
}

void CDialogBuilder::RegisterResources(CMarkupNode& root, CPaintManagerUI* pManager)
{
    for (CMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const wchar_t* tag = node.GetName();
        if (Is(tag, L"Image")) {
            AddImage(node, pManager);
        } else if (Is(tag, L"Font")) {
            AddFont(node, pManager);
        } else if (Is(tag, L"Default") || Is(tag, L"Style")) {
            const wchar_t* name = Attribute(node, L"name");
            if (*name == L'\0')
                continue;
            const wchar_t* value = Attribute(node, L"value");
            const bool shared = ReadFlag(Attribute(node, L"shared"));
            if (Is(tag, L"Default"))
                pManager->AddDefaultAttributeList(name, value, shared);
            else
                pManager->AddStyle(name, value, shared);
        } else if (Is(tag, L"Import")) {
            const wchar_t* fontFile = Attribute(node, L"fontfile", nullptr);
            if (fontFile != nullptr)
                pManager->AddFontArray(fontFile);
        }
    }
}

void CDialogBuilder::ApplyWindowAttributes(CMarkupNode& root, CPaintManagerUI* pManager)
{
    for (int i = 0; i < root.GetAttributeCount(); ++i)
        ApplyWindowAttribute(pManager, root.GetAttributeName(i), root.GetAttributeValue(i));
}

void CDialogBuilder::ParseInclude(CMarkupNode& node, CControlUI* pParent, CPaintManagerUI* pManager)
{
    if (!node.HasAttributes())
        return;
    wchar_t source[500] = {};
    const int count = node.HasAttribute(L"count")
        ? std::min(ReadDecimal(node.GetAttributeValue(L"count")), kMaxIncludeCount) : 1;
    if (!node.GetAttributeValue(L"source", source, 500) || source[0] == L'\0' || count < 1)
        return;
    for (int i = 0; i < count; ++i) {
        CDialogBuilder builder;
        builder.SetInstance(m_instance);
        CControlUI* built = m_bHasType
            ? builder.Create(STRINGorID(static_cast<unsigned int>(ReadDecimal(source))), m_sType.GetData(), m_pCallback,
                             pManager, pParent)
            : builder.Create(STRINGorID(source), nullptr, m_pCallback, pManager, pParent);
        if (pParent == nullptr)
            delete built;  // with no parent to hold it, nobody would own it
    }
}

CControlUI* CDialogBuilder::MakeControl(const wchar_t* pstrClass, CPaintManagerUI* pManager)
{
    const CUIString className = CUIString(L"C") + pstrClass + L"UI";
    if (CControlFactory* factory = CControlFactory::GetInstance()) {
        if (CControlUI* control = factory->CreateControl(className))
            return control;
    }
    if (pManager != nullptr) {
        CStdPtrArray* plugins = CPaintManagerUI::GetPlugins();
        for (int i = 0; i < plugins->GetSize(); ++i) {
            auto create = reinterpret_cast<PluginCreate>(plugins->GetAt(i));
            if (CControlUI* control = create(pstrClass))
                return control;
        }
    }
    return m_pCallback != nullptr ? m_pCallback->CreateControl(pstrClass) : nullptr;
}

CControlUI* CDialogBuilder::Parse(CMarkupNode* pRoot, CControlUI* pParent, CPaintManagerUI* pManager)
{
    IContainerUI* pContainer = nullptr;
    CControlUI* pReturn = nullptr;
    for (CMarkupNode node = pRoot->GetChild(); node.IsValid(); node = node.GetSibling()) {
        const wchar_t* tag = node.GetName();
        if (Is(tag, L"Image") || Is(tag, L"Font") || Is(tag, L"Default") || Is(tag, L"Style") || Is(tag, L"Import"))
            continue;
        if (Is(tag, L"Include")) {
            ParseInclude(node, pParent, pManager);
            continue;
        }
        CControlUI* control = MakeControl(tag, pManager);
        if (control == nullptr)
            continue;
        if (node.HasChildren())
            Parse(&node, control, pManager);

        CControlUI* treeView = nullptr;
        if (pParent != nullptr) {
            const bool treeCase = control->GetInterface(L"TreeNode") != nullptr
                || pParent->GetInterface(L"TreeNode") != nullptr;
            if (treeCase) {
                if (g_treeAttach == nullptr || !g_treeAttach(pParent, control, &treeView)) {
                    delete control;  // nothing can hold it
                    continue;
                }
            } else {
                if (pContainer == nullptr)
                    pContainer = static_cast<IContainerUI*>(pParent->GetInterface(L"IContainer"));
                if (pContainer == nullptr) {
                    delete control;
                    return nullptr;
                }
                if (!pContainer->Add(control)) {
                    delete control;
                    continue;
                }
            }
        }
        if (pManager != nullptr) {
            control->SetManager(pManager, treeView, treeView != nullptr);
            if (const wchar_t* defaults = pManager->GetDefaultAttributeList(tag))
                control->ApplyAttributeList(defaults);
        }
        for (int i = 0; i < node.GetAttributeCount(); ++i)
            control->SetAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
        if (pManager != nullptr && treeView == nullptr)
            control->SetManager(nullptr, nullptr, false);
        if (pReturn == nullptr)
            pReturn = control;
        else if (pParent == nullptr)
            delete control;  // only the first top-level control is handed back; nobody would own this one
    }
    return pReturn;
}

}  // namespace SkinUI
