// Work that may wait on the file system, handed by the dialog's thread to a
// worker thread of its own, and what the two tell each other. The waiting
// side may give up on the work; the worker then goes on until the system
// lets it, and what it finds is nobody's.
#pragma once
#include <stdint.h>

#include <atomic>

// What the worker waits for, as the dialog tells the user.
enum { kJobLookingUp = 0, kJobCopying = 1 };

// Shared by both threads. The work is run as run(job) on the worker; the
// record that holds the job as its first member, allocated with calloc,
// carries the work's input and result.
struct WorkerJob {
  void (*run)(WorkerJob* job);
  std::atomic<int> state;    // running, ended or abandoned
  std::atomic<int> phase;    // kJobLookingUp or kJobCopying
  std::atomic<int> percent;  // of the copy, 0 to 100
};

// The worker's claim that its result stands. Returns 1 when it does (also
// when claimed before), so the waiting side takes it and frees the record;
// 0 when the wait was abandoned first, so the worker undoes what it can and
// frees the record itself.
int EndJob(WorkerJob* job);

// The waiting side gives up. Returns 1 when the work is abandoned: its result,
// whenever it comes, is ignored and the worker frees the record; 0 when the
// worker had already claimed its end: the result stands.
int AbandonJob(WorkerJob* job);

// 1 when nobody waits for the work's result any more, so it may stop early.
int JobAbandoned(const WorkerJob* job);

// How much of total bytes done is, in whole percent rounded down, 0 to 100;
// 100 only once all is done, as for an empty file.
int CopyPercent(uint64_t done, uint64_t total);
