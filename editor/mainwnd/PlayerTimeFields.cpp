#include "editor/mainwnd/PlayerTimeFields.h"

#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "editor/mainwnd/PageMedia.h"
#include "editor/mainwnd/TimeFieldStepping.h"

std::vector<std::wstring> WholeSecondFields(long long ms)
{
    std::vector<std::wstring> parts = ClockParts(CMainWnd::FormatDuration(FormatWide(L"%lld", ms > 0 ? ms / 1000 : 0)));
    return parts.size() == 3 ? parts : std::vector<std::wstring>();
}

std::vector<std::wstring> SplitPointFields(long long ms)
{
    if (ms < 100)
        return {};
    std::vector<std::wstring> fields = WholeSecondFields(ms);
    if (!fields.empty())
        fields.push_back(FormatClockField(static_cast<int>(ms / 10 % 100)));
    return fields;
}
