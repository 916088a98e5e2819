// Unzipping one 20 MB deflated item from a memory archive with our reader, against zlib's own raw
// inflate over the same compressed bytes into the same buffer. Report ZipReader/Zlib times; the
// aim is a throughput ratio (zlib time / reader time) of at least 0.95. The reader also checks
// the CRC-32, which the bare inflate does not.

#include "ui/core/ZipArchiveReader.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t kItemSize = 20 * 1024 * 1024;

// Text-like data: words drawn by a fixed generator, so it deflates about as well as skin XML.
std::vector<uint8_t> MakeText()
{
    static const char* const kWords[] = { "<Control ", "name=\"", "button", "label", "\" ", "pos=\"",
        "10,20,30,40", "/>\n", "text=\"", "Quillmoor", "font=\"1\" ", "width=\"", "120", "height=\"", "32" };
    std::vector<uint8_t> out;
    out.reserve(kItemSize + 32);
    uint32_t state = 12345;
    while (out.size() < kItemSize) {
        state = state * 1103515245u + 12345u;
        const char* word = kWords[(state >> 16) % std::size(kWords)];
        out.insert(out.end(), word, word + std::strlen(word));
        if ((state >> 8) % 7 == 0)
            out.push_back(static_cast<uint8_t>('0' + (state >> 24) % 10));
    }
    out.resize(kItemSize);
    return out;
}

std::vector<uint8_t> RawDeflate(const std::vector<uint8_t>& data)
{
    z_stream s {};
    if (::deflateInit2_(&s, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY, ZLIB_VERSION, sizeof s) != Z_OK)
        std::abort();
    std::vector<uint8_t> out(data.size() + data.size() / 100 + 1024);
    s.next_in = const_cast<Bytef*>(data.data());
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = out.data();
    s.avail_out = static_cast<uInt>(out.size());
    if (::deflate(&s, Z_FINISH) != Z_STREAM_END)
        std::abort();
    out.resize(s.total_out);
    ::deflateEnd(&s);
    return out;
}

void Put16(std::vector<uint8_t>& out, uint32_t v) { out.insert(out.end(), { uint8_t(v), uint8_t(v >> 8) }); }
void Put32(std::vector<uint8_t>& out, uint32_t v) { Put16(out, v & 0xFFFF); Put16(out, v >> 16); }

struct Fixture {
    std::vector<uint8_t> packed;   // the raw deflate stream
    std::vector<uint8_t> archive;  // a one-item zip around it
    std::vector<uint8_t> output = std::vector<uint8_t>(kItemSize);

    Fixture()
    {
        const std::vector<uint8_t> text = MakeText();
        packed = RawDeflate(text);
        const auto crc = static_cast<uint32_t>(::crc32(0, text.data(), static_cast<uInt>(text.size())));
        const std::string name = "skin/big.xml";
        Put32(archive, 0x04034B50);
        for (uint32_t v : { 20u, 0u, 8u, 0u, 0x5000u })
            Put16(archive, v);
        Put32(archive, crc);
        Put32(archive, static_cast<uint32_t>(packed.size()));
        Put32(archive, static_cast<uint32_t>(text.size()));
        Put16(archive, static_cast<uint32_t>(name.size()));
        Put16(archive, 0);
        archive.insert(archive.end(), name.begin(), name.end());
        archive.insert(archive.end(), packed.begin(), packed.end());
        const auto directory = static_cast<uint32_t>(archive.size());
        Put32(archive, 0x02014B50);
        for (uint32_t v : { 20u, 20u, 0u, 8u, 0u, 0x5000u })
            Put16(archive, v);
        Put32(archive, crc);
        Put32(archive, static_cast<uint32_t>(packed.size()));
        Put32(archive, static_cast<uint32_t>(text.size()));
        for (uint32_t v : { static_cast<uint32_t>(name.size()), 0u, 0u, 0u, 0u })
            Put16(archive, v);
        Put32(archive, 0x20);
        Put32(archive, 0);
        archive.insert(archive.end(), name.begin(), name.end());
        const auto directorySize = static_cast<uint32_t>(archive.size()) - directory;
        Put32(archive, 0x06054B50);
        for (uint32_t v : { 0u, 0u, 1u, 1u })
            Put16(archive, v);
        Put32(archive, directorySize);
        Put32(archive, directory);
        Put16(archive, 0);
    }
};

Fixture& Shared()
{
    static Fixture fixture;
    return fixture;
}

void BM_ZlibInflate(benchmark::State& state)
{
    Fixture& f = Shared();
    for (auto _ : state) {
        z_stream s {};
        ::inflateInit2_(&s, -MAX_WBITS, ZLIB_VERSION, sizeof s);
        s.next_in = f.packed.data();
        s.avail_in = static_cast<uInt>(f.packed.size());
        s.next_out = f.output.data();
        s.avail_out = static_cast<uInt>(f.output.size());
        if (::inflate(&s, Z_FINISH) != Z_STREAM_END)
            state.SkipWithError("inflate failed");
        ::inflateEnd(&s);
        benchmark::DoNotOptimize(f.output.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kItemSize);
}

void BM_ZipReaderExtract(benchmark::State& state)
{
    Fixture& f = Shared();
    for (auto _ : state) {
        SkinUI::ZipHandle* zip = SkinUI::ZipReaderOpenMemory(f.archive.data(), f.archive.size(), nullptr);
        if (!zip || SkinUI::ZipReaderExtractToMemory(zip, 0, f.output.data(), kItemSize) != SkinUI::kZipOk)
            state.SkipWithError("unzip failed");
        SkinUI::ZipReaderClose(zip);
        benchmark::DoNotOptimize(f.output.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kItemSize);
}

}  // namespace

BENCHMARK(BM_ZlibInflate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZipReaderExtract)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
