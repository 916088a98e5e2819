// The clip-list export's background music stage, in one encoder run: the cut of the music, at its
// volume and repeated when asked, is placed over the clip from the placement's start to its end;
// it replaces the clip's sound when the clip has none or its own volume is 0, and is mixed into it
// otherwise. The output keeps the clip's length and picture.

#include <cmath>
#include <cstdio>
#include <cwchar>

#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"

namespace {

constexpr int kMusicRate = 44100;

std::wstring Arg(const std::wstring& path)
{
    return QuoteInsideArgument(EncoderPath(path));
}

// A filter chain, or "anull" where no filter is wanted, so chains always join.
std::wstring OrNull(const std::wstring& filter)
{
    return filter.empty() ? L"anull" : filter;
}

}  // namespace

float ClipTimeSeconds(const std::wstring& hours, const std::wstring& minutes, const std::wstring& seconds,
                      const std::wstring& tenths)
{
    const auto number = [](const std::wstring& text) { return static_cast<double>(std::wcstol(text.c_str(), nullptr, 10)); };
    return static_cast<float>(number(hours) * 3600 + number(minutes) * 60 + number(seconds) + number(tenths) * 0.1);
}

std::wstring ClipVolumeFilter(int volume)
{
    if (volume == 100)
        return L"";
    if (volume > 100)
        return FormatWide(L"volume=%ddB", static_cast<int>((volume - 100) * 0.5));
    return FormatWide(L"volume=-%ddB", static_cast<int>((100 - volume) * 0.5));
}

bool CMainWnd::ExportClipMusic(const ClipExportEntry& entry, const std::wstring& outputPath)
{
    const float musicLength = entry.musicEnd - entry.musicStart;
    const float span = entry.placeEnd - entry.placeStart;
    if (musicLength <= 0 || span <= 0 || entry.placeStart < 0 || entry.musicStart < 0) {
        std::printf("clip list: music cut or placement of length 0, nothing to add\n");
        return false;
    }
    // The music: its cut, repeated to fill the placement when asked, at most the placement long,
    // at its volume, delayed to the placement's start and followed by silence.
    std::wstring music = FormatWide(L"[1:a]atrim=start=%f:duration=%f,asetpts=PTS-STARTPTS,aresample=%d,"
                                    L"aformat=channel_layouts=stereo",
                                    static_cast<double>(entry.musicStart), static_cast<double>(musicLength), kMusicRate);
    if (entry.loopMusic && span > musicLength) {
        const int repeats = static_cast<int>(span / musicLength + 1.0f);
        const long long samples = std::llround(static_cast<double>(musicLength) * kMusicRate);
        music += FormatWide(L",aloop=loop=%d:size=%lld", repeats - 1, samples);
    }
    music += FormatWide(L",atrim=duration=%f,%s,adelay=%lld:all=1,apad[music]", static_cast<double>(span),
                        OrNull(ClipVolumeFilter(entry.musicVolume)).c_str(),
                        std::llround(static_cast<double>(entry.placeStart) * 1000));
    const bool replace = (entry.row && entry.row->IsMute()) || entry.soundVolume == 0;
    std::wstring graph = music;
    if (replace) {
        graph += L";[music]anull[track]";
    } else {
        // The two stereo pairs are merged into four channels and summed down to two: the mixing
        // filter would end the track some frames before the clip's own sound ends. The merge ends
        // with its shorter input, so the clip's sound is padded with silence: a sound shorter than
        // the placement or the picture must not cut the music off.
        graph += FormatWide(L";[0:a:0]aresample=%d,aformat=channel_layouts=stereo,%s,apad[sound];"
                            L"[sound][music]amerge=inputs=2,pan=stereo|c0=c0+c2|c1=c1+c3[track]",
                            kMusicRate, OrNull(ClipVolumeFilter(entry.soundVolume)).c_str());
    }
    EncoderRunRequest run;
    run.job = EncoderJobKind::ClipList;
    run.row = entry.row;
    run.outputPath = outputPath;
    run.durationSeconds = static_cast<float>(std::wcstol(entry.durationMsText.c_str(), nullptr, 10) / 1000);
    // The padded music would run for ever: the picture decides the output's end.
    run.command = FormatWide(L"%s -y -i \"%s\" -i \"%s\" -filter_complex \"%s\" -map 0:v:0 -map [track] -shortest "
                             L"-vcodec h264 -acodec aac -b:a 320k -ac 2 -preset superfast -pix_fmt yuv420p %s \"%s\" ",
                             m_strEncoder.GetData(), Arg(entry.clipPath).c_str(), Arg(entry.musicPath).c_str(),
                             graph.c_str(), m_strEncoderExtra.GetData(), Arg(outputPath).c_str()).c_str();
    RunEncoderWithProgress(run);
    return true;
}
