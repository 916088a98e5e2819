// The export history file "Config\History.xml" in the per-user data folder: one top-level element
// per export, newest first, "root0" being the newest. It is written in full after every recorded
// export and at close, as UTF-8 through a temporary file, so neither a crash nor a failed write
// loses what an earlier save kept; files of older versions in the GBK code page are still read.

#include <tinyxml.h>

#include "base/FileHelpers.h"
#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/TextFile.h"
#include "platform/Windows.h"

namespace {

struct HistoryField {
    const char* element;
    const char* attribute;
    std::wstring HistoryRecord::*field;
};

constexpr HistoryField kHistoryFields[] = {
    { "Element0", "Data", &HistoryRecord::date },
    { "Element1", "oriFile", &HistoryRecord::sourceName },
    { "Element2", "OutFile", &HistoryRecord::outputName },
    { "Element3", "OriPath", &HistoryRecord::sourcePath },
    { "Element4", "OutPath", &HistoryRecord::outputPath },
};

HistoryRecord ReadRecord(const TiXmlElement& element)
{
    HistoryRecord record;
    for (const TiXmlElement* child = element.FirstChildElement(); child; child = child->NextSiblingElement()) {
        for (const HistoryField& field : kHistoryFields) {
            if (child->ValueStr() != field.element)
                continue;
            const char* value = child->Attribute(field.attribute);
            record.*field.field = value ? WideFromUtf8(value) : std::wstring();
        }
    }
    return record;
}

std::string PrintHistory(const std::vector<HistoryRecord>& history)
{
    if (history.empty())
        return {};
    TiXmlDocument document;
    document.LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", ""));  // the document owns its nodes
    for (size_t i = 0; i < history.size(); ++i) {
        auto* root = new TiXmlElement(("root" + std::to_string(i)).c_str());
        document.LinkEndChild(root);
        for (const HistoryField& field : kHistoryFields) {
            auto* child = new TiXmlElement(field.element);
            child->SetAttribute(field.attribute, Utf8FromWide(history[i].*field.field).c_str());
            root->LinkEndChild(child);
        }
    }
    TiXmlPrinter printer;
    document.Accept(&printer);
    return printer.Str();
}

}  // namespace

std::wstring CMainWnd::HistoryFilePath() const
{
    return JoinPath(ConfigFolder(), L"History.xml");
}

void CMainWnd::LoadHistory()
{
    if (m_strDataFolder.empty())
        return;
    const std::wstring path = HistoryFilePath();
    std::string bytes;
    if (!ReadWholeFile(path, bytes))
        return;
    TiXmlDocument document;
    document.Parse(Utf8FromFileBytes(bytes).c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (document.Error())
        return;
    if (!document.FirstChildElement()) {
        ::DeleteFileW(path.c_str());
        return;
    }
    std::lock_guard lock(m_historyLock);
    for (const TiXmlElement* element = document.FirstChildElement(); element; element = element->NextSiblingElement())
        m_vecHistory.push_back(ReadRecord(*element));
}

bool CMainWnd::SaveHistory()
{
    if (m_strDataFolder.empty())
        return false;  // before start-up there is no folder to keep the history in
    std::lock_guard lock(m_historyLock);
    CreateFolderWithParents(ConfigFolder());  // it may have been removed while the program ran
    if (!ReplaceFileContents(HistoryFilePath(), PrintHistory(m_vecHistory))) {
        printf("History: cannot write %ls\n", HistoryFilePath().c_str());
        return false;
    }
    return true;
}
