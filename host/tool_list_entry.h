// Sorvel's entry in the host's tool list.
#pragma once

// Enters the program at programPath in the tool list, replacing an older line
// of its own in place or adding one. Returns 0 when the list was left alone on
// purpose (no data folder, path does not fit, list unreadable or malformed),
// 1 otherwise, also when the new list could not be written.
int WriteToolListEntry(const wchar_t* programPath);
