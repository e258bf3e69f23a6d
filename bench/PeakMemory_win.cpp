#include <windows.h>

#include <psapi.h>

#include "PeakMemory.h"

namespace corvel::bench {

long peakResidentKiB()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return -1;
    return long(counters.PeakWorkingSetSize / 1024);
}

} // namespace corvel::bench
