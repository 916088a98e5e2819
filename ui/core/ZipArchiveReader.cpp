#include "ui/core/ZipArchiveReader.h"

#include "platform/WinBase.h"

#include <zlib.h>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace SkinUI {

namespace {

namespace fs = std::filesystem;

constexpr DWORD kReaderKind = 1;
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr size_t kEndRecordSize = 22;
constexpr size_t kCentralHeaderSize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr uint64_t kEndSearchSpan = 0xFFFF + kEndRecordSize;  // the longest comment still fits
constexpr size_t kTransferSize = 16384;
constexpr size_t kCrcSlice = 262144;  // CRC each slice while it is still in cache
constexpr size_t kFindNameLimit = 256;
constexpr uint16_t kExtendedTimeTag = 0x5455;  // "UT"
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;

constexpr DWORD kAttrReadOnly = 0x01;
constexpr DWORD kAttrHidden = 0x02;
constexpr DWORD kAttrSystem = 0x04;
constexpr DWORD kAttrDirectory = 0x10;
constexpr DWORD kAttrArchive = 0x20;

std::atomic<DWORD> g_lastResult { kZipOk };
std::atomic<unsigned> g_tempCounter { 0 };

DWORD Report(DWORD code)
{
    g_lastResult.store(code, std::memory_order_relaxed);
    return code;
}

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) { return static_cast<uint32_t>(Le16(p)) | (static_cast<uint32_t>(Le16(p + 2)) << 16); }

// CRC-32 of unzipped data. zlib's table-driven CRC costs about a quarter of inflate's time, so on
// x86 the bulk goes through carry-less multiplication: four 128-bit accumulators are folded
// forward over the data (each fold multiplies by x^n mod P, which keeps the value congruent mod
// P), and the folded 16 bytes plus the tail are finished by zlib. Same result, bit for bit.
#if defined(__x86_64__) || defined(__i386__)

// x^n mod P for the CRC-32 polynomial; bit d is the coefficient of x^d.
uint32_t PowerModP(unsigned n)
{
    uint32_t r = 1;
    for (unsigned i = 0; i < n; ++i)
        r = (r << 1) ^ ((r & 0x80000000u) ? 0x04C11DB7u : 0);
    return r;
}

// The constant folding a lane across n bits, laid out for bit-reflected lanes; a product of
// reflected values comes out one bit low, hence x^(n-1).
uint64_t FoldConstant(unsigned n)
{
    const uint32_t k = PowerModP(n - 1);
    uint64_t lane = 0;
    for (int d = 0; d < 32; ++d) {
        if (k & (1u << d))
            lane |= 1ull << (63 - d);
    }
    return lane;
}

struct FoldConstants {
    // Each pair: {lane holding earlier bits: distance + 64, later lane: distance}.
    uint64_t by512[2] { FoldConstant(512 + 64), FoldConstant(512) };
    uint64_t by384[2] { FoldConstant(384 + 64), FoldConstant(384) };
    uint64_t by256[2] { FoldConstant(256 + 64), FoldConstant(256) };
    uint64_t by128[2] { FoldConstant(128 + 64), FoldConstant(128) };
};

__attribute__((target("pclmul,sse2"))) __m128i Fold(__m128i v, const uint64_t (&k)[2])
{
    const __m128i constants = _mm_set_epi64x(static_cast<long long>(k[1]), static_cast<long long>(k[0]));
    return _mm_xor_si128(_mm_clmulepi64_si128(v, constants, 0x00), _mm_clmulepi64_si128(v, constants, 0x11));
}

__attribute__((target("pclmul,sse2"))) __m128i Load(const uint8_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// n >= 64.
__attribute__((target("pclmul,sse2"))) uint32_t FoldedCrc32(uint32_t crc, const uint8_t* p, size_t n)
{
    static const FoldConstants k;
    __m128i a0 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int>(~crc)));
    __m128i a1 = Load(p + 16), a2 = Load(p + 32), a3 = Load(p + 48);
    for (p += 64, n -= 64; n >= 64; p += 64, n -= 64) {
        a0 = _mm_xor_si128(Fold(a0, k.by512), Load(p));
        a1 = _mm_xor_si128(Fold(a1, k.by512), Load(p + 16));
        a2 = _mm_xor_si128(Fold(a2, k.by512), Load(p + 32));
        a3 = _mm_xor_si128(Fold(a3, k.by512), Load(p + 48));
    }
    __m128i r = _mm_xor_si128(_mm_xor_si128(Fold(a0, k.by384), Fold(a1, k.by256)), _mm_xor_si128(Fold(a2, k.by128), a3));
    for (; n >= 16; p += 16, n -= 16)
        r = _mm_xor_si128(Fold(r, k.by128), Load(p));
    uint8_t rest[32];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(rest), r);
    std::memcpy(rest + 16, p, n);
    return static_cast<uint32_t>(::crc32(0xFFFFFFFFu, rest, static_cast<uInt>(16 + n)));
}

