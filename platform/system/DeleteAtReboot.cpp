#include "platform/system/System.h"

#include <cerrno>

namespace platform {

// Nothing on this system runs pending deletions at boot, so the registration cannot succeed.
bool ScheduleDeleteAtReboot(const std::wstring&)
{
    errno = ENOTSUP;
    return false;
}

}  // namespace platform
