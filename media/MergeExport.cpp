// The merge export: joins the rows of the merge list, in order, into one file. Inputs of one
// extension are first joined by one concat-filter run; when that leaves no usable file, by a
// stream copy of every input into a transport stream and a join of those; when that fails too,
// by the pool's pre-converted files. Inputs of mixed extensions are always pre-converted first.
// A join counts only when it is as long as its inputs together. Work files live in the private
// work folder and are removed after the join. Cancel removes the output; no history entry is
// written.

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <vector>

#include "base/StringHelpers.h"
#include "editor/mainwnd/MainWnd.h"
#include "media/CommandText.h"
#include "media/MediaInfoLibrary.h"
#include "media/MediaProbe.h"
#include "media/MergeExport.h"
#include "media/WorkFiles.h"
#include "platform/Windows.h"

std::atomic<int> g_nMergeTsCounter { 0 };

namespace {

// Smaller than this, a joined file holds nothing worth the name.
constexpr long long kSmallestMergeBytes = 1024;
// How far a join may miss the inputs' total: the streams of each input end a little apart, and
// the join rounds each to its frames.
constexpr double kJoinSlackSeconds = 0.5;
constexpr double kJoinSlackPerInput = 0.15;

// Numbers the pool's converted files and the list files for the life of the process.
std::atomic<int> g_mergeWorkCounter { 0 };

// The joined file is there, big enough, and as long as its inputs together: an input that was
// left out, or something that was never an input, shows in the length.
bool OutputUsable(const std::wstring& path, const MergeListView& list)
{
    if (!MediaInfoLibrary::OutputLooksValid(path, kSmallestMergeBytes))
        return false;
    double inputs = 0;
    for (int row = 0; row < list.RowCount(); ++row)
        inputs += std::max(0L, std::wcstol(list.RowDuration(row).GetData(), nullptr, 10)) / 1000.0;
    const double joined = MediaProbe::DurationSeconds(path);
    return joined > 0 && std::fabs(joined - inputs) <= kJoinSlackSeconds + kJoinSlackPerInput * list.RowCount();
}

// Every file was written and reads as media with some length.
bool AllReadable(const std::vector<std::wstring>& files)
{
    return std::all_of(files.begin(), files.end(), [](const std::wstring& file) {
        return !file.empty() && MediaProbe::DurationSeconds(file) > 0;
    });
}

void DeleteAll(const std::vector<std::wstring>& files)
{
    for (const std::wstring& file : files)
        ::DeleteFile(file.c_str());
}

bool SplitSize(const std::wstring& text, std::wstring& width, std::wstring& height)
{
    const size_t x = text.find(L'x');
    if (x == std::wstring::npos || text.find(L'x', x + 1) != std::wstring::npos)
        return false;
    width = text.substr(0, x);
    height = text.substr(x + 1);
    return true;
}

// One concat-demuxer line: the path single-quoted, a quote inside closed, escaped and reopened.
std::string ConcatListLine(const std::wstring& path)
{
    std::string line = "file '";
    for (char c : WideToUtf8(EncoderPath(path))) {
        if (c == '\'')
            line += "'\\''";
        else
            line += c;
    }
    return line + "'";
}

// Writes the list in UTF-8, one line per file, lines separated by a line feed.
bool WriteConcatList(const std::wstring& listPath, const std::vector<std::wstring>& files)
{
    std::string text;
    for (const std::wstring& file : files) {
        if (!text.empty())
            text += '\n';
        text += ConcatListLine(file);
    }
    ::DeleteFile(listPath.c_str());
    HANDLE handle = ::CreateFile(listPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)
        && written == text.size();
    ::CloseHandle(handle);
    return ok;
}

}  // namespace

bool CMainWnd::MergeInputsShareFormat() const
{
    std::wstring first;
    for (int row = 0; m_pMergeList && row < m_pMergeList->RowCount(); ++row) {
        std::wstring name = m_pMergeList->RowPath(row).GetData(), extension;
        SplitFileNameW(name, extension);
        if (row == 0)
            first = extension;
        else if (extension != first)
            return false;
    }
    return true;
}

int CMainWnd::MergeInputsSizeAgreement() const
{
    bool widthsAgree = true, heightsAgree = true;
    std::wstring firstWidth, firstHeight;
    for (int row = 0; m_pMergeList && row < m_pMergeList->RowCount(); ++row) {
        std::wstring width, height;
        if (!SplitSize(m_pMergeList->RowResolution(row).GetData(), width, height))
            break;
        if (row == 0) {
            firstWidth = width;
            firstHeight = height;
            continue;
        }
        widthsAgree = widthsAgree && width == firstWidth;
        heightsAgree = heightsAgree && height == firstHeight;
    }
    if (widthsAgree && heightsAgree)
        return 2;
    return widthsAgree ? 0 : heightsAgree ? 1 : 3;
}

