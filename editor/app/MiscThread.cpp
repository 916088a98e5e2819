#include "editor/app/MiscThread.h"

#include "base/ThreadRegistry.h"

void MiscThread::OnLoopStarting()
{
    tbase::ThreadRegistry::BindCurrentThread(m_threadId);
}

void MiscThread::OnLoopFinished()
{
    tbase::ThreadRegistry::UnbindCurrentThread();
}
