#include "platform/Resource.h"

#include <cwchar>
#include <mutex>
#include <string>
#include <deque>

namespace {

struct Entry {
    std::wstring type;
    std::wstring name;  // empty when the resource is known by number
    int id;
    const void* data;
    size_t size;
};

// Registrations happen during static initialisation, so the table is a function-local static.
std::deque<Entry>& Table()
{
    static std::deque<Entry> table;  // a deque: handed-out entries never move
    return table;
}

std::mutex& TableLock()
{
    static std::mutex lock;
    return lock;
}

bool SameText(LPCWSTR a, const std::wstring& b)
{
    return wcscasecmp(a, b.c_str()) == 0;
}

bool Matches(const Entry& e, LPCWSTR name, LPCWSTR type)
{
    if (type == nullptr || IS_INTRESOURCE(type) || !SameText(type, e.type))
        return false;
    if (name == nullptr)
        return false;
    if (IS_INTRESOURCE(name))
        return e.name.empty() && e.id == static_cast<int>(reinterpret_cast<uintptr_t>(name));
    if (name[0] == L'#')
        return e.name.empty() && e.id == static_cast<int>(wcstol(name + 1, nullptr, 10));
    return SameText(name, e.name);
}

}  // namespace

namespace platform {

ResourceRegistration::ResourceRegistration(const wchar_t* type, int id, const void* data, size_t size)
{
    std::lock_guard lock(TableLock());
    Table().push_back(Entry { type, L"", id, data, size });
}

}  // namespace platform

HRSRC FindResource(HMODULE, LPCWSTR name, LPCWSTR type)
{
    std::lock_guard lock(TableLock());
    for (Entry& e : Table())
        if (Matches(e, name, type))
            return reinterpret_cast<HRSRC>(&e);
    return nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource)
{
    if (resource == nullptr)
        return nullptr;
    return const_cast<void*>(reinterpret_cast<const Entry*>(resource)->data);
}

LPVOID LockResource(HGLOBAL loaded)
{
    return loaded;
}

DWORD SizeofResource(HMODULE, HRSRC resource)
{
    if (resource == nullptr)
        return 0;
    return static_cast<DWORD>(reinterpret_cast<const Entry*>(resource)->size);
}

BOOL FreeResource(HGLOBAL)
{
    return TRUE;
}
