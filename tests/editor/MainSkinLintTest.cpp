// The contract between "main.xml" and the main window's code: every bound name with its class, the
// child orders the code walks by index, the geometry the code writes and the skin's defaults. The
// source skin is read as XML, so the contract holds whichever control classes are built yet; the
// window built from the embedded skin must then bind every control whose class exists.
#include "editor/mainwnd/MainWnd.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <map>
#include <set>

#include "EditorTestSupport.h"
#include "base/StringHelpers.h"
#include "platform/Windows.h"
#include "platform/headless/HeadlessScreen.h"
#include "ui/controls/ComboUI.h"
#include "ui/controls/OptionUI.h"
#include "ui/core/ControlFactory.h"
#include "ui/core/TabLayoutUI.h"

namespace hl = platform::headless;

namespace {

struct BoundEntry {
    const char* name;
    const wchar_t* iface;
};

const std::vector<BoundEntry>& BoundEntries()
{
    static const std::vector<BoundEntry> entries = {
#define QUILL_ENTRY(name, iface) { #name, iface },
        QUILL_MAINWND_BOUND_CONTROLS(QUILL_ENTRY)
#undef QUILL_ENTRY
    };
    return entries;
}

bool IsAbsent(const std::string& name)
{
    return name == "Config" || name == "Corner" || name == "subtitlList";
}

// The skin's elements by name (the first of each name) with their parents.
class SkinTree {
public:
    SkinTree()
    {
        const std::string text = ReadFileText(QUILL_SOURCE_DIR "/skins/main.xml");
        m_document.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
        Index(m_document.RootElement(), nullptr);
    }
    bool Parsed() const { return !m_document.Error() && m_document.RootElement(); }
    const TiXmlElement* Find(const std::string& name) const
    {
        auto it = m_byName.find(name);
        return it == m_byName.end() ? nullptr : it->second;
    }
    const TiXmlElement* Parent(const TiXmlElement* element) const
    {
        auto it = m_parent.find(element);
        return it == m_parent.end() ? nullptr : it->second;
    }
    static const TiXmlElement* Child(const TiXmlElement* parent, int index)
    {
        const TiXmlElement* child = parent ? parent->FirstChildElement() : nullptr;
        for (int i = 0; child && i < index; ++i)
            child = child->NextSiblingElement();
        return child;
    }
    static std::string NameOf(const TiXmlElement* element)
    {
        const char* name = element ? element->Attribute("name") : nullptr;
        return name ? name : "";
    }
    static std::string TagOf(const TiXmlElement* element) { return element ? element->ValueStr() : ""; }

private:
    void Index(const TiXmlElement* element, const TiXmlElement* parent)
    {
        if (!element)
            return;
        m_parent[element] = parent;
        if (const char* name = element->Attribute("name"))
            m_byName.emplace(name, element);
        for (const TiXmlElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement())
            Index(child, element);
    }

    TiXmlDocument m_document;
    std::map<std::string, const TiXmlElement*> m_byName;
    std::map<const TiXmlElement*, const TiXmlElement*> m_parent;
};

std::string Narrow(const wchar_t* text)
{
    return WideToUtf8(text);
}

bool InstallSkinArchive()
{
    HRSRC resource = ::FindResource(nullptr, MAKEINTRESOURCE(132), L"ZIP");
    if (resource == nullptr)
        return false;
    HGLOBAL loaded = ::LoadResource(nullptr, resource);
    SkinUI::CPaintManagerUI::SetResourceZip(::LockResource(loaded), ::SizeofResource(nullptr, resource));
    return true;
}

// Whether the framework or the main window can make a control of that skin tag.
bool TagIsBuilt(const std::string& tag)
{
    static const std::set<std::string> editorTags { "Player", "MyButton", "MyButtonEnd", "VerticalLayoutEx", "ButtonExtUI" };
    if (editorTags.count(tag))
        return true;
    SkinUI::CControlUI* made = SkinUI::CControlFactory::GetInstance()->CreateControl(AnsiToWide("C" + tag + "UI").c_str());
    delete made;
    return made != nullptr;
}

}  // namespace

