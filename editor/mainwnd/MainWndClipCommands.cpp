// The multi-clip page's add button: the chosen videos join the page's pending files and its row
// builder makes them rows in the chosen order. A press while the builder runs only adds to its
// queue; the builder takes them before it ends.

#include <vector>

#include "editor/mainwnd/MainWnd.h"

void CMainWnd::AddClipFiles()
{
    const size_t before = m_vecChosenFiles.size();
    const std::wstring last = ChooseMediaFiles(true).GetData();
    if (last.empty())
        return;
    // A refused last file refuses the whole choice: nothing of it turns up as rows later.
    if (RefuseVideoFormat(last))
        return;
    std::vector<std::wstring> chosen;
    for (size_t i = before; i < m_vecChosenFiles.size(); ++i)
        chosen.emplace_back(m_vecChosenFiles[i].GetData());
    ShowRowList(RowPage::Clip);
    AppendPendingFiles(RowPage::Clip, chosen);
    StartRowBuilder(RowPage::Clip);
    if (m_pVideoAddfileL && m_pVideoAddfileL->GetParent())
        m_pVideoAddfileL->GetParent()->NeedUpdate();
}
