// Bounded path text in fixed buffers.
#pragma once
#include <stddef.h>

// Appends tail to the NUL-terminated text in buf (capacity cap, NUL included).
// Returns 1 when all of tail fits; 0 leaves buf unchanged.
int AppendBounded(wchar_t* buf, size_t cap, const wchar_t* tail);

// Copies src into buf (capacity cap, NUL included).
// Returns 1 when all of src fits; 0 leaves buf holding the empty text.
int CopyBounded(wchar_t* buf, size_t cap, const wchar_t* src);