TEST(MainSkinLint, EveryBoundNameIsInTheSkinWithItsClass)
{
    SkinTree skin;
    ASSERT_TRUE(skin.Parsed());
    EXPECT_EQ(BoundEntries().size(), 282u);
    for (const BoundEntry& entry : BoundEntries()) {
        SCOPED_TRACE(entry.name);
        const TiXmlElement* element = skin.Find(entry.name);
        if (IsAbsent(entry.name)) {
            EXPECT_EQ(element, nullptr);
            continue;
        }
        ASSERT_NE(element, nullptr);
        EXPECT_EQ(SkinTree::TagOf(element), Narrow(entry.iface));
    }
}

TEST(MainSkinLint, EveryButtonRunsACommand)
{
    // A button that does nothing when clicked is a fault a user meets at once; only the account
    // badge is a picture shaped as a button.
    const std::string text = ReadFileText(QUILL_SOURCE_DIR "/skins/main.xml");
    TiXmlDocument document;
    document.Parse(text.c_str(), nullptr, TIXML_ENCODING_UTF8);
    ASSERT_FALSE(document.Error());
    int buttons = 0;
    std::vector<const TiXmlElement*> pending { document.RootElement() };
    while (!pending.empty()) {
        const TiXmlElement* element = pending.back();
        pending.pop_back();
        for (const TiXmlElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement())
            pending.push_back(child);
        const char* name = element->Attribute("name");
        const std::string tag = element->Value();
        if ((tag != "Button" && tag != "ButtonExtUI") || !name || std::string(name) == "AccountBadge")
            continue;
        ++buttons;
        EXPECT_TRUE(CMainWnd::HasClickCommand(platform::Utf8ToWide(name))) << name << " does nothing when clicked";
    }
    EXPECT_GT(buttons, 50) << "the skin was read";
}

// The start page's feature cards are the rising buttons, and the screenshot page has the row its
// single and continuous switch shows and hides.
TEST(MainSkinLint, FeatureCardsRiseAndTheScreenshotSwitchFindsItsRow)
{
    SkinTree skin;
    ASSERT_TRUE(skin.Parsed());
    for (const char* card : { "VideoCut", "VideoFenge", "VideoMerge", "Videogif", "videoAdd", "videoadjustment" })
        EXPECT_EQ(SkinTree::TagOf(skin.Find(card)), "ButtonExtUI") << card;
    const TiXmlElement* row = skin.Find("MyHor");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(SkinTree::NameOf(SkinTree::Child(row, 1)), "startPicHour") << "the range row of a continuous series";
    EXPECT_STREQ(row->Attribute("visible"), "false") << "single shots come first";
}

