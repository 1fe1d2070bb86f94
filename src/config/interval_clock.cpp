#include "config/interval_clock.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <chrono>
#endif

namespace tavelin {

std::uint32_t IntervalClockMs() {
#ifdef _WIN32
    // The tick count is a read of memory the system keeps current. steady_clock goes through the
    // performance counter, which costs a call into the system each time, and as much as the value
    // read itself under Wine. GetTickCount64 would not wrap, but Windows XP lacks it.
    return GetTickCount();
#else
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
#endif
}

}  // namespace tavelin
