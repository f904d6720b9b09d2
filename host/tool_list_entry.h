// Sorvel's entry in the host's tool list.
#pragma once

// Enters the program at programPath in the tool list, replacing an older line
// of its own in place or adding one. Returns 1 when the list now holds the own
// line: written now, or already there byte for byte (the list is then not
// touched); 0 otherwise (no data folder, path does not fit or has no code page
// 932 form, list unreadable, malformed, read-only, held, or the write failed).
int WriteToolListEntry(const wchar_t* programPath);

// Mends the line the entry would replace when it names a program that is gone
// (no such file, path or drive; or a folder) and not this one: that line
// alone becomes the own line. A path on a share or a network drive is never
// looked up, so never mended. Any other list is not even opened for writing.
// Returns 1 when the list was rewritten.
int MendToolListEntry(const wchar_t* programPath);
