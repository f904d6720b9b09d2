#include "host/send_sequence.h"

#include "base/path_text.h"
#include "base/shortcut.h"

const wchar_t kDropFileName[] = L"$kobble.mp3";

int FailedSendOutcome(unsigned long lastError, int windowExists) {
  if (!windowExists || lastError == kErrorInvalidWindowHandle) return kMessageWindowGone;
  if (lastError == kErrorAccessDenied) return kMessageRefused;
  return kMessageNoAnswer;
}

namespace {

// The probe's outcome as the send's result: kSendDone when the host is
// editing and the send goes on.
int ProbeResult(int outcome, long long reply) {
  switch (outcome) {
    case kMessageAnswered:
      return reply != 0 ? kSendDone : kSendNotEditing;
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
  if (probe != kSendDone) return probe;

  int placed = ops->placeDropFile(ctx, source);
  if (placed != kSendDone) return placed;

  host = ops->findHost(ctx);
  if (!host) return kSendDone;
  return NoticeResult(ops->sendNotice(ctx, host, static_cast<unsigned>(flags & kHostOptionMask), kNotifyLParam, &reply));
}

int PlaceDropFile(const DropFileOps* ops, const wchar_t* source) {
  void* ctx = ops->ctx;
  // Reading a device may block for good, and hands the host no MP3.
  if (PathNamesDevice(source)) return kSendCannotCreate;
  // A shortcut is sent as its target. Its own bytes are no MP3, so a link
  // that cannot be read or leads nowhere usable, and an Internet shortcut,
  // leave nothing to send.
  wchar_t target[kShortcutTargetCap];
  int kind = ShortcutKindOf(source);
  if (kind == kInternetShortcut) return kSendCannotCreate;
  if (kind == kShellLink) {
    if (!ops->readShortcut(ctx, source, target, kShortcutTargetCap) || !ShortcutTargetUsable(target))
      return kSendCannotCreate;
    source = target;
  }
  if (!ops->pathExists(ctx, source)) return kSendCannotCreate;

  wchar_t drop[kDropPathCap];
  if (!ops->dataFolder(ctx, drop, kDropPathCap)) return kSendCannotCreate;
  if (!ops->pathExists(ctx, drop)) return kSendCannotCreate;
  if (!AppendBounded(drop, kDropPathCap, kDropFileName)) return kSendCannotCreate;
  return ops->copyFile(ctx, source, drop) ? kSendDone : kSendCannotCreate;
}
