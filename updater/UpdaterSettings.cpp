#include "updater/UpdaterSettings.h"

#include <cstdlib>

namespace {

constexpr const char* kUpdateHost = "update.quillmoor.app";
constexpr TransferLimits kShippedLimits { 1024, 60, int64_t(1) << 20, int64_t(2) << 30, int64_t(2) << 30 };

#ifdef QUILL_UPDATER_TEST_HOOKS
const char* Override(const char* name)
{
    const char* text = std::getenv(name);
    return text && *text ? text : nullptr;
}

long long OverrideNumber(const char* name, long long fallback)
{
    const char* text = Override(name);
    if (!text)
        return fallback;
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    return *end == '\0' && value > 0 ? value : fallback;
}
#endif

}  // namespace

#ifdef QUILL_UPDATER_TEST_HOOKS

std::string UpdateHost()
{
    const char* host = Override("QUILL_UPDATE_HOST");
    return host ? host : kUpdateHost;
}

std::string UpdateCaFile()
{
    const char* file = Override("QUILL_UPDATE_CA_FILE");
    return file ? file : std::string();
}

TransferLimits GetTransferLimits()
{
    TransferLimits limits = kShippedLimits;
    limits.lowSpeedBytesPerSecond = static_cast<long>(OverrideNumber("QUILL_UPDATE_LOW_SPEED_LIMIT", limits.lowSpeedBytesPerSecond));
    limits.lowSpeedSeconds = static_cast<long>(OverrideNumber("QUILL_UPDATE_LOW_SPEED_TIME", limits.lowSpeedSeconds));
    limits.maxDocumentBytes = OverrideNumber("QUILL_UPDATE_MAX_DOCUMENT", limits.maxDocumentBytes);
    limits.maxDownloadBytes = OverrideNumber("QUILL_UPDATE_MAX_DOWNLOAD", limits.maxDownloadBytes);
    limits.maxUnpackedBytes = OverrideNumber("QUILL_UPDATE_MAX_UNPACKED", limits.maxUnpackedBytes);
    return limits;
}

CommitStop GetCommitStop()
{
    return { static_cast<int>(OverrideNumber("QUILL_UPDATE_STOP_AT_STEP", 0)),
             static_cast<int>(OverrideNumber("QUILL_UPDATE_STOP_SIGNAL", 9)) };
}

#else

std::string UpdateHost()
{
    return kUpdateHost;
}

std::string UpdateCaFile()
{
    return std::string();
}

TransferLimits GetTransferLimits()
{
    return kShippedLimits;
}

CommitStop GetCommitStop()
{
    return { 0, 0 };
}

#endif
