#include <windows.h>

#include "platform/platform.hpp"

namespace platform {

Timestamp local_time() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute};
}

}  // namespace platform