bool CMainWnd::MergeByConcatFilter(const std::wstring& outputPath, bool useConvertedFiles)
{
    const int rows = m_pMergeList->RowCount();
    const std::wstring silentAudio = m_strAppFolder + L"roreravconvert.aac";
    std::wstring command = FormatWide(L"%s -y ", m_strEncoder.GetData());
    std::vector<int> widths, heights;
    for (int row = 0; row < rows; ++row) {
        std::wstring width, height;
        if (SplitSize(m_pMergeList->RowResolution(row).GetData(), width, height)) {
            widths.push_back(static_cast<int>(std::wcstol(width.c_str(), nullptr, 10)));
            heights.push_back(static_cast<int>(std::wcstol(height.c_str(), nullptr, 10)));
        }
        const std::wstring input = useConvertedFiles ? m_pMergeList->ConvertedPath(row).GetData()
                                                     : m_pMergeList->RowPath(row).GetData();
        command += FormatWide(L"-i \"%s\" ", QuoteInsideArgument(EncoderPath(input)).c_str());
    }
    // The pre-converted files all carry sound; only the originals need the silent stand-in.
    std::vector<int> audioInput(rows);
    int silentInputs = 0;
    for (int row = 0; row < rows; ++row) {
        audioInput[row] = row;
        if (useConvertedFiles || !m_pMergeList->RowIsMute(row))
            continue;
        audioInput[row] = rows + silentInputs++;
        command += FormatWide(L"-i \"%s\" ", QuoteInsideArgument(EncoderPath(silentAudio)).c_str());
    }
    std::wstring width = L"1920", height = L"1080";
    if (m_nMergeSizeAgreement != 3 && !widths.empty()) {
        width = FormatWide(L"%d", *std::max_element(widths.begin(), widths.end()));
        height = FormatWide(L"%d", *std::max_element(heights.begin(), heights.end()));
    }
    if (!m_mergeSettings.width.IsEmpty() && !m_mergeSettings.height.IsEmpty()) {
        width = m_mergeSettings.width.GetData();
        height = m_mergeSettings.height.GetData();
    }
    MakeEvenSizeW(width, height);
    const wchar_t* w = width.c_str();
    const wchar_t* h = height.c_str();
    std::wstring graph, pairs;
    for (int row = 0; row < rows; ++row) {
        graph += FormatWide(L"[%d:v]scale='trunc(min(%s,%s*dar)/2)*2':'trunc(min(%s/dar,%s)/2)*2',setsar=1:1,"
                            L"pad=%s:%s:trunc((%s-iw)/2):trunc((%s-ih)/2):black[slice%d];",
                            row, w, h, w, h, w, h, w, h, row);
        pairs += FormatWide(L"[slice%d][%d:a]", row, audioInput[row]);
    }
    command += FormatWide(L"-filter_complex \"%s%sconcat=n=%d:v=1:a=1[v][a]\" -map [v] -map [a] -vcodec h264 "
                          L"-acodec aac -preset superfast -pix_fmt yuv420p -r 30   -y   \"%s\"",
                          graph.c_str(), pairs.c_str(), rows, QuoteInsideArgument(EncoderPath(outputPath)).c_str());
    ::DeleteFile(outputPath.c_str());
    EncoderRunRequest run;
    run.command = command.c_str();
    run.outputPath = outputPath;
    run.durationSeconds = static_cast<float>(m_nMergeTotalSeconds);
    run.partCount = useConvertedFiles ? 2 : 1;
    run.basePercent = useConvertedFiles ? 50 : 0;
    RunEncoderWithProgress(run);
    return !CancelFlag && OutputUsable(outputPath, *m_pMergeList);
}

bool CMainWnd::MergeByStreamCopy(const std::wstring& outputPath)
{
    std::vector<std::wstring> streams;
    bool remuxed = true;
    for (int row = 0; row < m_pMergeList->RowCount() && remuxed && !CancelFlag; ++row) {
        const std::wstring ts = ExportWorkFile(L"Videots", ++g_nMergeTsCounter, L"ts");
        streams.push_back(ts);
        ::DeleteFile(ts.c_str());  // only a file this run wrote is ever joined
        EncoderRunRequest run;
        run.command = FormatWide(L"%s -y -i  \"%s\" -c copy -map 0 \"%s\" ", m_strEncoder.GetData(),
                                 QuoteInsideArgument(EncoderPath(m_pMergeList->RowPath(row).GetData())).c_str(),
                                 QuoteInsideArgument(EncoderPath(ts)).c_str()).c_str();
        run.outputPath = ts;
        run.durationSeconds = static_cast<float>(m_nMergeTotalSeconds);
        run.partCount = 2;
        RunEncoderWithProgress(run);
        // An input that cannot be copied ends this strategy: the join would leave it out.
        remuxed = AllReadable({ ts });
    }
    const std::wstring list = ExportWorkFile(L"filelist", ++g_mergeWorkCounter, L"txt");
    bool joined = false;
    if (remuxed && !CancelFlag && WriteConcatList(list, streams)) {
        // The transport streams are joined by the concat demuxer: the byte-level "concat:"
        // protocol would be sound here too, but the demuxer also takes inputs whose streams differ.
        EncoderRunRequest join;
        join.command = FormatWide(L"%s -y -f concat -safe 0 -i \"%s\" \"%s\" ", m_strEncoder.GetData(),
                                  QuoteInsideArgument(EncoderPath(list)).c_str(),
                                  QuoteInsideArgument(EncoderPath(outputPath)).c_str()).c_str();
        join.outputPath = outputPath;
        join.durationSeconds = static_cast<float>(m_nMergeTotalSeconds);
        join.partCount = 2;
        join.basePercent = 50;
        ::DeleteFile(outputPath.c_str());
        RunEncoderWithProgress(join);
        joined = !CancelFlag && OutputUsable(outputPath, *m_pMergeList);
    }
    DeleteAll(streams);
    ::DeleteFile(list.c_str());
    return joined;
}

