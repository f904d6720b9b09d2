#include "app/settings.h"

#include <windows.h>

#include "app/app_state.h"
#include "base/settings_value.h"

int ReadSettingInt(const wchar_t* section, const wchar_t* key) {
  const wchar_t* path = AppSettingsPath();
  if (path[0] == L'\0') return 0;
  // The value is ASCII; anything longer than the buffer holds is cut there.
  wchar_t wide[kSettingValueChars + 1];
  DWORD n = GetPrivateProfileStringW(section, key, L"0", wide, kSettingValueChars + 1, path);
  char text[kSettingValueChars + 1];
  DWORD i = 0;
  for (; i < n && i < kSettingValueChars; ++i) text[i] = wide[i] < 0x80 ? static_cast<char>(wide[i]) : '?';
  text[i] = '\0';
  return ParseSettingInt(text);
}

void WriteSettingInt(const wchar_t* section, const wchar_t* key, int value) {
  const wchar_t* path = AppSettingsPath();
  if (path[0] == L'\0') return;
  wchar_t text[16];
  wsprintfW(text, L"%d", value);
  WritePrivateProfileStringW(section, key, text, path);
}
