// Feeds arbitrary bytes to the updater's reading of an update document the way the network run
// does (converted from UTF-8, parsed, judged against an installed version) and compares each
// record's version both ways. Nothing may crash, throw, leak or hang.

#include "updater/FileUtil.h"
#include "updater/UpdateInfo.h"

#include <glog/logging.h>

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FLAGS_minloglevel = google::GLOG_FATAL;  // the judged records log their reasons: keep quiet
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    UpdateRecordMap records;
    ParseUpdateInfoText(Utf8ToAnsi(text), records);
    const UpdateDecision decision = DecideUpdate(records, "1.9.9.9");
    for (const auto& [index, record] : records) {
        const int forward = CompareVersions(record.upver, "1.9.9.9");
        const int backward = CompareVersions("1.9.9.9", record.upver);
        if (forward != -backward)
            __builtin_trap();  // the comparison must be antisymmetric
    }
    AnsiToWide(text);
    return decision.url.size() > size ? 1 : 0;
}
