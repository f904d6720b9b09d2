#include "base/worker_job.h"

namespace {

enum { kRunning = 0, kEnded = 1, kAbandoned = 2 };

}  // namespace

// Exactly one side wins the claim: the worker's end and the waiter's giving
// up may come at the same moment, and only one of them may free the record.
int EndJob(WorkerJob* job) {
  int expected = kRunning;
  return job->state.compare_exchange_strong(expected, kEnded) || expected == kEnded;
}

int AbandonJob(WorkerJob* job) {
  int expected = kRunning;
  return job->state.compare_exchange_strong(expected, kAbandoned);
}

int JobAbandoned(const WorkerJob* job) { return job->state.load() == kAbandoned; }

int CopyPercent(uint64_t done, uint64_t total) {
  if (done >= total) return 100;
  // In floating point, as no file's size overflows it and a 32-bit build
  // then needs no 64-bit division of its own; sizes beyond 2^63 are halved
  // first, as the signed conversion wants.
  if (total >> 63) {
    total >>= 1;
    done >>= 1;
  }
  int percent = static_cast<int>(static_cast<double>(static_cast<int64_t>(done)) * 100 /
                                 static_cast<double>(static_cast<int64_t>(total)));
  // Rounding must not show a copy as whole before its last byte.
  return percent < 100 ? percent : 99;
}
