// The related-products buttons. A product counts as installed when the per-user registry store
// names its program ("DisplayIcon" of its uninstall key); the button then opens that program.
// Installers cannot run here, so a product that is not installed gets its page opened in the
// desktop's browser instead of a download: nothing is downloaded and nothing unverified is run.

#include "editor/mainwnd/MainWnd.h"
#include "platform/Windows.h"

namespace {

struct RelatedProduct {
    const wchar_t* displayName;  // the uninstall key's name
    const wchar_t* page;         // where the product is offered
};

constexpr RelatedProduct kProducts[] = {
    { L"Tessaly Video Converter", L"https://www.tessaly.cn/convert/" },
    { L"Tessaly File Compressor", L"https://www.tessaly.cn/compress/" },
};

constexpr DWORD kPathCharacters = 260;

// The program the product's uninstall key names, without its icon index; empty when none.
// `installed` tells whether the key exists at all.
std::wstring InstalledProgram(const RelatedProduct& product, bool& installed)
{
    const std::wstring subKey =
        std::wstring(L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + product.displayName;
    HKEY key = nullptr;
    installed = ::RegOpenKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (!installed)
        return {};
    wchar_t value[kPathCharacters] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);  // room for the terminator whatever is stored
    DWORD type = 0;
    const LONG read = ::RegQueryValueExW(key, L"DisplayIcon", nullptr, &type, reinterpret_cast<LPBYTE>(value), &size);
    ::RegCloseKey(key);
    if (read != ERROR_SUCCESS || type != REG_SZ)
        return {};
    std::wstring program = value;
    const size_t comma = program.find(L',');
    if (comma != std::wstring::npos)
        program.erase(comma);
    return program;
}

}  // namespace

void CMainWnd::OnRelatedProductButton1()
{
    OpenRelatedProduct(0);
}

void CMainWnd::OnRelatedProductButton2()
{
    OpenRelatedProduct(1);
}

void CMainWnd::OpenRelatedProduct(int index)
{
    const RelatedProduct& product = kProducts[index];
    bool installed = false;
    const std::wstring program = InstalledProgram(product, installed);
    if (installed) {
        if (!program.empty() && FileExists(program))
            ::ShellExecuteW(nullptr, L"open", program.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return;  // a key without a program in its place: nothing to open
    }
    ::ShellExecuteW(nullptr, L"open", product.page, nullptr, nullptr, SW_SHOWNORMAL);
}
