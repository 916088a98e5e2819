#pragma once
// A resource named either by text or by a 16-bit id carried in the pointer (integer-resource form).
// The name is not copied: it must outlive the call that receives it.

#include "platform/WinTypes.h"

namespace SkinUI {

class STRINGorID {
public:
    STRINGorID(const wchar_t* name) : m_lpstr(name) {}
    STRINGorID(unsigned int id) : m_lpstr(MAKEINTRESOURCE(id)) {}

    const wchar_t* m_lpstr;
};

}  // namespace SkinUI
