#pragma once
// Stepping of the main window's time fields: a time group is four small edits (hours, minutes,
// seconds, a fraction of a second) whose texts are read as decimal numbers. One step changes the
// given field by one unit and carries into, or borrows from, the larger fields. The arrow keys,
// the wheel and the spin buttons of every page use these rules; only the fraction's range, its
// wrap texts and one borrow detail differ between groups (FractionRule).
//
// Rules: UI thread only (each write sets a control's text, which may notify at once); a field
// outside the group changes nothing; at a time of zero a step down changes nothing; hours have
// no upper bound and never go below 0.

#include <string>

#include "ui/core/ControlUI.h"

struct TimeGroup {
    SkinUI::CControlUI* hours { nullptr };
    SkinUI::CControlUI* minutes { nullptr };
    SkinUI::CControlUI* seconds { nullptr };
    SkinUI::CControlUI* fraction { nullptr };  // null: the group has none

    bool Holds(const SkinUI::CControlUI* field) const
    {
        return field != nullptr && (field == hours || field == minutes || field == seconds || field == fraction);
    }
};

// "hours:minutes:seconds.fraction" of the group's four texts, as the text items keep their times.
std::wstring TimeGroupText(const TimeGroup& group);

// Writes the group's four texts; a field the group lacks is skipped.
void WriteTimeGroup(const TimeGroup& group, const std::wstring& hours, const std::wstring& minutes,
                    const std::wstring& seconds, const std::wstring& fraction);

struct FractionRule {
    int max;                 // 999 for milliseconds, 9 for tenths
    const wchar_t* upWrap;   // written when the fraction passes its maximum
    const wchar_t* downWrap;
    bool borrowAtMax;        // a step down from max + 1 borrows instead of writing max
};

// The cut page's groups, the cover groups (whose upward wrap is two characters), the tenths of
// the music and subtitle groups, and the tenths as the keyboard steps them.
extern const FractionRule kCutMilliseconds;
extern const FractionRule kCoverMilliseconds;
extern const FractionRule kTenths;
extern const FractionRule kHundredths;  // the split page's groups, written with two digits
extern const FractionRule kKeyTenths;

enum class StepResult { Unchanged, Stepped, Refused };  // Refused: hours would go below 0

// A field's value: leading blanks and sign, then digits up to the first other character; none is 0.
int ReadFieldNumber(const SkinUI::CUIString& text);
// Hours, minutes and seconds: "0%d" below 10, else "%d".
std::wstring FormatClockField(int value);
// The fraction in its group's format: milliseconds padded to three digits, hundredths to two,
// tenths as "%d".
std::wstring FormatFraction(int value, const FractionRule& rule);

StepResult StepTimeField(const TimeGroup& group, SkinUI::CControlUI* field, bool up, const FractionRule& rule);