uint32_t Crc32(uint32_t crc, const uint8_t* p, size_t n)
{
    static const bool folding = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
    if (folding && n >= 64)
        return FoldedCrc32(crc, p, n);
    return static_cast<uint32_t>(::crc32(crc, p, static_cast<uInt>(n)));
}

#else

uint32_t Crc32(uint32_t crc, const uint8_t* p, size_t n)
{
    return static_cast<uint32_t>(::crc32(crc, p, static_cast<uInt>(n)));
}

#endif

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// The archive's bytes: a block in memory, read in place, or a file read through a buffer.
class ZipInput {
public:
    ZipInput(const uint8_t* data, size_t size) : m_memory(data), m_size(size) {}
    explicit ZipInput(FilePtr file, uint64_t size) : m_size(size), m_file(std::move(file)) {}

    static std::unique_ptr<ZipInput> OpenFile(const fs::path& path)
    {
        std::error_code ec;
        if (!fs::is_regular_file(path, ec))
            return nullptr;
        FilePtr file(std::fopen(path.c_str(), "rb"));
        if (!file || fseeko(file.get(), 0, SEEK_END) != 0)
            return nullptr;
        const off_t size = ftello(file.get());
        if (size < 0)
            return nullptr;
        return std::make_unique<ZipInput>(std::move(file), static_cast<uint64_t>(size));
    }

    uint64_t Size() const { return m_size; }
    bool InMemory() const { return m_memory != nullptr; }

    // Exactly count bytes at offset, or false; never reads past the end.
    bool ReadAt(uint64_t offset, void* out, size_t count)
    {
        if (offset > m_size || count > m_size - offset)
            return false;
        if (count == 0)
            return true;
        if (m_memory) {
            std::memcpy(out, m_memory + offset, count);
            return true;
        }
        if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max()) || fseeko(m_file.get(), static_cast<off_t>(offset), SEEK_SET) != 0)
            return false;
        return std::fread(out, 1, count, m_file.get()) == count;
    }

    // A memory archive's bytes from offset to its end, in place.
    const uint8_t* View(uint64_t offset, uint64_t* available) const
    {
        *available = offset < m_size ? m_size - offset : 0;
        return m_memory + std::min(offset, m_size);
    }

private:
    const uint8_t* m_memory { nullptr };
    uint64_t m_size { 0 };
    FilePtr m_file;
};

struct CentralHeader {
    uint16_t versionMadeBy { 0 };
    uint16_t flags { 0 };
    uint16_t method { 0 };
    uint32_t dosDateTime { 0 };  // time in the low 16 bits, date in the high
    uint32_t crc { 0 };
    uint32_t compressedSize { 0 };
    uint32_t uncompressedSize { 0 };
    uint32_t externalAttributes { 0 };
    uint32_t localOffset { 0 };
    uint64_t recordSize { 0 };   // header, name, extra field and comment
    std::string name;            // as stored
};

// Walks the central directory record by record; it is never loaded whole. Every record must lie
// inside the directory found through the end record, so a damaged one stops the walk.
class CentralDirectory {
public:
    bool Open(ZipInput& input)
    {
        m_input = &input;
        uint64_t endOffset = 0;
        uint8_t end[kEndRecordSize];
        if (!FindEndRecord(&endOffset) || !input.ReadAt(endOffset, end, sizeof end))
            return false;
        const uint16_t disk = Le16(end + 4), directoryDisk = Le16(end + 6);
        const uint16_t itemsOnDisk = Le16(end + 8), items = Le16(end + 10);
        const uint64_t size = Le32(end + 12), offset = Le32(end + 16);
        if (disk != 0 || directoryDisk != 0 || itemsOnDisk != items || endOffset < offset + size)
            return false;
        // Anything before the archive (a program stub) shifts every offset stored in it.
        m_bytesBefore = endOffset - offset - size;
        m_start = endOffset - size;
        m_end = endOffset;
        m_count = items;
        return m_count == 0 || Seek(0);
    }

    int Count() const { return m_count; }
    uint64_t BytesBefore() const { return m_bytesBefore; }
    int CurrentIndex() const { return m_current; }
    const CentralHeader& Current() const { return m_header; }

    // Positions on item index (0 <= index < Count()): forward from the current item, or from the
    // first. False when a record on the way is damaged; the next call starts again from the first.
    bool Seek(int index)
    {
        if (!m_valid || index < m_current) {
            m_current = 0;
            m_offset = m_start;
            if (!ReadHeader())
                return false;
        }
        while (m_current < index) {
            m_offset += m_header.recordSize;
            ++m_current;
            if (!ReadHeader())
                return false;
        }
        return true;
    }

private:
    bool FindEndRecord(uint64_t* endOffset)
    {
        const uint64_t size = m_input->Size();
        const auto span = static_cast<size_t>(std::min(size, kEndSearchSpan));
        if (span < 4)
            return false;
        std::vector<uint8_t> tail(span);
        if (!m_input->ReadAt(size - span, tail.data(), span))
            return false;
        // The hit nearest to the end wins.
        for (size_t i = span - 4 + 1; i-- > 0;) {
            if (Le32(tail.data() + i) == kEndSignature) {
                *endOffset = size - span + i;
                return true;
            }
        }
        return false;
    }

