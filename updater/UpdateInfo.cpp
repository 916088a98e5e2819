#include "updater/UpdateInfo.h"

#include "updater/FileUtil.h"
#include "updater/UpdaterLog.h"
#include "updater/UpdaterSettings.h"
#include "platform/system/System.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <json/json.h>
#include <memory>
#include <vector>

namespace {

std::string StringMember(const Json::Value& element, const char* name)
{
    const Json::Value& value = element[name];
    return value.isString() ? value.asString() : std::string();
}

int IntMember(const Json::Value& element, const char* name)
{
    const Json::Value& value = element[name];
    return value.isInt() ? value.asInt() : 0;
}

// The strings of an array member in order; other element types are skipped.
std::vector<std::string> StringArrayMember(const Json::Value& element, const char* name)
{
    std::vector<std::string> out;
    const Json::Value& value = element[name];
    if (!value.isArray())
        return out;
    for (const Json::Value& item : value)
        if (item.isString())
            out.push_back(item.asString());
    return out;
}

}  // namespace

std::string BuildUpdateInfoUrl(const std::wstring& productCode)
{
    const std::wstring path = L"/paypage/" + productCode + L"/" + productCode + L"_up.json";
    return "https://" + UpdateHost() + WideToAnsi(path);
}

bool ParseUpdateInfoText(const std::string& text, UpdateRecordMap& records)
{
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["collectComments"] = false;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    // The reader throws on input it refuses outright (nesting beyond its stack limit): that is
    // an invalid document like any other.
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors))
            return false;
    } catch (const Json::Exception& error) {
        LOG(ERROR) << "update info refused: " << error.what();
        return false;
    }
    if (!root.isObject() || !root["update"].isArray())
        return true;
    const Json::Value& update = root["update"];
    for (Json::ArrayIndex index = 0; index < update.size(); ++index) {
        const Json::Value& element = update[index];
        if (!element.isObject())
            continue;
        UpdateRecord record;
        record.upver = StringMember(element, "upver");
        record.exeurl = StringMember(element, "exeurl");
        record.zipurl = StringMember(element, "zipurl");
        record.type = IntMember(element, "type");
        record.notify = IntMember(element, "notify");
        record.manual = IntMember(element, "manual");
        record.on = IntMember(element, "on");
        int line = 0;
        for (std::string& text : StringArrayMember(element, "msg"))
            record.msg[line++] = std::move(text);
        for (std::string& version : StringArrayMember(element, "srcver"))
            record.srcver.insert(std::move(version));
        records.emplace(static_cast<int>(index), std::move(record));
    }
    return true;
}

bool ParseVersion(const std::string& text, int (&fields)[4])
{
    std::fill(std::begin(fields), std::end(fields), 0);
    const char* at = text.c_str();
    for (int& field : fields) {
        char* end = nullptr;
        errno = 0;
        const long long value = std::strtoll(at, &end, 10);
        if (end == at)
            return true;  // reading stops at the first field that is not a number
        if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX) {
            std::fill(std::begin(fields), std::end(fields), 0);
            return false;
        }
        field = static_cast<int>(value);
        if (*end != '.')
            return true;
        at = end + 1;
    }
    return true;
}

int CompareVersions(const std::string& a, const std::string& b)
{
    int fa[4], fb[4];
    ParseVersion(a, fa);
    ParseVersion(b, fb);
    for (int i = 0; i < 4; ++i) {
        if (fa[i] != fb[i])
            return fa[i] > fb[i] ? 1 : -1;
    }
    return 0;
}

void EvaluateUpdateRecord(const UpdateRecord& record, const std::string& installedVersion, UpdateDecision& decision)
{
    int fields[4];
    if (!ParseVersion(record.upver, fields)) {
        LOG(ERROR) << "up ver " << record.upver << " refused: a field is out of range";
        return;
    }
    if (CompareVersions(record.upver, installedVersion) != 1)
        return;
    if (record.type == 1)
        decision.url = record.exeurl;
    else if (record.type == 2)
        decision.url = record.zipurl;
    decision.notify = record.notify == 1;
    decision.manual = record.manual == 1;
    decision.changeLog = record.msg;
    decision.updateVersion = AnsiToWide(record.upver);
}

UpdateDecision DecideUpdate(const UpdateRecordMap& records, const std::string& installedVersion)
{
    UpdateDecision decision;
    for (const auto& [index, record] : records) {
        if (record.on != 1) {
            LOG(INFO) << "up on is 0";
            continue;
        }
        if (record.srcver.empty() || record.srcver.count(installedVersion))
            EvaluateUpdateRecord(record, installedVersion, decision);
    }
    return decision;
}

std::string GetFileVersionString(const std::wstring& path)
{
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    if (size == 0)
        return std::string();
    std::vector<unsigned char> buffer(size * 2);
    if (!GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(buffer.size()), buffer.data()))
        return std::string();
    LPVOID block = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(buffer.data(), L"\\", &block, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return std::string();
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(block);
    char text[64];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", int(info->dwFileVersionMS >> 16),
                  int(info->dwFileVersionMS & 0xFFFF), int(info->dwFileVersionLS >> 16), int(info->dwFileVersionLS & 0xFFFF));
    return text;
}
