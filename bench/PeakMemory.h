#pragma once

namespace corvel::bench {

// The largest resident set (working set on Windows) this process has had, in KiB; -1 when the
// system does not say.
long peakResidentKiB();

} // namespace corvel::bench
