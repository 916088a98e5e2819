#pragma once
// The editor's chores thread: a framework thread with a default task loop that registers itself
// under its id while its loop runs, so the main window can post tasks to it by id.

#include "base/Thread.h"

class MiscThread : public tbase::FrameworkThread {
public:
    MiscThread(int threadId, const char* name) : tbase::FrameworkThread(name), m_threadId(threadId) {}

    void OnLoopStarting() override;
    void OnLoopFinished() override;

private:
    int m_threadId;
};
