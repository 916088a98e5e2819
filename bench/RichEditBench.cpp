// The rich edit on the headless display: typing 10,000 characters one by one (each a WM_CHAR,
// every 60th an Enter, through the window's message filters into the text services, with its
// "textchanged") into a multi-line rich edit that holds 1,000 lines, and one full repaint of the
// window with that text,
// each against a baseline of the same run: the same keys and paint with the text services
// detached (an empty, inert rich edit), so the ratio is what the text itself costs.

#include <benchmark/benchmark.h>

#include <string>

#include "platform/headless/HeadlessScreen.h"
#include "ui/controls/RichEditUI.h"
#include "ui/controls/TxtWinHost.h"
#include "ui/core/WindowImplBase.h"

using namespace SkinUI;
namespace hl = platform::headless;

namespace {

constexpr int kLines = 1000;
constexpr int kKeys = 10000;

class EditWindow : public WindowImplBase {
public:
    EditWindow()
    {
        Create(nullptr, L"rich edit bench", WS_VISIBLE | WS_POPUP, 0);
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 640, 480, SWP_NOZORDER);
        ::SetActiveWindow(m_hWnd);
        ::SetFocus(m_hWnd);
        hl::PumpMessages();
        edit = static_cast<CRichEditUI*>(m_pm.FindControl(L"edit"));
        std::wstring text;
        for (int i = 0; i < kLines; ++i)
            text += L"Line " + std::to_wstring(i) + L" of the change log: fixed, added, improved.\r\n";
        edit->SetText(text.c_str());
        edit->SetFocus();
        edit->SetSel(text.size() / 2, text.size() / 2);  // type in the middle of the text
        hl::PumpMessages();
    }
    ~EditWindow() override
    {
        ::DestroyWindow(m_hWnd);
        hl::PumpMessages();
    }
    void Notify(TNotifyUI& msg) override
    {
        changes += msg.sType == L"textchanged";
        WindowImplBase::Notify(msg);
    }
    CRichEditUI* edit = nullptr;
    int changes = 0;

protected:
    const wchar_t* GetWindowClassName() const override { return L"RichEditBench"; }
    CUIString GetSkinFileName() override
    {
        return L"<Window size=\"640,480\"><VerticalLayout bkcolor=\"#FFFFFFFF\">"
               L"<RichEdit name=\"edit\" vscrollbar=\"true\" maxchar=\"1000000\" textcolor=\"#FF202020\"/></VerticalLayout></Window>";
    }
};

void TypeKeys(benchmark::State& state, bool withServices)
{
    hl::Use();
    if (!withServices)
        CTxtWinHost::SetTextServicesFactory([](IUnknown*, ITextHost*, IUnknown** made) -> HRESULT {
            *made = nullptr;
            return E_FAIL;
        });
    EditWindow window;
    CTxtWinHost::SetTextServicesFactory(nullptr);
    const HWND hwnd = window.GetHWND();
    for (auto _ : state) {
        for (int i = 0; i < kKeys; ++i) {
            if (i % 60 == 59)  // a line of typing ends with Enter, a word with a space
                ::SendMessage(hwnd, WM_KEYDOWN, VK_RETURN, 1);
            else
                ::SendMessage(hwnd, WM_CHAR, static_cast<WPARAM>(i % 8 == 7 ? L' ' : L'a' + i % 26), 1);
        }
    }
    state.counters["keys"] = kKeys;  // time per iteration / keys = time per key
    state.counters["changes"] = window.changes;  // every key made one change
}

void Repaint(benchmark::State& state, bool withServices)
{
    hl::Use();
    if (!withServices)
        CTxtWinHost::SetTextServicesFactory([](IUnknown*, ITextHost*, IUnknown** made) -> HRESULT {
            *made = nullptr;
            return E_FAIL;
        });
    EditWindow window;
    CTxtWinHost::SetTextServicesFactory(nullptr);
    const HWND hwnd = window.GetHWND();
    for (auto _ : state) {
        ::InvalidateRect(hwnd, nullptr, FALSE);
        ::UpdateWindow(hwnd);
    }
}

void BM_TypeIntoThousandLines(benchmark::State& state) { TypeKeys(state, true); }
void BM_TypeBaselineInertEdit(benchmark::State& state) { TypeKeys(state, false); }
void BM_RepaintThousandLines(benchmark::State& state) { Repaint(state, true); }
void BM_RepaintBaselineInertEdit(benchmark::State& state) { Repaint(state, false); }

}  // namespace

BENCHMARK(BM_TypeIntoThousandLines)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_TypeBaselineInertEdit)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RepaintThousandLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintBaselineInertEdit)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
