// CUIString and CStdStringPtrMap against the standard containers on the framework's typical work:
// short texts (control names, attribute values, formatted image modifiers) and lookups of names in
// a table of a few dozen entries. Compare each pair's times: subject / baseline.

#include <benchmark/benchmark.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "platform/WinBase.h"
#include "ui/core/StdStringPtrMap.h"
#include "ui/core/UIString.h"

namespace {

const wchar_t* const kPieces[] = { L"file='", L"14-1.png", L"' ", L"source='", L"0,10,7,19", L"' ", L"hole='true'" };

void BM_UIStringAppendShort(benchmark::State& state)
{
    for (auto _ : state) {
        SkinUI::CUIString text;
        for (const wchar_t* piece : kPieces)
            text += piece;
        benchmark::DoNotOptimize(text.GetData());
    }
}

void BM_WStringAppendShort(benchmark::State& state)
{
    for (auto _ : state) {
        std::wstring text;
        for (const wchar_t* piece : kPieces)
            text += piece;
        benchmark::DoNotOptimize(text.data());
    }
}

void BM_UIStringAppendLong(benchmark::State& state)
{
    for (auto _ : state) {
        SkinUI::CUIString text;
        for (int i = 0; i < 8; ++i) {
            for (const wchar_t* piece : kPieces)
                text += piece;
        }
        benchmark::DoNotOptimize(text.GetData());
    }
}

void BM_WStringAppendLong(benchmark::State& state)
{
    for (auto _ : state) {
        std::wstring text;
        for (int i = 0; i < 8; ++i) {
            for (const wchar_t* piece : kPieces)
                text += piece;
        }
        benchmark::DoNotOptimize(text.data());
    }
}

// Both go through the platform's one wide formatter; the difference is what holds the result.
void BM_UIStringFormat(benchmark::State& state)
{
    SkinUI::CUIString text;
    for (auto _ : state) {
        text.SmallFormat(L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", 1, 2, 30, 40, 5, 6, 70, 80);
        benchmark::DoNotOptimize(text.GetData());
    }
}

void BM_WStringFormat(benchmark::State& state)
{
    std::wstring text;
    for (auto _ : state) {
        text = platform::FormatWideArgs(L"dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", 1, 2, 30, 40, 5, 6, 70, 80);
        benchmark::DoNotOptimize(text.data());
    }
}

std::vector<std::wstring> ControlNames(int count)
{
    std::vector<std::wstring> names;
    for (int i = 0; i < count; ++i)
        names.push_back(L"VideoControl" + std::to_wstring(i * 7919 % 1000));
    return names;
}

void BM_StdStringPtrMapFind(benchmark::State& state)
{
    const std::vector<std::wstring> names = ControlNames(static_cast<int>(state.range(0)));
    SkinUI::CStdStringPtrMap map;
    for (const std::wstring& name : names)
        map.Insert(name.c_str(), const_cast<wchar_t*>(name.c_str()));
    for (auto _ : state) {
        for (const std::wstring& name : names)
            benchmark::DoNotOptimize(map.Find(name.c_str()));
    }
}

void BM_UnorderedMapFind(benchmark::State& state)
{
    const std::vector<std::wstring> names = ControlNames(static_cast<int>(state.range(0)));
    std::unordered_map<std::wstring, void*> map;
    for (const std::wstring& name : names)
        map.emplace(name, const_cast<wchar_t*>(name.c_str()));
    for (auto _ : state) {
        for (const std::wstring& name : names)
            benchmark::DoNotOptimize(map.find(name));
    }
}

}  // namespace

BENCHMARK(BM_UIStringAppendShort);
BENCHMARK(BM_WStringAppendShort);
BENCHMARK(BM_UIStringAppendLong);
BENCHMARK(BM_WStringAppendLong);
BENCHMARK(BM_UIStringFormat);
BENCHMARK(BM_WStringFormat);
BENCHMARK(BM_StdStringPtrMapFind)->Arg(40)->Arg(400);
BENCHMARK(BM_UnorderedMapFind)->Arg(40)->Arg(400);
BENCHMARK_MAIN();
