#pragma once
// The one clock of the program: today's date and the time of day for dates
// shown to the user and for backup names. Nothing else reads the system time.
// Tests install a fixed clock.
#include <ctime>
#include <string>

namespace mk {

class Clock {
public:
    virtual ~Clock() = default;
    // Seconds since the epoch.
    virtual std::time_t now() const = 0;
};

// The installed clock; the system clock unless a test set another.
const Clock& programClock();
void setProgramClock(const Clock* clock);  // null: back to the system clock

// The local date and time of programClock().now().
std::tm localNow();
// "yyyy/mm/dd" of today.
std::string todayText();

}  // namespace mk
