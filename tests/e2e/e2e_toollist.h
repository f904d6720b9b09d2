// Sorvel's own line in the host's tool list, for cases outside the toollist
// group that check a list sorvel may have changed.
#pragma once

#include <windows.h>

#include <stddef.h>

// Writes into out the line sorvel must enter for the program at exe (ended by
// CR LF, no NUL). Returns its length; 0 when it does not fit in cap or the
// path has no code page 932 form, long or short.
size_t E2eOwnListLine(const wchar_t *exe, unsigned char *out, size_t cap);
