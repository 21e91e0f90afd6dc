// The search every time-ordered table of the media code uses.
#pragma once

// The last index in lo..hi whose time (timeAt(index)) is not after `time`; lo - 1 when even the
// first is after it. Where several entries share one time, the last of them.
template <typename TimeAt> int FindLastNotAfter(int lo, int hi, int time, TimeAt timeAt) {
    while (lo <= hi) {
        const int mid = lo + (hi - lo) / 2;
        if (time < timeAt(mid))
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return hi;
}

// `time` brought into first..last; a damaged table whose last time lies before its first gives
// the first.
inline int ClampTime(int time, int first, int last) {
    if (time < first || last < first)
        return first;
    return time > last ? last : time;
}
