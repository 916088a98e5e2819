#pragma once
// Loads one run-time library by name and finds its functions, caching every address it found. The
// main window keeps one for the HTTP helper library. The library is never unloaded: functions
// handed out stay valid for the life of the program. Not thread-safe: one thread uses an instance.

#include "platform/WinTypes.h"

#include <functional>
#include <map>
#include <string>

namespace testdll {

class SDKInstance {
public:
    SDKInstance() = default;
    virtual ~SDKInstance();
    SDKInstance(const SDKInstance&) = delete;
    SDKInstance& operator=(const SDKInstance&) = delete;

    // The name is resolved against the program folder (".\\vellorin.dll" is the program folder's
    // library). On failure prints "LoadLibraryA error: <code>" to standard output.
    bool LoadModule(const char* name);
    // Null when no library is loaded or it has no such export; a missing name is asked again.
    void* FindFunction(const char* name);

protected:
    HMODULE m_module { nullptr };
    std::map<std::string, void*> m_functions;
    std::function<void*(const char*)> m_resolver;  // empty until a library is loaded
};

}  // namespace testdll