    bool ReadHeader()
    {
        m_valid = false;
        uint8_t h[kCentralHeaderSize];
        if (m_offset > m_end || kCentralHeaderSize > m_end - m_offset || !m_input->ReadAt(m_offset, h, sizeof h))
            return false;
        if (Le32(h) != kCentralSignature)
            return false;
        const uint16_t nameLength = Le16(h + 28);
        const uint64_t recordSize = kCentralHeaderSize + nameLength + Le16(h + 30) + Le16(h + 32);
        if (recordSize > m_end - m_offset)
            return false;
        CentralHeader header;
        header.versionMadeBy = Le16(h + 4);
        header.flags = Le16(h + 8);
        header.method = Le16(h + 10);
        header.dosDateTime = Le32(h + 12);
        header.crc = Le32(h + 16);
        header.compressedSize = Le32(h + 20);
        header.uncompressedSize = Le32(h + 24);
        header.externalAttributes = Le32(h + 38);
        header.localOffset = Le32(h + 42);
        header.recordSize = recordSize;
        header.name.resize(nameLength);
        if (!m_input->ReadAt(m_offset + kCentralHeaderSize, header.name.data(), nameLength))
            return false;
        m_header = std::move(header);
        m_valid = true;
        return true;
    }

    ZipInput* m_input { nullptr };
    int m_count { 0 };
    uint64_t m_bytesBefore { 0 };
    uint64_t m_start { 0 };
    uint64_t m_end { 0 };
    int m_current { 0 };
    uint64_t m_offset { 0 };
    bool m_valid { false };
    CentralHeader m_header;
};

struct LocalHeader {
    uint64_t extraOffset { 0 };
    uint16_t extraLength { 0 };
};

// The local header must agree with the central one; sizes and CRC may be deferred to a data
// descriptor (flag bit 3), in which case the central values hold.
bool CheckLocalHeader(ZipInput& input, const CentralHeader& central, uint64_t bytesBefore, LocalHeader* out)
{
    const uint64_t offset = bytesBefore + central.localOffset;
    uint8_t h[kLocalHeaderSize];
    if (!input.ReadAt(offset, h, sizeof h) || Le32(h) != kLocalSignature)
        return false;
    const uint16_t flags = Le16(h + 6), method = Le16(h + 8);
    if (method != central.method || (method != 0 && method != 8))
        return false;
    const bool deferred = (flags & 8) != 0;
    if (!deferred && (Le32(h + 14) != central.crc || Le32(h + 18) != central.compressedSize || Le32(h + 22) != central.uncompressedSize))
        return false;
    const uint16_t nameLength = Le16(h + 26);
    if (nameLength != central.name.size())
        return false;
    out->extraOffset = offset + kLocalHeaderSize + nameLength;
    out->extraLength = Le16(h + 28);
    return true;
}

// One item's data, unpacked piece by piece and checked against its CRC-32 at the end. Holds a
// zlib stream, which must not move: keep it on the heap.
class ItemStream {
public:
    ItemStream() = default;
    ItemStream(const ItemStream&) = delete;
    ItemStream& operator=(const ItemStream&) = delete;
    ~ItemStream()
    {
        if (m_inflateReady)
            inflateEnd(&m_zstream);
    }

    bool Open(ZipInput& input, const CentralHeader& central, uint64_t bytesBefore, const std::optional<std::string>& password)
    {
        LocalHeader local;
        if (!CheckLocalHeader(input, central, bytesBefore, &local))
            return false;
        m_input = &input;
        m_method = central.method;
        m_dataOffset = local.extraOffset + local.extraLength;
        m_compressedLeft = central.compressedSize;
        m_uncompressedLeft = central.uncompressedSize;
        m_expectedCrc = central.crc;
        if (m_method == 8) {
            if (inflateInit2(&m_zstream, -MAX_WBITS) != Z_OK)
                return false;
            m_inflateReady = true;
        }
        m_encrypted = (central.flags & 1) != 0;
        if (m_encrypted)
            StartCipher(central, password);
        return true;
    }

