#include "ui/core/EventSource.h"

namespace SkinUI {

CDelegateBase::CDelegateBase(void* pObject, void* pFn)
    : m_pObject(pObject), m_pFn(pFn)
{
}

CDelegateBase::CDelegateBase(const CDelegateBase& rhs)
    : m_pObject(rhs.m_pObject), m_pFn(rhs.m_pFn)
{
}

CDelegateBase::~CDelegateBase() = default;

bool CDelegateBase::Equals(const CDelegateBase& rhs) const
{
    return m_pObject == rhs.m_pObject && m_pFn == rhs.m_pFn;
}

CDelegateStatic::CDelegateStatic(Fn pFn)
    : CDelegateBase(nullptr, reinterpret_cast<void*>(pFn))
{
}

CDelegateBase* CDelegateStatic::Clone() const
{
    return new CDelegateStatic(*this);
}

bool CDelegateStatic::Run(void* param)
{
    return reinterpret_cast<Fn>(GetFn())(param);
}

CEventSource::CEventSource() = default;

CEventSource::~CEventSource()
{
    Clear();
}

int CEventSource::IndexOf(const CDelegateBase& d) const
{
    for (int i = 0; i < m_aDelegates.GetSize(); ++i) {
        const auto* present = static_cast<const CDelegateBase*>(m_aDelegates[i]);
        if (present && present->Equals(d))
            return i;
    }
    return -1;
}

void CEventSource::operator+=(const CDelegateBase& d)
{
    if (IndexOf(d) >= 0)
        return;
    CDelegateBase* copy = d.Clone();
    if (!m_aDelegates.Add(copy))
        delete copy;
}

void CEventSource::operator+=(FnType pFn)
{
    *this += CDelegateStatic(pFn);
}

void CEventSource::operator-=(const CDelegateBase& d)
{
    const int index = IndexOf(d);
    if (index < 0)
        return;
    delete static_cast<CDelegateBase*>(m_aDelegates[index]);
    m_aDelegates.Remove(index);
}

void CEventSource::operator-=(FnType pFn)
{
    *this -= CDelegateStatic(pFn);
}

bool CEventSource::operator()(void* param)
{
    for (int i = 0; i < m_aDelegates.GetSize(); ++i) {
        auto* d = static_cast<CDelegateBase*>(m_aDelegates[i]);
        if (d && !(*d)(param))
            return false;
    }
    return true;
}

void CEventSource::Clear()
{
    for (int i = 0; i < m_aDelegates.GetSize(); ++i)
        delete static_cast<CDelegateBase*>(m_aDelegates[i]);
    m_aDelegates.Empty();
}

}  // namespace SkinUI
