#include "host/list_in_place.h"

namespace {

// Writes bytes at the write position, all of them, and flushes; 1 done.
int WriteWhole(const InPlaceOps* ops, const char* bytes, size_t n) {
  while (n != 0) {
    long long w = ops->write(ops->ctx, bytes, n);
    // A short write is followed by the rest; a write that takes nothing ends it.
    if (w <= 0 || static_cast<unsigned long long>(w) > n) return 0;
    bytes += w;
    n -= static_cast<size_t>(w);
  }
  return ops->flush(ops->ctx);
}

}  // namespace

int RewriteInPlace(const InPlaceOps* ops, const char* fresh, size_t freshSize, const char* old, size_t oldSize) {
  if (!ops->empty(ops->ctx)) return kInPlaceUntouched;
  if (WriteWhole(ops, fresh, freshSize)) return kInPlaceWritten;
  // The old bytes are still in memory: better the list as it was than one
  // that lost other tools' lines.
  if (ops->empty(ops->ctx) && WriteWhole(ops, old, oldSize)) return kInPlaceRestored;
  return kInPlaceCut;
}
