#include "ui/wait_text.h"

#include "base/path_text.h"
#include "base/worker_job.h"

int WaitText(int phase, int percent, uint32_t elapsedMs, wchar_t* out, size_t cap) {
  if (elapsedMs < kWaitTextDelayMs) return 0;
  if (phase != kJobCopying) return CopyBounded(out, cap, L"ファイルを確認しています…");
  // The digits of 0 to 100, written from the back.
  wchar_t number[8] = L"";
  size_t at = 7;
  unsigned value = percent < 0 ? 0u : percent > 100 ? 100u : static_cast<unsigned>(percent);
  do {
    number[--at] = static_cast<wchar_t>(L'0' + value % 10);
    value /= 10;
  } while (value);
  return CopyBounded(out, cap, L"コピーしています… ") && AppendBounded(out, cap, number + at) &&
         AppendBounded(out, cap, L" %");
}
