#pragma once
// Callback lists that code hooks onto a control without deriving from it. Every callback takes one
// untyped pointer (the control, event or notification) and returns false to stop the list. A list
// owns copies of the delegates it was given, so callers may pass temporaries; the same target is
// never registered twice.

#include <cstring>

#include "ui/core/StdArray.h"

namespace SkinUI {

class CDelegateBase {
public:
    CDelegateBase(void* pObject, void* pFn);
    CDelegateBase(const CDelegateBase& rhs);
    CDelegateBase& operator=(const CDelegateBase&) = delete;
    virtual ~CDelegateBase();

    virtual CDelegateBase* Clone() const = 0;
    bool Equals(const CDelegateBase& rhs) const;
    bool operator()(void* param) { return Run(param); }
    void* GetFn() const { return m_pFn; }
    void* GetObjectW() const { return m_pObject; }

protected:
    virtual bool Run(void* param) = 0;

private:
    void* m_pObject;
    void* m_pFn;
};

class CDelegateStatic : public CDelegateBase {
public:
    using Fn = bool (*)(void*);

    explicit CDelegateStatic(Fn pFn);
    CDelegateBase* Clone() const override;

protected:
    bool Run(void* param) override;
};

// A member function of an object. The base keeps the member's first word as its function identity,
// which tells apart the members of one class.
template <class O, class T>
class CDelegate : public CDelegateBase {
public:
    using Fn = bool (T::*)(void*);

    CDelegate(O* pObj, Fn pFn) : CDelegateBase(pObj, Identity(pFn)), m_pFn(pFn) {}
    CDelegateBase* Clone() const override { return new CDelegate(*this); }

protected:
    bool Run(void* param) override
    {
        O* object = static_cast<O*>(GetObjectW());
        return (object->*m_pFn)(param);
    }

private:
    static void* Identity(Fn pFn)
    {
        void* word = nullptr;
        std::memcpy(&word, &pFn, sizeof(word));
        return word;
    }

    Fn m_pFn;
};

template <class O, class T>
CDelegate<O, T> MakeDelegate(O* pObject, bool (T::*pFn)(void*))
{
    return CDelegate<O, T>(pObject, pFn);
}

inline CDelegateStatic MakeDelegate(bool (*pFn)(void*))
{
    return CDelegateStatic(pFn);
}

class CEventSource {
public:
    using FnType = bool (*)(void*);

    CEventSource();
    CEventSource(const CEventSource&) = delete;
    CEventSource& operator=(const CEventSource&) = delete;
    ~CEventSource();

    operator bool() const { return !m_aDelegates.IsEmpty(); }
    void operator+=(const CDelegateBase& d);
    void operator+=(FnType pFn);
    void operator-=(const CDelegateBase& d);
    void operator-=(FnType pFn);
    bool operator()(void* param);
    void Clear();

protected:
    CStdPtrArray m_aDelegates;

private:
    int IndexOf(const CDelegateBase& d) const;
};

}  // namespace SkinUI