    // Produces up to size bytes into out; *ended once the item's data is complete and checked.
    DWORD Read(uint8_t* out, size_t size, size_t* produced, bool* ended)
    {
        *produced = 0;
        *ended = false;
        if (const DWORD code = ConsumeEncryptionHeader(); code != kZipOk)
            return code;
        const auto want = static_cast<size_t>(std::min<uint64_t>(size, m_uncompressedLeft));
        while (*produced < want && !m_streamEnded) {
            if (m_inAvailable == 0) {
                if (const DWORD code = Refill(); code != kZipOk)
                    return code;
            }
            const size_t room = std::min(want - *produced, kCrcSlice);
            size_t made = 0;
            const DWORD code = m_method == 8 ? Inflate(out + *produced, room, &made) : Copy(out + *produced, room, &made);
            if (code != kZipOk)
                return code;
            m_crc = Crc32(m_crc, out + *produced, made);
            *produced += made;
            m_uncompressedLeft -= made;
        }
        // The stream ending early means the sizes lie.
        if (m_streamEnded && m_uncompressedLeft > 0)
            return DataError();
        if (m_uncompressedLeft > 0)
            return kZipOk;
        *ended = true;
        return m_crc == m_expectedCrc ? kZipOk : DataError();
    }

private:
    // With the traditional cipher, damaged data most likely means a wrong password.
    DWORD DataError() const { return m_encrypted ? kZipPassword : kZipFlateError; }

    DWORD Refill()
    {
        if (m_compressedLeft == 0)
            return DataError();
        if (m_input->InMemory() && !m_encrypted) {
            uint64_t available = 0;
            m_in = m_input->View(m_dataOffset, &available);
            m_inAvailable = static_cast<size_t>(std::min(m_compressedLeft, available));
            if (m_inAvailable == 0)
                return kZipFlateError;
        } else {
            m_buffer.resize(kTransferSize);
            m_inAvailable = static_cast<size_t>(std::min<uint64_t>(kTransferSize, m_compressedLeft));
            if (!m_input->ReadAt(m_dataOffset, m_buffer.data(), m_inAvailable)) {
                m_inAvailable = 0;
                return kZipFlateError;
            }
            m_in = m_buffer.data();
            if (m_encrypted)
                Decrypt(m_buffer.data(), m_inAvailable);
        }
        m_dataOffset += m_inAvailable;
        m_compressedLeft -= m_inAvailable;
        return kZipOk;
    }

    DWORD Copy(uint8_t* out, size_t room, size_t* made)
    {
        *made = std::min(room, m_inAvailable);
        std::memcpy(out, m_in, *made);
        m_in += *made;
        m_inAvailable -= *made;
        return kZipOk;
    }

    DWORD Inflate(uint8_t* out, size_t room, size_t* made)
    {
        const auto offered = static_cast<uInt>(std::min<size_t>(m_inAvailable, UINT_MAX));
        m_zstream.next_in = const_cast<Bytef*>(m_in);
        m_zstream.avail_in = offered;
        m_zstream.next_out = out;
        m_zstream.avail_out = static_cast<uInt>(room);
        const int rc = inflate(&m_zstream, Z_SYNC_FLUSH);
        const size_t consumed = offered - m_zstream.avail_in;
        m_in += consumed;
        m_inAvailable -= consumed;
        *made = room - m_zstream.avail_out;
        if (rc == Z_STREAM_END) {
            m_streamEnded = true;
            return kZipOk;
        }
        if ((rc != Z_OK && rc != Z_BUF_ERROR) || (consumed == 0 && *made == 0 && m_inAvailable > 0))
            return DataError();
        return kZipOk;
    }

    void StartCipher(const CentralHeader& central, const std::optional<std::string>& password)
    {
        m_keys[0] = 0x12345678;
        m_keys[1] = 0x23456789;
        m_keys[2] = 0x34567890;
        if (password) {
            for (char c : *password)
                UpdateKeys(static_cast<uint8_t>(c));
        }
        m_headerLeft = 12;
        m_checkByte = static_cast<uint8_t>((central.flags & 8) ? (central.dosDateTime >> 8) : (central.crc >> 24));
    }

    DWORD ConsumeEncryptionHeader()
    {
        while (m_headerLeft > 0) {
            if (m_inAvailable == 0) {
                if (const DWORD code = Refill(); code != kZipOk)
                    return code;
            }
            const size_t n = std::min(m_headerLeft, m_inAvailable);
            const uint8_t last = m_in[n - 1];
            m_in += n;
            m_inAvailable -= n;
            m_headerLeft -= n;
            if (m_headerLeft == 0 && last != m_checkByte)
                return kZipPassword;
        }
        return kZipOk;
    }

    static uint32_t CrcByte(uint32_t crc, uint8_t c)
    {
        static const z_crc_t* table = get_crc_table();
        return static_cast<uint32_t>(table[(crc ^ c) & 0xFF]) ^ (crc >> 8);
    }

    void UpdateKeys(uint8_t c)
    {
        m_keys[0] = CrcByte(m_keys[0], c);
        m_keys[1] = (m_keys[1] + (m_keys[0] & 0xFF)) * 134775813u + 1;
        m_keys[2] = CrcByte(m_keys[2], static_cast<uint8_t>(m_keys[1] >> 24));
    }

    void Decrypt(uint8_t* data, size_t count)
    {
        for (size_t i = 0; i < count; ++i) {
            const uint32_t t = (m_keys[2] | 2) & 0xFFFF;
            data[i] ^= static_cast<uint8_t>((t * (t ^ 1)) >> 8);
            UpdateKeys(data[i]);
        }
    }

