#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QTextStream>
#include <algorithm>
#include <cstdio>

namespace corvel::bench {

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n == 0 ? 0.0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Milliseconds one call of `work` takes, as the median of `runs` runs; `settle` runs untimed after
// each run.
template <typename Work, typename Settle> double medianMs(int runs, Work &&work, Settle &&settle)
{
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times << timer.nsecsElapsed() / 1e6;
        settle();
    }
    return median(times);
}

template <typename Work> double medianMs(int runs, Work &&work)
{
    return medianMs(runs, work, [] {});
}

inline void report(const char *what, double value, const char *unit, double baseline,
                   const char *baselineName)
{
    std::printf("%-44s %10.3f %-4s  baseline (%s) %10.3f %-4s  ratio %.3f\n", what, value, unit,
                baselineName, baseline, unit, baseline > 0 ? value / baseline : 0.0);
    std::fflush(stdout);
}

} // namespace corvel::bench
