#include "ui/core/ResourceManager.h"

#include "platform/Resource.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using SkinUI::CResourceManager;

namespace {

const char kEmbeddedList[] = "<Res><Xml id=\"embedded\" path=\"Embedded.xml\"/></Res>";
const platform::ResourceRegistration kEmbedded(L"XML", 4712, kEmbeddedList, sizeof(kEmbeddedList) - 1);

class ScriptedTexts : public SkinUI::IQueryControlText {
public:
    const wchar_t* QueryControlText(const wchar_t* id, const wchar_t*) override
    {
        ++asked[id];
        const auto found = answers.find(id);
        return found == answers.end() ? nullptr : found->second.c_str();
    }

    std::map<std::wstring, std::wstring> answers;
    std::map<std::wstring, int> asked;
};

// The manager is one per process: every test starts and ends with empty tables.
class ResourceManager : public testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset()
    {
        CResourceManager* manager = CResourceManager::GetInstance();
        manager->SetTextQueryInterface(nullptr);
        manager->ResetTextMap();
        manager->ResetResourceMap();
    }

    CResourceManager& m_manager = *CResourceManager::GetInstance();
};

}  // namespace

TEST_F(ResourceManager, ResourceListsMapIdsToPathsAtAnyDepthFirstPathWins)
{
    ASSERT_TRUE(m_manager.LoadResource(
        L"<Res><Image id=\"logo\" path=\"img/logo.png\"/>"
        L"<Group><IMAGE ID=\"btn\" PATH=\"img/btn.png\"/><Deeper><Xml id=\"main\" path=\"Main.xml\"/></Deeper></Group>"
        L"<Image id=\"logo\" path=\"img/other.png\"/><Image id=\"nopath\"/><Font id=\"f\" path=\"x\"/></Res>"));
    EXPECT_STREQ(m_manager.GetImagePath(L"logo"), L"img/logo.png");
    EXPECT_STREQ(m_manager.GetImagePath(L"btn"), L"img/btn.png");
    EXPECT_STREQ(m_manager.GetXmlPath(L"main"), L"Main.xml");
    EXPECT_EQ(m_manager.GetImagePath(L"Logo"), nullptr);  // ids are case-sensitive
    EXPECT_EQ(m_manager.GetImagePath(L"nopath"), nullptr);
    EXPECT_EQ(m_manager.GetImagePath(L"f"), nullptr);
    EXPECT_EQ(m_manager.GetXmlPath(L"logo"), nullptr);

    EXPECT_FALSE(m_manager.LoadResource(L"<Res><Image id=\"x\" path=\"p\"></Res>"));
    EXPECT_EQ(m_manager.GetImagePath(L"x"), nullptr);
    EXPECT_FALSE(m_manager.LoadResource(SkinUI::STRINGorID(4711u), L"XML"));
    ASSERT_TRUE(m_manager.LoadResource(SkinUI::STRINGorID(4712u), L"XML"));
    EXPECT_STREQ(m_manager.GetXmlPath(L"embedded"), L"Embedded.xml");
    m_manager.ResetResourceMap();
    EXPECT_EQ(m_manager.GetImagePath(L"logo"), nullptr);
}

TEST_F(ResourceManager, LanguageFilesReplaceRepeatedIdsAndKeepTheOthers)
{
    EXPECT_STREQ(m_manager.GetText(L"title"), L"title");  // nothing loaded: the id itself
    EXPECT_STREQ(m_manager.GetText(nullptr), L"");
    ASSERT_TRUE(m_manager.LoadLanguage(L"<Lang><Text id=\"title\" value=\"Editor\"/><Text id=\"ok\" value=\"OK\"/></Lang>"));
    ASSERT_TRUE(m_manager.LoadLanguage(
        L"<Lang><TEXT id=\"title\" value=\"Video editor\"/><Text id=\"ok\"/><Text value=\"orphan\"/></Lang>"));
    EXPECT_STREQ(m_manager.GetText(L"title"), L"Video editor");
    EXPECT_STREQ(m_manager.GetText(L"ok"), L"OK");  // an element without value changes nothing
    EXPECT_FALSE(m_manager.LoadLanguage(L"<Lang><Text id=\"ok\" value=\"broken\"></Lang"));
    EXPECT_STREQ(m_manager.GetText(L"ok"), L"OK");
    EXPECT_FALSE(m_manager.LoadLanguage(nullptr));
    m_manager.ResetTextMap();
    EXPECT_STREQ(m_manager.GetText(L"ok"), L"ok");
}

TEST_F(ResourceManager, TheQueryInterfaceIsAskedOncePerIdUntilReload)
{
    ScriptedTexts texts;
    texts.answers[L"greeting"] = L"Hello";
    m_manager.SetTextQueryInterface(&texts);
    EXPECT_STREQ(m_manager.GetText(L"greeting"), L"Hello");
    EXPECT_STREQ(m_manager.GetText(L"unknown"), L"");  // a null answer is stored as empty
    EXPECT_STREQ(m_manager.GetText(L"unknown"), L"");
    EXPECT_STREQ(m_manager.GetText(L"greeting"), L"Hello");
    EXPECT_EQ(texts.asked[L"greeting"], 1);
    EXPECT_EQ(texts.asked[L"unknown"], 1);

    texts.answers[L"greeting"] = L"Hi";
    texts.answers[L"unknown"] = L"Now known";
    m_manager.ReloadText();
    EXPECT_STREQ(m_manager.GetText(L"greeting"), L"Hi");
    EXPECT_STREQ(m_manager.GetText(L"unknown"), L"Now known");
    EXPECT_EQ(texts.asked[L"greeting"], 2);

    m_manager.SetLanguage(L"en");
    EXPECT_STREQ(m_manager.GetLanguage(), L"en");
}