    ZipInput* m_input { nullptr };
    std::vector<uint8_t> m_buffer;
    z_stream m_zstream {};
    bool m_inflateReady { false };
    bool m_streamEnded { false };
    const uint8_t* m_in { nullptr };
    size_t m_inAvailable { 0 };
    uint64_t m_dataOffset { 0 };
    uint32_t m_crc { 0 };
    uint32_t m_expectedCrc { 0 };
    uint64_t m_compressedLeft { 0 };
    uint64_t m_uncompressedLeft { 0 };
    uint16_t m_method { 0 };
    bool m_encrypted { false };
    uint32_t m_keys[3] {};
    size_t m_headerLeft { 0 };
    uint8_t m_checkByte { 0 };
};

// Drops, pass after pass, a drive prefix, a leading separator, or everything up to a "..".
std::wstring CleanName(std::wstring name)
{
    static const wchar_t* const kUpLevels[] = { L"\\..\\", L"\\../", L"/../", L"/..\\" };
    for (bool changed = true; changed;) {
        changed = true;
        if (name.size() >= 2 && name[1] == L':') {
            name.erase(0, 2);
            continue;
        }
        if (!name.empty() && (name[0] == L'\\' || name[0] == L'/')) {
            name.erase(0, 1);
            continue;
        }
        changed = false;
        for (const wchar_t* up : kUpLevels) {
            const size_t at = name.find(up);
            if (at != std::wstring::npos) {
                name.erase(0, at + 4);
                changed = true;
                break;
            }
        }
    }
    return name;
}

// A name that could land outside the folder it is unpacked into.
bool IsUnsafeName(const std::string& name)
{
    if (name.find('\0') != std::string::npos)
        return true;
    if (!name.empty() && (name[0] == '/' || name[0] == '\\'))
        return true;
    if (name.size() >= 2 && name[1] == ':')
        return true;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t stop = std::min(name.find_first_of("/\\", start), name.size());
        if (name.compare(start, stop - start, "..") == 0)
            return true;
        start = stop + 1;
    }
    return false;
}

bool IsDosHost(uint16_t versionMadeBy)
{
    const int host = versionMadeBy >> 8;
    return host == 0 || host == 7 || host == 11 || host == 14;
}

DWORD AttributesOf(const CentralHeader& h)
{
    if (IsDosHost(h.versionMadeBy))
        return h.externalAttributes & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory | kAttrArchive);
    DWORD attributes = kAttrArchive;
    if (h.externalAttributes & (1u << 30))
        attributes |= kAttrDirectory;
    if (!(h.externalAttributes & (1u << 23)))
        attributes |= kAttrReadOnly;
    return attributes;
}

FILETIME FileTimeOf(int64_t unixSeconds)
{
    const int64_t ticks = std::max<int64_t>(0, unixSeconds * 10000000 + static_cast<int64_t>(kUnixEpochAsFileTime));
    return FILETIME { static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32) };
}

int64_t UnixSecondsOf(const FILETIME& time)
{
    const auto ticks = static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return (ticks - static_cast<int64_t>(kUnixEpochAsFileTime)) / 10000000;
}

// DOS times are local time.
FILETIME FileTimeOfDos(uint32_t dosDateTime)
{
    const uint32_t date = dosDateTime >> 16, time = dosDateTime & 0xFFFF;
    std::tm t {};
    t.tm_year = 80 + static_cast<int>(date >> 9);
    t.tm_mon = static_cast<int>((date >> 5) & 0xF) - 1;
    t.tm_mday = static_cast<int>(date & 0x1F);
    t.tm_hour = static_cast<int>(time >> 11);
    t.tm_min = static_cast<int>((time >> 5) & 0x3F);
    t.tm_sec = static_cast<int>(time & 0x1F) * 2;
    t.tm_isdst = -1;
    const time_t seconds = std::mktime(&t);
    return FileTimeOf(seconds == static_cast<time_t>(-1) ? 0 : seconds);
}

// The "UT" block's times replace the DOS ones that it announces; a time that does not fit in
// both the block and the field is ignored.
void ApplyExtendedTime(const std::vector<uint8_t>& extra, ZipItemRecord* record)
{
    if (extra.size() < 5)
        return;
    for (size_t at = 0; at + 4 < extra.size();) {
        const uint16_t tag = Le16(&extra[at]);
        const size_t size = Le16(&extra[at + 2]);
        if (tag != kExtendedTimeTag) {
            at += 4 + size;
            continue;
        }
        const size_t end = std::min(extra.size(), at + 4 + size);
        const uint8_t flags = extra[at + 4];
        size_t next = at + 5;
        FILETIME* targets[] = { &record->modificationTime, &record->accessTime, &record->creationTime };
        for (int bit = 0; bit < 3; ++bit) {
            if (!(flags & (1 << bit)))
                continue;
            if (next + 4 > end)
                return;
            *targets[bit] = FileTimeOf(Le32(&extra[next]));
            next += 4;
        }
        return;
    }
}

