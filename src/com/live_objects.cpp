#include "com/live_objects.h"

#include <atomic>

namespace vellorax::com {
namespace {

std::atomic<long> live_objects{0};
std::atomic<long> server_locks{0};

}  // namespace

void ObjectCreated() { live_objects.fetch_add(1, std::memory_order_relaxed); }

void ObjectDestroyed() { live_objects.fetch_sub(1, std::memory_order_acq_rel); }

// An unlock without a matching lock is ignored, so a faulty client cannot
// drive the count negative and make the library unloadable while in use.
void LockServer(bool lock) {
  if (lock) {
    server_locks.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  long current = server_locks.load(std::memory_order_relaxed);
  while (current > 0 &&
         !server_locks.compare_exchange_weak(current, current - 1, std::memory_order_acq_rel)) {
  }
}

bool CanUnloadNow() {
  return live_objects.load(std::memory_order_acquire) == 0 &&
         server_locks.load(std::memory_order_acquire) == 0;
}

}  // namespace vellorax::com
