#include "host/send_sequence.h"

#include "base/path_text.h"

const wchar_t kDropFileName[] = L"$kobble.mp3";

int RunSendSequence(const HostLinkOps* ops, const wchar_t* source, int flags) {
  void* ctx = ops->ctx;
  if (!ops->findHost(ctx)) return kSendNoHost;

  // The host may have closed since the first look-up; a window that is gone
  // cannot be editing a page.
  void* host = ops->findHost(ctx);
  if (!host) return kSendNotEditing;
  long long reply = 0;
  if (!ops->sendProbe(ctx, host, kProbeWParam, kProbeLParam, &reply) || reply == 0) return kSendNotEditing;

  if (!ops->pathExists(ctx, source)) return kSendCannotCreate;

  wchar_t drop[kDropPathCap];
  if (!ops->dataFolder(ctx, drop, kDropPathCap)) return kSendCannotCreate;
  if (!ops->pathExists(ctx, drop)) return kSendCannotCreate;
  if (!AppendBounded(drop, kDropPathCap, kDropFileName)) return kSendCannotCreate;
  if (!ops->copyFile(ctx, source, drop)) return kSendCannotCreate;

  // Once the file is in place the send counts as done, whatever the host says
  // and also when it has closed meanwhile; but a host that is there and never
  // took the notice has not inserted anything, and the user must know.
  host = ops->findHost(ctx);
  if (!host) return kSendDone;
  if (ops->sendNotice(ctx, host, static_cast<unsigned>(flags & kHostOptionMask), kNotifyLParam, &reply)) {
    return kSendDone;
  }
  return ops->hostAlive(ctx, host) ? kSendNotEditing : kSendDone;
}