// Paths may use "\\" or "/". A drive-rooted path ("C:\\x") lives under the home folder here, as
// everywhere in the program.
std::string FileSystemPath(const wchar_t* path)
{
    std::string out = platform::WideToUtf8(path);
    std::replace(out.begin(), out.end(), '\\', '/');
    if (out.size() >= 2 && out[1] == ':') {
        const char* home = std::getenv("HOME");
        out = std::string(home && *home ? home : ".") + "/" + out.substr(2);
    }
    return out;
}

}  // namespace

class ZipArchiveReader {
public:
    ZipArchiveReader(std::unique_ptr<ZipInput> input, const char* password) : m_input(std::move(input))
    {
        if (password)
            m_password = password;
        std::error_code ec;
        m_root = fs::current_path(ec).string();
        if (m_root.empty() || m_root.back() != '/')
            m_root += '/';
    }

    bool Open() { return m_directory.Open(*m_input); }

    DWORD GetItem(int index, ZipItemRecord* record)
    {
        if (!record || index < -1 || index >= m_directory.Count())
            return kZipBadArguments;
        CloseItem();
        if (index == -1) {
            *record = ZipItemRecord {};
            record->index = m_directory.Count();
            return kZipOk;
        }
        if (!m_directory.Seek(index))
            return kZipCorrupt;
        return CurrentRecord(record);
    }

    DWORD FindItem(const wchar_t* name, bool ignoreCase, int* index, ZipItemRecord* record)
    {
        if (!name)
            return kZipBadArguments;
        const std::string wanted = platform::WideToUtf8(name);
        const CentralDirectory before = m_directory;
        int found = -1;
        if (wanted.size() < kFindNameLimit) {
            for (int i = 0; i < m_directory.Count() && found < 0; ++i) {
                if (!m_directory.Seek(i))
                    return NotFound(before, index, record, kZipCorrupt);
                if (SameName(m_directory.Current().name, wanted, ignoreCase))
                    found = i;
            }
        }
        if (found < 0)
            return NotFound(before, index, record, kZipNotFound);
        CloseItem();
        if (index)
            *index = found;
        return record ? CurrentRecord(record) : kZipOk;
    }

    DWORD ExtractToMemory(int index, void* buffer, DWORD size)
    {
        if (!buffer && size > 0)
            return kZipBadArguments;
        if (index != m_openIndex) {
            CloseItem();
            if (index < 0 || index >= m_directory.Count())
                return kZipBadArguments;
            if (!m_directory.Seek(index))
                return kZipCorrupt;
            auto item = std::make_unique<ItemStream>();
            if (!item->Open(*m_input, m_directory.Current(), m_directory.BytesBefore(), m_password))
                return kZipFlateError;
            m_item = std::move(item);
            m_openIndex = index;
        }
        size_t produced = 0;
        bool ended = false;
        const DWORD code = m_item->Read(static_cast<uint8_t*>(buffer), size, &produced, &ended);
        if (code != kZipOk || ended) {
            CloseItem();
            return code;
        }
        return kZipMore;
    }

    DWORD ExtractToFile(int index, const wchar_t* target)
    {
        CloseItem();
        if (!target || index < 0 || index >= m_directory.Count())
            return kZipBadArguments;
        if (!m_directory.Seek(index))
            return kZipCorrupt;
        ZipItemRecord record;
        if (const DWORD code = CurrentRecord(&record); code != kZipOk)
            return code;
        if (IsUnsafeName(m_directory.Current().name))
            return kZipUnsafeName;
        const std::string path = ResolveTarget(target);
        std::error_code ec;
        if (record.attributes & kAttrDirectory) {
            fs::create_directories(path, ec);
            return ec ? kZipNoFile : kZipOk;
        }
        const size_t slash = path.rfind('/');
        const std::string folder = path.substr(0, slash + 1);
        if (slash + 1 == path.size())
            return kZipNoFile;
        if (!folder.empty()) {
            fs::create_directories(folder, ec);
            if (ec)
                return kZipNoFile;
        }
        return WriteBeside(folder, path, record);
    }

private:
    static bool SameName(const std::string& stored, const std::string& wanted, bool ignoreCase)
    {
        if (stored.size() != wanted.size())
            return false;
        if (!ignoreCase)
            return stored == wanted;
        const auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
        for (size_t i = 0; i < stored.size(); ++i) {
            if (fold(stored[i]) != fold(wanted[i]))
                return false;
        }
        return true;
    }

    DWORD NotFound(const CentralDirectory& before, int* index, ZipItemRecord* record, DWORD code)
    {
        m_directory = before;
        if (index)
            *index = -1;
        if (record) {
            *record = ZipItemRecord {};
            record->index = -1;
        }
        return code;
    }

