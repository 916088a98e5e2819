#pragma once
// Resources linked into a program at build time (see cmake/Resources.cmake). A program registers
// each embedded blob under (type, id) before main runs; FindResource looks it up by the same pair.
// Resource memory is read-only and lives as long as the program.

#include "platform/WinTypes.h"

namespace platform {

class ResourceRegistration {
public:
    ResourceRegistration(const wchar_t* type, int id, const void* data, size_t size);
};

}  // namespace platform

HRSRC FindResource(HMODULE module, LPCWSTR name, LPCWSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL loaded);
DWORD SizeofResource(HMODULE module, HRSRC resource);
BOOL FreeResource(HGLOBAL loaded);