TEST(MainSkinLint, ChildOrdersTheCodeWalksHold)
{
    SkinTree skin;
    ASSERT_TRUE(skin.Parsed());
    // The volume value label is child 1 of the grandparent of both the mute button and the slider.
    const TiXmlElement* box = skin.Parent(skin.Parent(skin.Find("Mute")));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box, skin.Parent(skin.Parent(skin.Find("SoundSlider"))));
    EXPECT_EQ(SkinTree::TagOf(SkinTree::Child(box, 1)), "Label");
    // "label" itself is the cut page's range bar, in a box that starts where the timeline starts.
    for (const char* bar : { "label", "Screenlabel", "Musiclabel", "subtitlelabel" }) {
        const TiXmlElement* track = skin.Parent(skin.Find(bar));
        ASSERT_NE(track, nullptr) << bar;
        EXPECT_EQ(std::string(track->Attribute("pos")).rfind("197,", 0), 0u) << bar;
    }
    for (const char* slider : { "VideoSlider", "MusicSlider" }) {
        const TiXmlElement* value = SkinTree::Child(skin.Parent(skin.Parent(skin.Find(slider))), 1);
        EXPECT_EQ(SkinTree::TagOf(value), "Label") << slider;
    }
    // Adjust rows: caption, bar, slider, value, reset.
    struct Row { const char* value; const char* bar; const char* slider; };
    for (const Row& r : { Row { "brighRich", "brightPro", "brightSlider" }, Row { "saturationRich", "saturationPro", "saturationSlider" },
                          Row { "duibiRich", "duibiPro", "duibiProSlider" } }) {
        SCOPED_TRACE(r.value);
        const TiXmlElement* row = skin.Parent(skin.Find(r.value));
        EXPECT_EQ(SkinTree::TagOf(SkinTree::Child(row, 0)), "Label");
        EXPECT_EQ(SkinTree::NameOf(SkinTree::Child(row, 1)), r.bar);
        EXPECT_EQ(SkinTree::NameOf(SkinTree::Child(row, 2)), r.slider);
        EXPECT_EQ(SkinTree::NameOf(SkinTree::Child(row, 3)), r.value);
        EXPECT_EQ(SkinTree::TagOf(SkinTree::Child(row, 4)), "Button");
    }
    // Each tab option's column holds its underline "xxx".
    for (const char* tab : { "tabVideoCut", "tabFenge", "tabmerge", "tabGIF", "tabScreen", "tabAdd", "tabAdjust" }) {
        const TiXmlElement* column = skin.Parent(skin.Find(tab));
        bool underline = false;
        for (const TiXmlElement* c = column ? column->FirstChildElement() : nullptr; c; c = c->NextSiblingElement())
            underline |= SkinTree::NameOf(c) == "xxx";
        EXPECT_TRUE(underline) << tab;
    }
    // Each swatch is the first child of a row that holds its "ColorBtn".
    for (const char* swatch : { "StrokeColor", "borderColor", "shadowColor" }) {
        const TiXmlElement* row = skin.Parent(skin.Find(swatch));
        ASSERT_NE(row, nullptr) << swatch;
        EXPECT_EQ(SkinTree::NameOf(SkinTree::Child(row, 0)), swatch);
        bool button = false;
        for (const TiXmlElement* c = row->FirstChildElement(); c; c = c->NextSiblingElement())
            button |= SkinTree::NameOf(c) == "ColorBtn";
        EXPECT_TRUE(button) << swatch;
    }
}

