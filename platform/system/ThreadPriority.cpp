#include "platform/system/ThreadPriority.h"

#include <pthread.h>
#include <sched.h>

namespace platform::system {

bool raiseToMultimediaPriority() {
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_RR) + 1;
    return pthread_setschedparam(pthread_self(), SCHED_RR, &param) == 0;
}

} // namespace platform::system
