#include "ui/core/SkinArchiveItem.h"

#include <cstring>
#include <memory>
#include <string>

#include "platform/WinBase.h"
#include "ui/core/PaintManagerUI.h"
#include "ui/core/ZipArchiveReader.h"

namespace SkinUI {

namespace {

std::string AnsiPassword(const CUIString& password)
{
    if (password.IsEmpty())
        return {};
    const int length = ::WideCharToMultiByte(CP_ACP, 0, password, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1)
        return {};
    std::string out(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, password, -1, out.data(), length, nullptr, nullptr);
    out.resize(strlen(out.c_str()));
    return out;
}

}  // namespace

SkinItemResult ReadSkinArchiveItem(const wchar_t* name, std::vector<BYTE>* out)
{
    out->clear();
    std::unique_ptr<ZipHandle, ZipHandleCloser> own;
    ZipHandle* zip = CPaintManagerUI::IsCachedResourceZip() ? CPaintManagerUI::GetResourceZipHandle() : nullptr;
    if (!zip) {
        const CUIString path = CPaintManagerUI::GetResourcePath() + CPaintManagerUI::GetResourceZip();
        const std::string password = AnsiPassword(CPaintManagerUI::GetResourceZipPwd());
        own.reset(ZipReaderOpenFile(path, password.empty() ? nullptr : password.c_str()));
        zip = own.get();
    }
    if (!zip)
        return SkinItemResult::NoArchive;
    CUIString item = name;
    item.Replace(L"\\", L"/");
    int index = -1;
    ZipItemRecord record {};
    if (ZipReaderFindItem(zip, item, true, &index, &record) != kZipOk)
        return SkinItemResult::NotFound;
    if (record.uncompressedSize == 0)
        return SkinItemResult::Empty;
    if (record.uncompressedSize > kMaxSkinItemBytes)
        return SkinItemResult::TooLarge;
    std::vector<BYTE> bytes(record.uncompressedSize);
    const DWORD result = ZipReaderExtractToMemory(zip, index, bytes.data(), record.uncompressedSize);
    if (result != kZipOk && result != kZipMore)
        return SkinItemResult::Damaged;
    *out = std::move(bytes);
    return SkinItemResult::Ok;
}

}  // namespace SkinUI
