#include "base/worker_job.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/wait_text.h"

TEST(WorkerJob, OneSideOwnsTheResult) {
  struct Row {
    const char* name;
    const char* calls;    // in order: E the worker claims its end, A the dialog gives up
    const char* answers;  // what each call returned
    int abandoned;        // JobAbandoned afterwards
  };
  const Row rows[] = {
      // name                                        calls  answers abandoned
      {"ended, then Esc too late: the result stands", "EA", "10", 0},
      {"abandoned, then the late end is ignored", "AE", "10", 1},
      {"the copy claims its end, then the worker ends", "EE", "11", 0},
  };
  for (const Row& row : rows) {
    WorkerJob job = {};
    std::string answers;
    for (const char* c = row.calls; *c; ++c) answers += (*c == 'E' ? EndJob(&job) : AbandonJob(&job)) ? '1' : '0';
    EXPECT_EQ(std::string(row.answers), answers) << row.name;
    EXPECT_EQ(row.abandoned, JobAbandoned(&job)) << row.name;
  }
}

TEST(WorkerJob, PercentRisesToAHundredWithoutOverflow) {
  struct Row {
    uint64_t done, total;
    int percent;
  };
  // bytes done, of total, percent shown
  const Row rows[] = {
      {471859, 1048576, 44},
      {1048576, 1048576, 100},
      {0, 0, 100},
      {300000000000ull, 600000000000ull, 50},
      {UINT64_MAX - 1, UINT64_MAX, 99},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.percent, CopyPercent(row.done, row.total)) << row.done << " of " << row.total;
  }
}

TEST(WaitText, SaysWhatTheDialogWaitsForAfterHalfASecond) {
  struct Row {
    int phase, percent;
    uint32_t elapsedMs;
    const wchar_t* line;  // null: nothing shown
  };
  // phase, percent, waited, line
  const Row rows[] = {
      {kJobLookingUp, 0, 499, nullptr},
      {kJobLookingUp, 0, 500, L"ファイルを確認しています…"},
      {kJobCopying, 45, 800, L"コピーしています… 45 %"},
      {kJobCopying, 0, 800, L"コピーしています… 0 %"},
  };
  for (const Row& row : rows) {
    wchar_t out[kWaitTextCap] = L"before";
    int shown = WaitText(row.phase, row.percent, row.elapsedMs, out, kWaitTextCap);
    EXPECT_EQ(row.line != nullptr, shown) << row.phase << "/" << row.elapsedMs;
    EXPECT_EQ(std::wstring(row.line ? row.line : L"before"), std::wstring(out)) << row.phase << "/" << row.elapsedMs;
  }
}
