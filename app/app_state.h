// Start-up's state that outlives start-up's own procedures: the settings
// file's path, set once the data folder is known. Empty until then.
#pragma once

// Full path of the settings file, or the empty text when there is no data folder.
const wchar_t* AppSettingsPath();

// Keeps a copy of path; a path that does not fit leaves the empty text.
void SetAppSettingsPath(const wchar_t* path);
