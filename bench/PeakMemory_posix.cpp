#include "PeakMemory.h"

#include <sys/resource.h>

namespace corvel::bench {

long peakResidentKiB()
{
    rusage usage{};
    return getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_maxrss : -1;
}

} // namespace corvel::bench
