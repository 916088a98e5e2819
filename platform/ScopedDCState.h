#pragma once
// Saves a DC's state and restores it on every way out of a paint step. Not copyable: one save,
// one restore.

#include "platform/WinGdi.h"

class ScopedDCState {
public:
    explicit ScopedDCState(HDC hDC) : m_hDC(hDC), m_saved(::SaveDC(hDC)) {}
    ~ScopedDCState() { ::RestoreDC(m_hDC, m_saved); }
    ScopedDCState(const ScopedDCState&) = delete;
    ScopedDCState& operator=(const ScopedDCState&) = delete;

private:
    HDC m_hDC;
    int m_saved;
};
