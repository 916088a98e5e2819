#include "editor/mainwnd/TimeFieldStepping.h"

#include <cwchar>
#include <cwctype>

#include "base/StringHelpers.h"

const FractionRule kCutMilliseconds { 999, L"000", L"999", false };
const FractionRule kCoverMilliseconds { 999, L"00", L"999", false };
const FractionRule kTenths { 9, L"0", L"9", false };
const FractionRule kHundredths { 99, L"00", L"99", false };
const FractionRule kKeyTenths { 9, L"0", L"9", true };

namespace {

int Read(SkinUI::CControlUI* field)
{
    return field ? ReadFieldNumber(field->GetText()) : 0;
}

void Write(SkinUI::CControlUI* field, const std::wstring& text)
{
    if (field)
        field->SetText(text.c_str());
}

// One more minute, carried into the hours past 59. The minutes are written first, then wrapped.
void CarryMinute(const TimeGroup& g)
{
    const int minutes = Read(g.minutes) + 1;
    Write(g.minutes, FormatClockField(minutes));
    if (minutes <= 59)
        return;
    Write(g.minutes, L"00");
    Write(g.hours, FormatClockField(Read(g.hours) + 1));
}

void CarrySecond(const TimeGroup& g)
{
    const int seconds = Read(g.seconds) + 1;
    if (seconds <= 59) {
        Write(g.seconds, FormatClockField(seconds));
        return;
    }
    Write(g.seconds, L"00");
    CarryMinute(g);
}

// Whether one second can be taken from the group (directly or by a minute or an hour lending).
bool CanTakeSecond(const TimeGroup& g)
{
    const int s = Read(g.seconds) - 1, m = Read(g.minutes), h = Read(g.hours);
    return (s >= 0 && s <= 59) || (m >= 1 && m <= 59) || h >= 1;
}

// Takes one second; the lending field is written first, the seconds' "59" last.
void TakeSecond(const TimeGroup& g)
{
    const int s = Read(g.seconds) - 1, m = Read(g.minutes), h = Read(g.hours);
    if (s >= 0 && s <= 59) {
        Write(g.seconds, FormatClockField(s));
        return;
    }
    if (m >= 1 && m <= 59) {
        Write(g.minutes, FormatClockField(m - 1));
    } else {
        Write(g.hours, FormatClockField(h - 1));
        Write(g.minutes, L"59");
    }
    Write(g.seconds, L"59");
}

StepResult StepUp(const TimeGroup& g, SkinUI::CControlUI* field, const FractionRule& rule)
{
    if (field == g.hours) {
        const int hours = Read(g.hours) + 1;
        if (hours < 0)
            return StepResult::Refused;
        Write(g.hours, FormatClockField(hours));
    } else if (field == g.minutes) {
        if (Read(g.minutes) >= 59) {
            Write(g.minutes, L"00");
            Write(g.hours, FormatClockField(Read(g.hours) + 1));
        } else {
            Write(g.minutes, FormatClockField(Read(g.minutes) + 1));
        }
    } else if (field == g.seconds) {
        CarrySecond(g);
    } else {
        const int value = Read(g.fraction);
        if (value < rule.max) {
            Write(g.fraction, FormatFraction(value + 1, rule));
            return StepResult::Stepped;
        }
        Write(g.fraction, rule.upWrap);
        CarrySecond(g);
    }
    return StepResult::Stepped;
}

StepResult StepDown(const TimeGroup& g, SkinUI::CControlUI* field, const FractionRule& rule)
{
    const int h = Read(g.hours), m = Read(g.minutes);
    if (field == g.hours) {
        if (h - 1 < 0)
            return StepResult::Refused;
        Write(g.hours, FormatClockField(h - 1));
    } else if (field == g.minutes) {
        if (m - 1 >= 0 && m - 1 <= 59) {
            Write(g.minutes, FormatClockField(m - 1));
        } else if (h - 1 >= 0) {
            Write(g.hours, FormatClockField(h - 1));
            Write(g.minutes, L"59");
        } else {
            return StepResult::Unchanged;
        }
    } else if (field == g.seconds) {
        if (!CanTakeSecond(g))
            return StepResult::Unchanged;
        TakeSecond(g);
    } else {
        const int d = Read(g.fraction) - 1;
        if (d >= 0 && d <= (rule.borrowAtMax ? rule.max - 1 : rule.max)) {
            Write(g.fraction, FormatFraction(d, rule));
            return StepResult::Stepped;
        }
        if (!CanTakeSecond(g))
            return StepResult::Unchanged;
        Write(g.fraction, rule.downWrap);
        TakeSecond(g);
    }
    return StepResult::Stepped;
}

}  // namespace

int ReadFieldNumber(const SkinUI::CUIString& text)
{
    const wchar_t* p = text.GetData();
    while (std::iswspace(*p))
        ++p;
    const long value = std::wcstol(p, nullptr, 10);
    constexpr long kLimit = 1000000000;  // far beyond any time, and room for a step either way
    return static_cast<int>(value > kLimit ? kLimit : value < -kLimit ? -kLimit : value);
}

std::wstring FormatClockField(int value)
{
    return FormatWide(value < 10 ? L"0%d" : L"%d", value);
}

std::wstring FormatFraction(int value, const FractionRule& rule)
{
    if (rule.max < 10)
        return FormatWide(L"%d", value);
    if (rule.max < 100)
        return FormatClockField(value);
    return FormatWide(value < 10 ? L"00%d" : value < 100 ? L"0%d" : L"%d", value);
}

StepResult StepTimeField(const TimeGroup& group, SkinUI::CControlUI* field, bool up, const FractionRule& rule)
{
    if (!group.Holds(field))
        return StepResult::Unchanged;
    return up ? StepUp(group, field, rule) : StepDown(group, field, rule);
}

std::wstring TimeGroupText(const TimeGroup& group)
{
    const auto text = [](SkinUI::CControlUI* c) { return c ? std::wstring(c->GetText().GetData()) : std::wstring(); };
    return FormatWide(L"%s:%s:%s.%s", text(group.hours).c_str(), text(group.minutes).c_str(), text(group.seconds).c_str(),
                      text(group.fraction).c_str());
}

void WriteTimeGroup(const TimeGroup& group, const std::wstring& hours, const std::wstring& minutes,
                    const std::wstring& seconds, const std::wstring& fraction)
{
    SkinUI::CControlUI* const fields[] = { group.hours, group.minutes, group.seconds, group.fraction };
    const std::wstring* const texts[] = { &hours, &minutes, &seconds, &fraction };
    for (int i = 0; i < 4; ++i)
        if (fields[i])
            fields[i]->SetText(texts[i]->c_str());
}
