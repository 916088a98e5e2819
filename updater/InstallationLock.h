#pragma once
#include <string>

// One updater at a time per installation, whatever environment each was started from: the lock
// is a file inside the installation (".vkupdate.lock", this user's own, opened without following
// links) held locked while an update is applied or a broken one repaired, and removed when
// released. Owned by the applying thread; not copyable.
class InstallationLock {
public:
    explicit InstallationLock(const std::string& installFolder);
    ~InstallationLock();
    InstallationLock(const InstallationLock&) = delete;
    InstallationLock& operator=(const InstallationLock&) = delete;

    bool Held() const { return m_fd >= 0; }
    // Why the lock is not held ("another updater ..." or the system's reason).
    const std::string& Reason() const { return m_reason; }

    static constexpr const char* kFileName = ".vkupdate.lock";

private:
    std::string m_path;
    std::string m_reason;
    int m_fd { -1 };
};
