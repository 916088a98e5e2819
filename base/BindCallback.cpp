#include "base/BindCallback.h"

#include "base/StringHelpers.h"

CBindCallback& CBindCallback::SetProgressControl(ProgressDisplay* progress)
{
    m_pProgress = progress;
    return *this;
}

CBindCallback& CBindCallback::SetLabelControl(TextDisplay* label)
{
    m_pLabel = label;
    return *this;
}

HRESULT CBindCallback::QueryInterface(REFIID, void** object)
{
    if (object)
        *object = nullptr;
    return E_NOTIMPL;
}

HRESULT CBindCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG, LPCWSTR)
{
    if (m_pProgress == nullptr)
        return S_OK;
    m_pProgress->SetMaxValue(100);
    if (m_pLabel == nullptr)
        return S_OK;
    // Before the size is known the download reports a maximum of 0: show nothing done yet.
    const double share = progressMax == 0 ? 0.0 : static_cast<double>(progress) * 100.0 / progressMax;
    const auto value = static_cast<unsigned>(share);
    m_pProgress->SetValue(static_cast<int>(value));
    m_pLabel->SetText(FormatWide(L"%u%%", value).c_str());
    return S_OK;
}