TEST(MainSkinLint, EditsCarryTheirLengthsAndDefaults)
{
    SkinTree skin;
    ASSERT_TRUE(skin.Parsed());
    struct Group { std::vector<const char*> names; std::vector<const char*> texts; };
    const Group groups[] = {
        { { "startHour", "startMinute", "startsecound", "startmillsecond" }, { "", "", "", "" } },
        { { "OVertHour", "OVerMinute", "OVersecound", "OVermillsecond" }, { "", "", "", "" } },
        { { "startSegmenHour", "startSegmenminute", "startSegmensecond", "startSegmenMillsecond" }, { "", "", "", "" } },
        { { "startPicHour", "startPicMinute", "startPicsecound" }, { "00", "00", "00" } },
        { { "OVerPictHour", "OVerPicMinute", "OVerPicsecound" }, { "", "", "" } },
        { { "CorverHour", "Corverminute", "Corversecond", "CorverMillsecond" }, { "00", "00", "00", "001" } },
        { { "VideoTimerHour", "VideoTimerminute", "VideoTimersecond", "VideoTimerMillsecond" }, { "00", "00", "00", "0" } },
        { { "VideoOverHour", "VideoOverminute", "VideoOversecond", "VideoOverMillsecond" }, { "00", "00", "00", "1" } },
        { { "subtitleTimerHour", "subtitleTimerminute", "subtitleTimersecond", "subtitleTimerMillsecond" }, { "00", "00", "00", "0" } },
        { { "subtitleOverHour", "subtitleOverminute", "subtitleOversecond", "subtitleOverMillsecond" }, { "00", "00", "00", "1" } },
        { { "startAverageHour", "startAverageminute", "startAveragesecond", "startAverageMillsecond" }, { "00", "00", "05", "00" } },
        { { "CorverTimerHour", "CorverTimerminute", "CorverTimersecond", "CorverTimerMillsecond" }, { "00", "00", "00", "001" } },
        { { "StartMusicHour", "StartMusicMinute", "StartMusicSecond", "StartMusicMillSecond" }, { "00", "00", "00", "0" } },
        { { "SelStartHour", "SelStartMinute", "SelStartsecound" }, { "00", "00", "00" } },
    };
    for (const Group& g : groups) {
        for (size_t i = 0; i < g.names.size(); ++i) {
            SCOPED_TRACE(g.names[i]);
            const TiXmlElement* edit = skin.Find(g.names[i]);
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(std::string(edit->Attribute("maxchar") ? edit->Attribute("maxchar") : ""), i < 3 ? "2" : "3");
            EXPECT_EQ(std::string(edit->Attribute("text") ? edit->Attribute("text") : ""), g.texts[i]);
        }
    }
    struct Field { const char* name; const char* maxchar; const char* text; };
    const Field fields[] = { { "Xwidth", "4", "0" }, { "Yheight", "3", "0" }, { "cut_width", "4", "" }, { "cut_height", "4", "" },
                             { "saturationRich", "3", "100" }, { "brighRich", "3", "100" }, { "duibiRich", "3", "100" },
                             { "ScreenTimeInterval", "3", "5s" }, { "PicScaling", "4", "100%" }, { "startSegmen", "3", "2" } };
    for (const Field& f : fields) {
        const TiXmlElement* edit = skin.Find(f.name);
        ASSERT_NE(edit, nullptr) << f.name;
        EXPECT_STREQ(edit->Attribute("maxchar"), f.maxchar) << f.name;
        EXPECT_EQ(std::string(edit->Attribute("text") ? edit->Attribute("text") : ""), f.text) << f.name;
    }
}

