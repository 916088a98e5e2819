// The one stepping engine of the time fields: carries, borrows, wrap texts and the do-nothing cases.
#include "editor/mainwnd/TimeFieldStepping.h"

#include <gtest/gtest.h>

#include "base/StringHelpers.h"

namespace {

struct Fields {
    SkinUI::CControlUI h, m, s, f;
    TimeGroup Group() { return { &h, &m, &s, &f }; }
    void Set(const wchar_t* hours, const wchar_t* minutes, const wchar_t* seconds, const wchar_t* fraction)
    {
        h.SetText(hours);
        m.SetText(minutes);
        s.SetText(seconds);
        f.SetText(fraction);
    }
    std::wstring Text()
    {
        return std::wstring(h.GetText().GetData()) + L":" + m.GetText().GetData() + L":" + s.GetText().GetData() + L"."
               + f.GetText().GetData();
    }
};

enum Which { H, M, S, F };

}  // namespace

TEST(TimeFieldStepping, CarriesBorrowsAndWrapTexts)
{
    struct Case {
        const wchar_t* from[4];
        Which field;
        bool up;
        const FractionRule* rule;
        const wchar_t* want;
        StepResult result;
    };
    const FractionRule* ms = &kCutMilliseconds;
    const FractionRule* cover = &kCoverMilliseconds;
    const FractionRule* tenths = &kTenths;
    const FractionRule* keys = &kKeyTenths;
    const Case cases[] = {
        { { L"00", L"00", L"59", L"999" }, F, true, ms, L"00:01:00.000", StepResult::Stepped },
        { { L"00", L"00", L"58", L"999" }, F, true, ms, L"00:00:59.000", StepResult::Stepped },
        { { L"01", L"59", L"59", L"0" }, S, true, ms, L"02:00:00.0", StepResult::Stepped },
        { { L"99", L"00", L"00", L"0" }, H, true, ms, L"100:00:00.0", StepResult::Stepped },
        { { L"00", L"7", L"00", L"0" }, M, true, ms, L"00:08:00.0", StepResult::Stepped },
        { { L"00", L"59", L"00", L"0" }, M, true, ms, L"01:00:00.0", StepResult::Stepped },
        { { L"00", L"00", L"00", L"999" }, F, true, cover, L"00:00:01.00", StepResult::Stepped },
        { { L"00", L"00", L"05", L"9" }, F, true, ms, L"00:00:05.010", StepResult::Stepped },
        { { L"00", L"00", L"09", L"9" }, F, true, tenths, L"00:00:10.0", StepResult::Stepped },
        { { L"00", L"59", L"59", L"9" }, F, true, keys, L"01:00:00.0", StepResult::Stepped },
        { { L"00", L"01", L"00", L"0" }, S, false, ms, L"00:00:59.0", StepResult::Stepped },
        { { L"01", L"00", L"00", L"0" }, S, false, ms, L"00:59:59.0", StepResult::Stepped },
        { { L"00", L"00", L"00", L"000" }, S, false, ms, L"00:00:00.000", StepResult::Unchanged },
        { { L"00", L"00", L"00", L"000" }, F, false, ms, L"00:00:00.000", StepResult::Unchanged },
        { { L"00", L"00", L"00", L"0" }, M, false, tenths, L"00:00:00.0", StepResult::Unchanged },
        { { L"00", L"00", L"30", L"0" }, M, false, keys, L"00:00:30.0", StepResult::Unchanged },
        { { L"00", L"00", L"00", L"0" }, H, false, ms, L"00:00:00.0", StepResult::Refused },
        { { L"00", L"00", L"05", L"001" }, F, false, ms, L"00:00:05.000", StepResult::Stepped },
        { { L"00", L"00", L"05", L"000" }, F, false, ms, L"00:00:04.999", StepResult::Stepped },
        { { L"00", L"00", L"05", L"1" }, F, false, keys, L"00:00:05.0", StepResult::Stepped },
        { { L"00", L"00", L"05", L"0" }, F, false, keys, L"00:00:04.9", StepResult::Stepped },
        { { L"01", L"00", L"00", L"0" }, F, false, keys, L"00:59:59.9", StepResult::Stepped },
        { { L"00", L"00", L"05", L"10" }, F, false, tenths, L"00:00:05.9", StepResult::Stepped },  // no borrow
        { { L"00", L"00", L"05", L"10" }, F, false, keys, L"00:00:04.9", StepResult::Stepped },   // keys borrow
        { { L"", L"", L"abc", L"" }, S, true, ms, L"::01.", StepResult::Stepped },  // no digits read as 0
    };
    for (const Case& c : cases) {
        Fields fields;
        fields.Set(c.from[0], c.from[1], c.from[2], c.from[3]);
        SkinUI::CControlUI* field[] = { &fields.h, &fields.m, &fields.s, &fields.f };
        SCOPED_TRACE(WideToUtf8(fields.Text() + (c.up ? L" up " : L" down ") + std::to_wstring(c.field)));
        EXPECT_EQ(StepTimeField(fields.Group(), field[c.field], c.up, *c.rule), c.result);
        EXPECT_EQ(fields.Text(), c.want);
    }
}

TEST(TimeFieldStepping, AFieldOutsideTheGroupChangesNothing)
{
    Fields fields;
    fields.Set(L"01", L"02", L"03", L"4");
    SkinUI::CControlUI other;
    EXPECT_EQ(StepTimeField(fields.Group(), &other, true, kTenths), StepResult::Unchanged);
    EXPECT_EQ(StepTimeField(fields.Group(), nullptr, false, kTenths), StepResult::Unchanged);
    EXPECT_EQ(fields.Text(), L"01:02:03.4");
}

TEST(TimeFieldStepping, TheMinutesAreWrittenBeforeTheyWrap)
{
    // Every write notifies at once: the minutes show "60" and then "00" on the way up.
    struct Recording : SkinUI::CControlUI {
        std::vector<std::wstring> seen;
        void SetText(const wchar_t* text) override
        {
            seen.emplace_back(text);
            SkinUI::CControlUI::SetText(text);
        }
    } minutes;
    SkinUI::CControlUI h, s, f;
    h.SetText(L"01");
    minutes.SetText(L"59");
    s.SetText(L"59");
    minutes.seen.clear();
    StepTimeField({ &h, &minutes, &s, &f }, &s, true, kCutMilliseconds);
    EXPECT_EQ(minutes.seen, (std::vector<std::wstring> { L"60", L"00" }));
    EXPECT_EQ(std::wstring(h.GetText().GetData()), L"02");
}
