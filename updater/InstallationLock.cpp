#include "updater/InstallationLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

InstallationLock::InstallationLock(const std::string& installFolder)
    : m_path(installFolder + "/" + kFileName)
{
    // A holder removes the file when it lets go: a lock taken on a file that is no longer the
    // one at the path is worth nothing, so take it again on the new one.
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            m_reason = m_path + " cannot be opened: " + std::strerror(errno);
            return;
        }
        struct stat held {}, named {};
        if (fstat(fd, &held) != 0 || !S_ISREG(held.st_mode) || held.st_uid != getuid()) {
            m_reason = m_path + " is not a lock file of this user";
            close(fd);
            return;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            m_reason = errno == EWOULDBLOCK ? "another updater is applying an update to " + installFolder
                                            : m_path + " cannot be locked: " + std::strerror(errno);
            close(fd);
            return;
        }
        if (lstat(m_path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
            m_fd = fd;
            return;
        }
        close(fd);
    }
    m_reason = m_path + " keeps changing";
}

InstallationLock::~InstallationLock()
{
    if (m_fd < 0)
        return;
    unlink(m_path.c_str());
    close(m_fd);
}
