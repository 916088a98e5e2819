#include "ui/controls/MenuObserver.h"

#include <vector>

namespace SkinUI {

MenuObserverImpl::MenuObserverImpl() : m_pReceivers(new CStdPtrArray) { }

MenuObserverImpl::~MenuObserverImpl()
{
    delete m_pReceivers;
}

void MenuObserverImpl::AddReceiver(MenuMenuReceiverImplBase* receiver)
{
    if (!receiver)
        return;
    m_pReceivers->Add(receiver);
    receiver->AddObserver(this);
}

void MenuObserverImpl::RemoveReceiver(MenuMenuReceiverImplBase* receiver)
{
    if (!receiver)
        return;
    const int index = m_pReceivers->Find(receiver);
    if (index >= 0)
        m_pReceivers->Remove(index);
}

BOOL MenuObserverImpl::RBroadcast(ContextMenuParam param)
{
    // Walk a copy: a receiver that closes other menus removes them from the list meanwhile.
    std::vector<void*> copy;
    for (int i = 0; i < m_pReceivers->GetSize(); ++i)
        copy.push_back(m_pReceivers->GetAt(i));
    for (auto it = copy.rbegin(); it != copy.rend(); ++it) {
        if (m_pReceivers->Find(*it) < 0)
            continue;  // it left while an earlier one was told
        static_cast<MenuMenuReceiverImplBase*>(*it)->Receive(param);
    }
    return FALSE;
}

void MenuObserverImpl::SetManger(CPaintManagerUI* pManager)
{
    if (pManager)
        m_pMainWndPaintManager = pManager;
}

CPaintManagerUI* MenuObserverImpl::GetManager() const
{
    return m_pMainWndPaintManager;
}

void MenuObserverImpl::SetMenuCheckInfo(CStdStringPtrMap* pInfo)
{
    m_pMenuCheckInfo = pInfo;
}

CStdStringPtrMap* MenuObserverImpl::GetMenuCheckInfo() const
{
    return m_pMenuCheckInfo;
}

MenuReceiverImpl::MenuReceiverImpl() : m_pObservers(new CStdPtrArray) { }

MenuReceiverImpl::~MenuReceiverImpl()
{
    delete m_pObservers;
}

void MenuReceiverImpl::AddObserver(MenuMenuObserverImplBase* observer)
{
    m_pObservers->Add(observer);
}

void MenuReceiverImpl::RemoveObserver()
{
    for (int i = 0; i < m_pObservers->GetSize(); ++i)
        static_cast<MenuMenuObserverImplBase*>(m_pObservers->GetAt(i))->RemoveReceiver(this);
}

BOOL MenuReceiverImpl::Receive(ContextMenuParam)
{
    return FALSE;
}

}  // namespace SkinUI
