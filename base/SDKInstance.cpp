#include "base/SDKInstance.h"

#include "platform/WinBase.h"

#include <cstdio>

namespace testdll {

SDKInstance::~SDKInstance()
{
    m_functions.clear();
    m_resolver = nullptr;
}

bool SDKInstance::LoadModule(const char* name)
{
    if (name == nullptr || *name == 0)
        return false;
    HMODULE module = LoadLibraryA(name);
    if (module == nullptr) {
        printf("LoadLibraryA error: %u\n", GetLastError());
        fflush(stdout);
        return false;
    }
    m_module = module;
    m_resolver = [module](const char* function) { return reinterpret_cast<void*>(GetProcAddress(module, function)); };
    return true;
}

void* SDKInstance::FindFunction(const char* name)
{
    if (name == nullptr)
        return nullptr;
    auto cached = m_functions.find(name);
    if (cached != m_functions.end())
        return cached->second;
    if (!m_resolver)
        return nullptr;
    void* address = m_resolver(name);
    if (address != nullptr)
        m_functions.emplace(name, address);
    return address;
}

}  // namespace testdll
