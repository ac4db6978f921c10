#include "core/base/clock.h"

#include <cstdio>

namespace mk {

namespace {

class SystemClock : public Clock {
public:
    std::time_t now() const override { return std::time(nullptr); }
};

const SystemClock systemClock;
const Clock* installed = nullptr;

}  // namespace

const Clock& programClock() { return installed ? *installed : systemClock; }

void setProgramClock(const Clock* clock) { installed = clock; }

std::tm localNow() {
    const std::time_t now = programClock().now();
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::string todayText() {
    const std::tm t = localNow();
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    return buf;
}

}  // namespace mk
