#pragma once
// A kernel object over one open file descriptor: a file from CreateFile or one end of a pipe. The
// descriptor is close-on-exec; a child process gets it only as one of its standard handles.

#include "platform/base/HandleTable.h"

namespace platform {

class FileObject : public KernelObject {
public:
    FileObject(int fd, bool isPipe) : m_fd(fd), m_isPipe(isPipe) { }
    ~FileObject() override;
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    int Fd() const { return m_fd; }
    bool IsPipe() const { return m_isPipe; }

private:
    const int m_fd;
    const bool m_isPipe;
};

}  // namespace platform
