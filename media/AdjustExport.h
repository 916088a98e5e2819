#pragma once
// The adjust export's plan: the chain of encoder runs that the adjust page's settings ask for.
// Each run reads what the previous one wrote; the last writes the output. Pure: the job reads
// the page, asks for the plan and runs it.

#include <string>
#include <vector>

struct AdjustSettings {
    int brightness = 100, saturation = 100, contrast = 100;  // sliders, 0 to 200; 100 keeps
    bool reverse = false;
    bool rotate = false;                // "Spin" selected
    std::wstring rotation = L"原始";    // "Comspin": "原始", "90°", "180°", "270°"
    std::wstring aspect = L"原始";      // "VideoAcpect"
    std::wstring speed = L"1.0x";       // "Speed"
    std::wstring width, height;         // export size; both empty keeps the size
    bool sourceHasSound = true;
};

struct AdjustRun {
    std::wstring command;
    std::wstring input, output;
    int partCount = 1, basePercent = 0;
};

// intermediates: the files of the runs before the last, at least two.
std::vector<AdjustRun> PlanAdjustRuns(const AdjustSettings& settings, const std::wstring& encoder,
                                      const std::wstring& source, const std::wstring& output,
                                      const std::wstring intermediates[2]);
