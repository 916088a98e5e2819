// The process-wide resource settings every skin and image loader reads: the program and resource
// modules, the resource folder, and the skin archive with its password and cached handle. Kept
// apart from the rest of the manager so the skin parser's fuzz build links only this.

#include "ui/core/PaintManagerUI.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/WinBase.h"

namespace SkinUI {

HINSTANCE CPaintManagerUI::m_hInstance = nullptr;
HINSTANCE CPaintManagerUI::m_hResourceInstance = nullptr;
CUIString CPaintManagerUI::m_pStrResourcePath;
CUIString CPaintManagerUI::m_pStrResourceZip;
CUIString CPaintManagerUI::m_pStrResourceZipPwd;
ZipHandle* CPaintManagerUI::m_hResourceZip = nullptr;
bool CPaintManagerUI::m_bCachedResourceZip = true;
int CPaintManagerUI::m_nResType = 1;

namespace {

const wchar_t kMemoryZipName[] = L"membuffer";

// An archive password travels in the ANSI code page; an empty or missing password is none.
class AnsiPassword {
public:
    explicit AnsiPassword(const wchar_t* password)
    {
        if (!password || !*password)
            return;
        const int bytes = ::WideCharToMultiByte(CP_ACP, 0, password, -1, nullptr, 0, nullptr, nullptr);
        if (bytes <= 1)
            return;
        m_text.assign(static_cast<size_t>(bytes), '\0');
        ::WideCharToMultiByte(CP_ACP, 0, password, -1, m_text.data(), bytes, nullptr, nullptr);
        m_text.resize(strlen(m_text.c_str()));
    }
    const char* Get() const { return m_text.empty() ? nullptr : m_text.c_str(); }

private:
    std::string m_text;
};

}  // namespace

HINSTANCE CPaintManagerUI::GetInstance()
{
    return m_hInstance;
}

void CPaintManagerUI::SetInstance(HINSTANCE hInst)
{
    m_hInstance = hInst;
}

CUIString CPaintManagerUI::GetInstancePath()
{
    if (!m_hInstance)
        return CUIString();
    wchar_t path[MAX_PATH + 1] = {};
    ::GetModuleFileNameW(m_hInstance, path, MAX_PATH);
    CUIString folder(path);
    const int slash = std::max(folder.ReverseFind(L'\\'), folder.ReverseFind(L'/'));
    return slash >= 0 ? folder.Left(slash + 1) : CUIString();
}

CUIString CPaintManagerUI::GetCurrentPath()
{
    wchar_t path[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryW(MAX_PATH, path);
    return CUIString(path);
}

void CPaintManagerUI::SetCurrentPath(const wchar_t* pStrPath)
{
    ::SetCurrentDirectoryW(pStrPath);
}

HINSTANCE CPaintManagerUI::GetResourceDll()
{
    return m_hResourceInstance ? m_hResourceInstance : m_hInstance;
}

void CPaintManagerUI::SetResourceDll(HINSTANCE hInst)
{
    m_hResourceInstance = hInst;
}

const CUIString& CPaintManagerUI::GetResourcePath()
{
    return m_pStrResourcePath;
}

void CPaintManagerUI::SetResourcePath(const wchar_t* pStrPath)
{
    m_pStrResourcePath = pStrPath;
    if (m_pStrResourcePath.IsEmpty())
        return;
    const wchar_t last = m_pStrResourcePath[m_pStrResourcePath.GetLength() - 1];
    if (last != L'\\' && last != L'/')
        m_pStrResourcePath += L'\\';
}

int CPaintManagerUI::GetResourceType()
{
    return m_nResType;
}

void CPaintManagerUI::SetResourceType(int nType)
{
    m_nResType = nType;
}

void CPaintManagerUI::CloseCachedResourceZip()
{
    if (m_bCachedResourceZip && m_hResourceZip)
        ZipReaderClose(m_hResourceZip);
    m_hResourceZip = nullptr;
}

std::string CPaintManagerUI::AnsiResourceZipPassword()
{
    const AnsiPassword ansi(m_pStrResourceZipPwd);
    return ansi.Get() ? ansi.Get() : "";
}

void CPaintManagerUI::SetResourceZip(void* pVoid, unsigned int len, const wchar_t* password)
{
    if (m_pStrResourceZip == kMemoryZipName)
        return;
    CloseCachedResourceZip();
    m_pStrResourceZip = kMemoryZipName;
    m_bCachedResourceZip = true;
    m_pStrResourceZipPwd = password;
    m_hResourceZip = ZipReaderOpenMemory(pVoid, len, AnsiPassword(password).Get());
}

void CPaintManagerUI::SetResourceZip(const wchar_t* pstrZip, bool bCachedResourceZip, const wchar_t* password)
{
    if (m_pStrResourceZip == pstrZip && m_bCachedResourceZip == bCachedResourceZip)
        return;
    CloseCachedResourceZip();
    m_pStrResourceZip = pstrZip;
    m_bCachedResourceZip = bCachedResourceZip;
    m_pStrResourceZipPwd = password;
    if (!m_bCachedResourceZip)
        return;
    const CUIString path = m_pStrResourcePath + m_pStrResourceZip;
    m_hResourceZip = ZipReaderOpenFile(path, AnsiPassword(password).Get());
}

const CUIString& CPaintManagerUI::GetResourceZip()
{
    return m_pStrResourceZip;
}

const CUIString& CPaintManagerUI::GetResourceZipPwd()
{
    return m_pStrResourceZipPwd;
}

ZipHandle* CPaintManagerUI::GetResourceZipHandle()
{
    return m_hResourceZip;
}

bool CPaintManagerUI::IsCachedResourceZip()
{
    return m_bCachedResourceZip;
}

void CPaintManagerUI::Term()
{
    CloseCachedResourceZip();
}

}  // namespace SkinUI