// The window built from the embedded skin binds every control whose class exists, lays the cut
// page out where the code expects it and creates the editor's own controls.
TEST(MainSkinLint, BuiltWindowBindsAndPlacesTheCutPage)
{
    ASSERT_TRUE(hl::Use());
    ASSERT_TRUE(InstallSkinArchive());
    SkinTree skin;
    auto* main = new CMainWnd();
    main->m_strAppFolder = AnsiToWide(FreshFolder("lint-program")) + L"/";
    main->m_strDataFolder = AnsiToWide(FreshFolder("lint-data")) + L"/";
    ASSERT_NE(main->Create(nullptr, L"Tessaly", WS_VISIBLE | WS_OVERLAPPEDWINDOW, WS_EX_WINDOWEDGE), nullptr);
    hl::PumpMessages();
    SkinUI::CPaintManagerUI& pm = main->GetPaintManager();
    int checked = 0;
    for (const BoundEntry& entry : BoundEntries()) {
        if (IsAbsent(entry.name) || !TagIsBuilt(SkinTree::TagOf(skin.Find(entry.name))))
            continue;
        // Controls inside a container whose class is not built yet are not in the tree either.
        bool insideUnbuilt = false;
        for (const TiXmlElement* up = skin.Parent(skin.Find(entry.name)); up; up = skin.Parent(up))
            insideUnbuilt |= !TagIsBuilt(SkinTree::TagOf(up)) && SkinTree::TagOf(up) != "Window";
        if (insideUnbuilt)
            continue;
        SkinUI::CControlUI* control = pm.FindControl(AnsiToWide(entry.name).c_str());
        ASSERT_NE(control, nullptr) << entry.name;
        EXPECT_TRUE(ControlHasInterface(control, entry.iface)) << entry.name;
        ++checked;
    }
    EXPECT_GT(checked, 100);
    EXPECT_NE(main->m_pVideoCutPlayer, nullptr);
    EXPECT_NE(main->m_pLastPlayer, nullptr);
    EXPECT_NE(main->m_hMediaWnd, nullptr);
    EXPECT_EQ(main->m_pConfig, nullptr);
    // A list element that carries "selected" at all is selected, whatever its value: each combo
    // starts at its one default (a stray "false" made the last element the default).
    const std::pair<const wchar_t*, const wchar_t*> defaults[] = {
        { L"Speed", L"1.0x" }, { L"VideoAcpect", L"原始" }, { L"Comspin", L"原始" }, { L"CorverComspin", L"90°" },
        { L"Corver", L"添加单张封面图" }, { L"CorverType", L"保持图片比例缩放" }, { L"waterFontSize", L"28" },
        { L"SubtitleFontSize", L"28" },
    };
    for (const auto& [name, text] : defaults) {
        auto* combo = static_cast<SkinUI::CComboUI*>(pm.FindControl(name)->GetInterface(L"Combo"));
        ASSERT_NE(combo, nullptr) << Narrow(name);
        ASSERT_GE(combo->GetCurSel(), 0) << Narrow(name);
        EXPECT_EQ(std::wstring(combo->GetItemAt(combo->GetCurSel())->GetText().GetData()), text) << Narrow(name);
    }
    // A rotation box takes the mouse only once its option is ticked: both start unticked.
    for (const auto& [option, box] : { std::pair { L"Spin", L"Comspin" }, std::pair { L"CoverSpin", L"CorverComspin" } }) {
        auto* tick = static_cast<SkinUI::COptionUI*>(pm.FindControl(option)->GetInterface(L"Option"));
        ASSERT_NE(tick, nullptr) << Narrow(option);
        EXPECT_FALSE(tick->IsSelected()) << Narrow(option);
        EXPECT_FALSE(pm.FindControl(box)->IsMouseEnabled()) << Narrow(box);
    }

    auto* pages = static_cast<SkinUI::CTabLayoutUI*>(pm.FindControl(L"tab_Tran")->GetInterface(L"TabLayout"));
    ASSERT_NE(pages, nullptr);
    EXPECT_TRUE(main->m_pmainwnd->IsVisible()) << "the home page shows first";
    EXPECT_FALSE(main->m_pctnClient->IsVisible());
    main->m_pmainwnd->SetVisible(false);
    main->m_pmainkong->SetVisible(false);
    main->m_pctnClient->SetVisible(true);
    pages->SelectItem(0);
    pm.FindControl(L"VideoCutAddFile")->SetVisible(false);
    pm.FindControl(L"VideoCutShow")->SetVisible(true);
    main->ResizeForPage(675);
    hl::PumpMessages();
    struct Place { const wchar_t* name; RECT want; };
    const Place places[] = {
        { L"VideoCutPlayer", { 24, 130, 1001, 490 } },
        { L"start", { 191, 512, 197, 526 } },
        { L"end", { 811, 512, 817, 526 } },
    };
    for (const Place& p : places) {
        SkinUI::CControlUI* control = pm.FindControl(p.name);
        ASSERT_NE(control, nullptr) << Narrow(p.name);
        const RECT rc = control->GetPos();
        EXPECT_EQ(rc.left, p.want.left) << Narrow(p.name);
        EXPECT_EQ(rc.top, p.want.top) << Narrow(p.name);
        EXPECT_EQ(rc.right, p.want.right) << Narrow(p.name);
        EXPECT_EQ(rc.bottom, p.want.bottom) << Narrow(p.name);
    }
    ::DestroyWindow(main->GetHWND());
    hl::PumpMessages();
    if (main->WaitForWorkers(5000))
        delete main;
}
