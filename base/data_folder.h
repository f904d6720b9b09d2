// The data folder shared with the host: roaming AppData followed by \Kx\.
#pragma once
#include <windows.h>

enum { kDataFolderCap = 256 };  // at most 255 characters and the NUL

// Fills out with the data-folder path, trailing backslash kept; nothing is created.
// Returns 1 on success; 0 when AppData cannot be had or the path does not fit
// (out then holds the empty text, so nothing can be formed from an unset buffer).
int GetDataFolder(wchar_t out[kDataFolderCap]);

// Returns 1 when a file or folder exists at path.
int PathExists(const wchar_t* path);
