#pragma once
// CPaintManagerUI: one per skinned window. This file starts with the process-wide resource
// settings that every skin and image loader reads: the program and resource modules, the resource
// folder, and the skin archive (a file in the resource folder or a block in memory) with its
// password and, while it is cached, its open handle. All of it is used on the UI thread only.

#include "platform/WinTypes.h"
#include "ui/core/UIString.h"
#include "ui/core/ZipArchiveReader.h"

namespace SkinUI {

class CPaintManagerUI {
public:
    static HINSTANCE GetInstance();
    static void SetInstance(HINSTANCE hInst);
    // The folder of the program module's file, with its trailing separator; empty without one.
    static CUIString GetInstancePath();
    static CUIString GetCurrentPath();
    static void SetCurrentPath(const wchar_t* pStrPath);
    static HINSTANCE GetResourceDll();
    static void SetResourceDll(HINSTANCE hInst);

    static const CUIString& GetResourcePath();
    static void SetResourcePath(const wchar_t* pStrPath);
    static int GetResourceType();
    static void SetResourceType(int nType);

    // The skin archive from a memory block, which must outlive the archive (until Term). The first
    // block given stays; later calls do nothing.
    static void SetResourceZip(void* pVoid, unsigned int len, const wchar_t* password = nullptr);
    // The skin archive from a file in the resource folder, opened now and kept when cached, else
    // opened by each reader for its read.
    static void SetResourceZip(const wchar_t* pstrZip, bool bCachedResourceZip = false,
                               const wchar_t* password = nullptr);
    static const CUIString& GetResourceZip();
    static const CUIString& GetResourceZipPwd();
    static ZipHandle* GetResourceZipHandle();
    static bool IsCachedResourceZip();
    static void Term();

private:
    static void CloseCachedResourceZip();

    static HINSTANCE m_hInstance;
    static HINSTANCE m_hResourceInstance;
    static CUIString m_pStrResourcePath;
    static CUIString m_pStrResourceZip;
    static CUIString m_pStrResourceZipPwd;
    static ZipHandle* m_hResourceZip;
    static bool m_bCachedResourceZip;
    static int m_nResType;
};

}  // namespace SkinUI
