// A millisecond clock for timing short intervals where being cheap to read matters more than
// precision: ConfigFile asks it at every value read to decide whether its parse is still trusted.
#pragma once

#include <cstdint>

namespace tavelin {

// Milliseconds since some fixed start. Only differences mean anything: the unsigned difference of
// two readings is the time between them, across the counter's wrap, for up to 49 days. On Windows
// it moves in steps of the system tick (10 to 16 ms).
std::uint32_t IntervalClockMs();

}  // namespace tavelin
