// Rewriting a file through a handle already open on it, for a file that
// cannot be replaced whole (another program holds it): the new content, or
// else the old one written back, so that a failed write does not leave the
// file cut. The file operations are the caller's, so this runs without Windows.
#pragma once
#include <stddef.h>

struct InPlaceOps {
  void* ctx;
  // Cuts the file to nothing and puts the write position at its start; 1 done.
  int (*empty)(void* ctx);
  // Writes up to n (> 0) bytes at the write position; returns how many went
  // out, 0 or less when none did.
  long long (*write)(void* ctx, const char* bytes, size_t n);
  // Puts what was written on the disk (a full quota or a lost share may show
  // only here); 1 done.
  int (*flush)(void* ctx);
};

// What the file holds afterwards.
enum {
  kInPlaceWritten = 0,    // the new content
  kInPlaceUntouched = 1,  // the old content: it could not even be cut
  kInPlaceRestored = 2,   // the old content again: the new one did not go in whole
  kInPlaceCut = 3,        // neither whole: writing the old content back failed too
};

// Replaces the file's content old (oldSize bytes) by fresh (freshSize bytes)
// through ops, writing old back when fresh does not go in whole. Returns one
// of the kInPlace values.
int RewriteInPlace(const InPlaceOps* ops, const char* fresh, size_t freshSize, const char* old, size_t oldSize);
