// The settings file kx.ini in the data folder.
#pragma once

// Reads an integer; a missing file, section or key, or text that is no number, gives 0.
int ReadSettingInt(const wchar_t* section, const wchar_t* key);

// Stores value as signed decimal text; a failed write is lost silently.
void WriteSettingInt(const wchar_t* section, const wchar_t* key, int value);
