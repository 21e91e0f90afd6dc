// Wall-clock time for benchmarks that compare their runs with another program's.
#pragma once

#include <QElapsedTimer>

struct Stopwatch {
    QElapsedTimer timer;
    Stopwatch() { timer.start(); }
    // Seconds since the stopwatch was made.
    double seconds() const { return double(timer.nsecsElapsed()) / 1e9; }
};