bool CMainWnd::MergeConvertedFiles(const std::wstring& outputPath)
{
    std::vector<std::wstring> converted;
    for (int row = 0; row < m_pMergeList->RowCount(); ++row)
        converted.emplace_back(m_pMergeList->ConvertedPath(row).GetData());
    const std::wstring list = ExportWorkFile(L"convertedlist", ++g_mergeWorkCounter, L"txt");
    // A row the pool could not convert would be skipped by the join, not reported.
    if (CancelFlag || !AllReadable(converted) || !WriteConcatList(list, converted)) {
        ::DeleteFile(list.c_str());
        return false;
    }
    // MP4 files cannot be joined byte by byte: the concat demuxer reads each one as a whole.
    EncoderRunRequest join;
    join.command = FormatWide(L"%s -y -f concat -safe 0 -i \"%s\"  -vcodec h264 -acodec aac -crf 24 -pix_fmt "
                              L"yuv420p -preset superfast  \"%s\" ",
                              m_strEncoder.GetData(), QuoteInsideArgument(EncoderPath(list)).c_str(),
                              QuoteInsideArgument(EncoderPath(outputPath)).c_str()).c_str();
    join.outputPath = outputPath;
    join.durationSeconds = static_cast<float>(m_nMergeTotalSeconds);
    join.partCount = 2;
    join.basePercent = 50;
    ::DeleteFile(outputPath.c_str());
    RunEncoderWithProgress(join);
    ::DeleteFile(list.c_str());
    return !CancelFlag && OutputUsable(outputPath, *m_pMergeList);
}

ExportResult CMainWnd::ExportMerged(const MediaFileInfo& settings)
{
    m_mergeSettings = settings;
    m_fJobPercent = 0;
    m_nMergeTotalSeconds = 0;
    const int rows = m_pMergeList ? m_pMergeList->RowCount() : 0;
    long long totalMs = 0;
    for (int row = 0; row < rows; ++row)
        totalMs += std::max(0L, std::wcstol(m_pMergeList->RowDuration(row).GetData(), nullptr, 10));
    m_nMergeTotalSeconds = static_cast<int>(totalMs / 1000);
    if (rows == 0 || m_nMergeTotalSeconds <= 0)
        return ExportResult::Refused(L"没有可合并的视频（列表为空或总时长为0），请先添加视频！", L"取消");
    const std::wstring output = MakeUniqueOutputPath(JoinPath(settings.folder.GetData(),
                                                                settings.name + L"." + settings.format.GetData()));
    m_nMergeSizeAgreement = MergeInputsSizeAgreement();

    bool usable = false;
    if (MergeInputsShareFormat()) {
        m_bMergeSameFormat = 1;
        usable = MergeByConcatFilter(output, false) || (!CancelFlag && MergeByStreamCopy(output));
        if (!usable && !CancelFlag) {
            m_bMergeSameFormat = 0;
            RunMergePool();
            usable = MergeByConcatFilter(output, true);
        }
    } else {
        m_bMergeSameFormat = 0;
        RunMergePool();
        m_bMergeSameFormat = 1;
        usable = MergeConvertedFiles(output);
    }
    for (int row = 0; row < rows; ++row)
        if (!m_pMergeList->ConvertedPath(row).IsEmpty())
            ::DeleteFile(m_pMergeList->ConvertedPath(row).GetData());
    if (CancelFlag) {
        CancelFlag = 0;
        ::DeleteFile(output.c_str());
        return ExportResult::Cancelled();
    }
    if (!usable) {
        ::DeleteFile(output.c_str());
        return ExportResult::Failed(L"视频文件合并失败，请您联系客服处理！");
    }
    return ExportResult::Succeeded(L"您的视频文件已合并完成，需要现在打开吗？", output);
}
