#include "host/send_sequence.h"

#include "base/path_text.h"

const wchar_t kDropFileName[] = L"$kobble.mp3";

int FailedSendOutcome(unsigned long lastError, int windowExists) {
  if (!windowExists || lastError == kErrorInvalidWindowHandle) return kMessageWindowGone;
  if (lastError == kErrorAccessDenied) return kMessageRefused;
  return kMessageNoAnswer;
}

namespace {

// The probe's outcome as the send's result: -1 when the host is editing and
// the send goes on.
int ProbeResult(int outcome, long long reply) {
  switch (outcome) {
    case kMessageAnswered:
      return reply != 0 ? -1 : kSendNotEditing;
    case kMessageWindowGone:
      // A window that is gone cannot be editing a page.
      return kSendNotEditing;
    case kMessageRefused:
      return kSendRefused;
    default:
      return kSendNotAnswering;
  }
}

// The notice's outcome as the send's result, with the file already in place.
int NoticeResult(int outcome) {
  switch (outcome) {
    case kMessageAnswered:
    case kMessageWindowGone:
      // Whatever the host says, and also when it closed meanwhile.
      return kSendDone;
    case kMessageRefused:
      return kSendRefused;
    default:
      // A host that had begun to handle the notice finishes it after the
      // wait gave up: the page may hold the file already, so asking the user
      // to try again could insert it twice.
      return kSendUnconfirmed;
  }
}

}  // namespace

int RunSendSequence(const HostLinkOps* ops, const wchar_t* source, int flags) {
  void* ctx = ops->ctx;
  if (!ops->findHost(ctx)) return kSendNoHost;

  // The host may have closed since the first look-up; a window that is gone
  // cannot be editing a page.
  void* host = ops->findHost(ctx);
  if (!host) return kSendNotEditing;
  long long reply = 0;
  int outcome = ops->sendProbe(ctx, host, kProbeWParam, kProbeLParam, &reply);
  int probe = ProbeResult(outcome, reply);
  if (probe >= 0) return probe;

  if (!ops->pathExists(ctx, source)) return kSendCannotCreate;

  wchar_t drop[kDropPathCap];
  if (!ops->dataFolder(ctx, drop, kDropPathCap)) return kSendCannotCreate;
  if (!ops->pathExists(ctx, drop)) return kSendCannotCreate;
  if (!AppendBounded(drop, kDropPathCap, kDropFileName)) return kSendCannotCreate;
  if (!ops->copyFile(ctx, source, drop)) return kSendCannotCreate;

  host = ops->findHost(ctx);
  if (!host) return kSendDone;
  return NoticeResult(ops->sendNotice(ctx, host, static_cast<unsigned>(flags & kHostOptionMask), kNotifyLParam, &reply));
}