    // The record of the walker's current item.
    DWORD CurrentRecord(ZipItemRecord* record)
    {
        const int index = m_directory.CurrentIndex();
        if (index == m_cachedIndex) {
            *record = m_cached;
            return kZipOk;
        }
        const CentralHeader& central = m_directory.Current();
        LocalHeader local;
        if (!CheckLocalHeader(*m_input, central, m_directory.BytesBefore(), &local))
            return kZipCorrupt;
        std::vector<uint8_t> extra(local.extraLength);
        if (!m_input->ReadAt(local.extraOffset, extra.data(), extra.size()))
            return kZipReadFailed;
        const std::wstring name = CleanName(platform::Utf8ToWide(central.name));
        if (name.size() >= MAX_PATH)
            return kZipUnsafeName;
        ZipItemRecord r {};
        r.index = index;
        std::copy(name.begin(), name.end(), r.name);
        r.attributes = AttributesOf(central);
        r.compressedSize = central.compressedSize;
        r.uncompressedSize = central.uncompressedSize;
        r.modificationTime = r.accessTime = r.creationTime = FileTimeOfDos(central.dosDateTime);
        ApplyExtendedTime(extra, &r);
        m_cached = r;
        m_cachedIndex = index;
        *record = r;
        return kZipOk;
    }

    std::string ResolveTarget(const wchar_t* target) const
    {
        const std::string path = FileSystemPath(target);
        if (!path.empty() && path[0] == '/')
            return path;
        return m_root + path;
    }

    // Unpacks into a temporary file in the target's folder and renames it over the target only
    // once the item is complete and checked.
    DWORD WriteBeside(const std::string& folder, const std::string& path, const ZipItemRecord& record)
    {
        std::string temp;
        FilePtr file;
        for (int attempt = 0; attempt < 100 && !file; ++attempt) {
            temp = folder + ".zip-" + std::to_string(getpid()) + "-" + std::to_string(g_tempCounter++) + ".part";
            file.reset(std::fopen(temp.c_str(), "wbx"));
            if (!file && errno != EEXIST)
                break;
        }
        if (!file)
            return kZipNoFile;
        DWORD code = Unpack(file.get());
        if (std::fclose(file.release()) != 0 && code == kZipOk)
            code = kZipWriteFailed;
        if (code == kZipOk)
            code = Finish(temp, path, record);
        if (code != kZipOk)
            std::remove(temp.c_str());
        return code;
    }

    DWORD Unpack(FILE* file)
    {
        ItemStream item;
        if (!item.Open(*m_input, m_directory.Current(), m_directory.BytesBefore(), m_password))
            return kZipFlateError;
        m_transfer.resize(kTransferSize);
        for (;;) {
            size_t produced = 0;
            bool ended = false;
            if (const DWORD code = item.Read(m_transfer.data(), m_transfer.size(), &produced, &ended); code != kZipOk)
                return code;
            if (produced > 0 && std::fwrite(m_transfer.data(), 1, produced, file) != produced)
                return kZipWriteFailed;
            if (ended)
                return kZipOk;
            if (produced == 0)
                return kZipFlateError;
        }
    }

    DWORD Finish(const std::string& temp, const std::string& path, const ZipItemRecord& record)
    {
        const int64_t access = UnixSecondsOf(record.accessTime), modified = UnixSecondsOf(record.modificationTime);
        const timespec times[2] = { { static_cast<time_t>(access), 0 }, { static_cast<time_t>(modified), 0 } };
        utimensat(AT_FDCWD, temp.c_str(), times, 0);
        ApplyPermissions(temp, record);
        std::error_code ec;
        fs::rename(temp, path, ec);
        return ec ? kZipWriteFailed : kZipOk;
    }

    // Read-only and, from Unix hosts, the executable bits; a Unix entry without any mode bits
    // says nothing about them.
    void ApplyPermissions(const std::string& temp, const ZipItemRecord& record) const
    {
        const CentralHeader& central = m_directory.Current();
        const uint32_t unixMode = IsDosHost(central.versionMadeBy) ? 0 : (central.externalAttributes >> 16) & 0777;
        std::error_code ec;
        if (!IsDosHost(central.versionMadeBy) && unixMode == 0)
            return;
        if (unixMode & 0100)
            fs::permissions(temp, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec, fs::perm_options::add, ec);
        if (record.attributes & kAttrReadOnly)
            fs::permissions(temp, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write, fs::perm_options::remove, ec);
    }

    void CloseItem()
    {
        m_item.reset();
        m_openIndex = -1;
    }

    std::unique_ptr<ZipInput> m_input;
    CentralDirectory m_directory;
    int m_openIndex { -1 };
    std::unique_ptr<ItemStream> m_item;
    ZipItemRecord m_cached {};
    int m_cachedIndex { -1 };
    std::optional<std::string> m_password;
    std::vector<uint8_t> m_transfer;
    std::string m_root;
};

