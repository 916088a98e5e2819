#pragma once
// The download-progress sink for URL downloads: shows the share downloaded in a progress bar and
// as "42%" in a text control. Owned by the code that starts the download (AddRef and Release count
// nothing); it runs on the downloading thread and sets the controls directly.

#include "platform/WinBase.h"

// What the callback needs of a progress bar; the framework's progress control provides it.
class ProgressDisplay {
public:
    virtual void SetMaxValue(int maximum) = 0;
    virtual void SetValue(int value) = 0;

protected:
    ~ProgressDisplay() = default;
};

// What the callback needs of a control that shows the percentage as text.
class TextDisplay {
public:
    virtual void SetText(const wchar_t* text) = 0;

protected:
    ~TextDisplay() = default;
};

class CBindCallback : public IBindStatusCallback {
public:
    CBindCallback() = default;
    virtual ~CBindCallback() = default;

    CBindCallback& SetProgressControl(ProgressDisplay* progress);
    CBindCallback& SetLabelControl(TextDisplay* label);

    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override { return 0; }
    ULONG Release() override { return 0; }
    HRESULT OnStartBinding(DWORD, IBinding*) override { return E_NOTIMPL; }
    HRESULT GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT OnLowResource(DWORD) override { return E_NOTIMPL; }
    HRESULT OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, LPCWSTR statusText) override;
    HRESULT OnStopBinding(HRESULT, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT GetBindInfo(DWORD*, BINDINFO*) override { return E_NOTIMPL; }
    HRESULT OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

    ProgressDisplay* m_pProgress { nullptr };  // may be null
    TextDisplay* m_pLabel { nullptr };         // may be null
};
