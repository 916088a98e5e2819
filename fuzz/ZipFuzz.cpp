// Feeds arbitrary bytes to the zip reader as a memory archive and as a file: every item is listed,
// looked up by name, unzipped to memory piece by piece and unzipped to a file inside a private
// folder. Nothing may crash, leak, hang or write outside that folder.

#include "ui/core/ZipArchiveReader.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace SkinUI;

namespace {

constexpr int kMaxItems = 32;
constexpr int kMaxPieces = 64;  // 256 KB per item: enough for any path, bounded for a bomb

std::filesystem::path g_folder;

void RemoveFolder() { std::filesystem::remove_all(g_folder); }

void UnzipToMemory(ZipHandle* zip, int index)
{
    std::vector<uint8_t> buffer(4096);
    for (int piece = 0; piece < kMaxPieces; ++piece) {
        if (ZipReaderExtractToMemory(zip, index, buffer.data(), static_cast<DWORD>(buffer.size())) != kZipMore)
            return;
    }
}

// False when the bytes are no archive at all.
bool ExerciseMemory(const uint8_t* data, size_t size)
{
    ZipHandle* zip = ZipReaderOpenMemory(data, size, "quill");
    if (!zip)
        return false;
    ZipItemRecord record;
    ZipReaderGetItem(zip, -1, &record);
    const int count = std::min(record.index, kMaxItems);
    for (int i = 0; i < count; ++i) {
        if (ZipReaderGetItem(zip, i, &record) == kZipOk) {
            int found = -1;
            ZipReaderFindItem(zip, record.name, true, &found, &record);
        }
        UnzipToMemory(zip, i);
    }
    ZipReaderClose(zip);
    return true;
}

void ExerciseFile(const uint8_t* data, size_t size)
{
    const std::filesystem::path archive = g_folder / "input.zip";
    FILE* file = std::fopen(archive.c_str(), "wb");
    if (!file)
        return;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    const std::wstring path = archive.wstring();
    ZipHandle* zip = ZipReaderOpenFile(path.c_str(), "quill");
    if (!zip)
        return;
    ZipItemRecord record;
    ZipReaderGetItem(zip, -1, &record);
    const int count = std::min(record.index, kMaxItems);
    for (int i = 0; i < count; ++i) {
        if (ZipReaderGetItem(zip, i, &record) != kZipOk)
            continue;
        const std::wstring target = (g_folder / "out").wstring() + L"\\" + record.name;
        ZipReaderExtractToFile(zip, i, target.c_str());
    }
    ZipReaderClose(zip);
    std::filesystem::remove_all(g_folder / "out");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "zipfuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    g_folder = pattern;
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Writing the file costs more than the rest: only for inputs that open as archives.
    if (ExerciseMemory(data, size))
        ExerciseFile(data, size);
    return 0;
}