namespace {

ZipHandle* OpenReader(std::unique_ptr<ZipInput> input, const char* password)
{
    if (!input) {
        Report(kZipNoFile);
        return nullptr;
    }
    auto reader = std::make_unique<ZipArchiveReader>(std::move(input), password);
    if (!reader->Open()) {
        Report(kZipNoFile);
        return nullptr;
    }
    Report(kZipOk);
    return new ZipHandle { kReaderKind, reader.release() };
}

DWORD Check(ZipHandle* handle)
{
    if (!handle)
        return kZipBadArguments;
    if (handle->kind != kReaderKind || !handle->reader)
        return kZipWrongHandleKind;
    return kZipOk;
}

struct MessageText {
    DWORD code;
    const wchar_t* text;
};

constexpr MessageText kMessages[] = {
    { 0x00000000, L"Success" },
    { 0x00000100, L"Culdn't duplicate handle" },
    { 0x00000200, L"Couldn't create/open file" },
    { 0x00000300, L"Failed to allocate memory" },
    { 0x00000400, L"Error writing to file" },
    { 0x00000500, L"File not found in the zipfile" },
    { 0x00000600, L"Still more data to unzip" },
    { 0x00000700, L"Zipfile is corrupt or not a zipfile" },
    { 0x00000800, L"Error reading file" },
    { 0x00000900, L"Unsafe or overlong item name in the zipfile" },
    { 0x00001000, L"Correct password required" },
    { 0x00010000, L"Caller: faulty arguments" },
    { 0x00020000, L"Caller: can only get memory of a memory zipfile" },
    { 0x00030000, L"Caller: not enough space allocated for memory zipfile" },
    { 0x00040000, L"Caller: there was a previous error" },
    { 0x00050000, L"Caller: additions to the zip have already been ended" },
    { 0x00060000, L"Zip-bug: the anticipated size turned out wrong" },
    { 0x00070000, L"Caller: the file had already been partially unzipped" },
    { 0x00080000, L"Caller: mixing creation and opening of zip" },
    { 0x01000000, L"Zip-bug: internal initialisation not completed" },
    { 0x02000000, L"Zip-bug: trying to seek the unseekable" },
    { 0x04000000, L"Zip-bug: tried to change mind, but not allowed" },
    { 0x05000000, L"Zip-bug: an internal error during flation" },
};

}  // namespace

ZipHandle* ZipReaderOpenMemory(const void* data, size_t size, const char* password)
{
    if (!data && size > 0) {
        Report(kZipBadArguments);
        return nullptr;
    }
    static const uint8_t kEmpty = 0;
    const auto* bytes = data ? static_cast<const uint8_t*>(data) : &kEmpty;
    return OpenReader(std::make_unique<ZipInput>(bytes, size), password);
}

ZipHandle* ZipReaderOpenFile(const wchar_t* path, const char* password)
{
    if (!path) {
        Report(kZipBadArguments);
        return nullptr;
    }
    return OpenReader(ZipInput::OpenFile(FileSystemPath(path)), password);
}

DWORD ZipReaderGetItem(ZipHandle* handle, int index, ZipItemRecord* record)
{
    if (const DWORD code = Check(handle); code != kZipOk)
        return Report(code);
    return Report(handle->reader->GetItem(index, record));
}

DWORD ZipReaderFindItem(ZipHandle* handle, const wchar_t* name, bool ignoreCase, int* index, ZipItemRecord* record)
{
    if (const DWORD code = Check(handle); code != kZipOk)
        return Report(code);
    return Report(handle->reader->FindItem(name, ignoreCase, index, record));
}

DWORD ZipReaderExtractToMemory(ZipHandle* handle, int index, void* buffer, DWORD size)
{
    if (const DWORD code = Check(handle); code != kZipOk)
        return Report(code);
    return Report(handle->reader->ExtractToMemory(index, buffer, size));
}

DWORD ZipReaderExtractToFile(ZipHandle* handle, int index, const wchar_t* target)
{
    if (const DWORD code = Check(handle); code != kZipOk)
        return Report(code);
    return Report(handle->reader->ExtractToFile(index, target));
}

DWORD ZipReaderClose(ZipHandle* handle)
{
    if (const DWORD code = Check(handle); code != kZipOk)
        return Report(code);
    delete handle->reader;
    delete handle;
    return Report(kZipOk);
}

DWORD ZipReaderGetLastResult()
{
    return g_lastResult.load(std::memory_order_relaxed);
}

unsigned FormatZipMessage(DWORD code, wchar_t* buffer, unsigned size)
{
    if (code == kZipLastResult)
        code = ZipReaderGetLastResult();
    const wchar_t* text = L"unknown zip result code";
    for (const MessageText& m : kMessages) {
        if (m.code == code)
            text = m.text;
    }
    const auto length = static_cast<unsigned>(std::wcslen(text));
    if (!buffer || size == 0)
        return length;
    const unsigned copied = std::min(length, size - 1);
    std::wmemcpy(buffer, text, copied);
    buffer[copied] = L'\0';
    return length;
}

}  // namespace SkinUI
