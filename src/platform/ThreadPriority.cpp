#include "platform/ThreadPriority.h"

#include <sys/resource.h>
#include <unistd.h>

namespace quarrow {

void LowerThreadPriority() {
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 1);
}

}  // namespace quarrow
