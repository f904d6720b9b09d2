#include "base/path_text.h"

#include <wchar.h>

int AppendBounded(wchar_t* buf, size_t cap, const wchar_t* tail) {
  size_t have = wcslen(buf);
  size_t add = wcslen(tail);
  if (have >= cap || add >= cap - have) return 0;
  wmemcpy(buf + have, tail, add + 1);
  return 1;
}

int CopyBounded(wchar_t* buf, size_t cap, const wchar_t* src) {
  if (cap == 0) return 0;
  buf[0] = L'\0';
  return AppendBounded(buf, cap, src);
}

int ShortcutKindOf(const wchar_t* path) {
  size_t n = wcslen(path);
  // "a.lnk." and "a.lnk " open a.lnk, so they must be followed as it is.
  while (n > 0 && (path[n - 1] == L'.' || path[n - 1] == L' ')) --n;
  if (n < 4 || path[n - 4] != L'.') return kNoShortcut;
  static const wchar_t kExtensions[][3] = {{L'l', L'n', L'k'}, {L'u', L'r', L'l'}};
  for (int kind = kShellLink; kind <= kInternetShortcut; ++kind) {
    // Setting bit 5 lowers ASCII capitals and makes no other character match.
    int i = 0;
    while (i < 3 && (path[n - 3 + i] | 0x20) == kExtensions[kind - 1][i]) ++i;
    if (i == 3) return kind;
  }
  return kNoShortcut;
}

int PathLiesUnder(const wchar_t* path, const wchar_t* folder) {
  size_t n = wcslen(folder);
  // No folder at all (its lookup failed) must not hold every path.
  if (n == 0) return 0;
  if (folder[n - 1] == L'\\') --n;
  return wcsncmp(path, folder, n) == 0 && path[n] == L'\\' && path[n + 1] != L'\0';
}

namespace {

int IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

wchar_t UpperAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// The drive letter in upper case when text starts with one and its colon;
// else 0. Only ASCII letters name drives.
wchar_t DriveLetter(const wchar_t* text) {
  wchar_t c = UpperAscii(text[0]);
  return c >= L'A' && c <= L'Z' && text[1] == L':' ? c : 0;
}

// 1 when text starts with word, ASCII letters in any case.
int StartsWithWord(const wchar_t* text, const wchar_t* word) {
  while (*word && UpperAscii(*text) == *word) ++text, ++word;
  return *word == L'\0';
}

// The namespace prefix a path starts with: '?' for \\?\ and \??\ (which the
// file calls pass through as it is), '.' for \\.\; 0 for none.
wchar_t NamespacePrefix(const wchar_t* path) {
  if (path[0] == L'\\' && path[1] == L'?' && path[2] == L'?' && path[3] == L'\\') return L'?';
  if (IsSeparator(path[0]) && IsSeparator(path[1]) && (path[2] == L'?' || path[2] == L'.') && IsSeparator(path[3]))
    return path[2];
  return 0;
}

// Names the system takes for a device in any folder and with any extension.
const wchar_t* const kDeviceNames[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
// These take a digit, or a superscript one, two or three.
const wchar_t* const kNumberedDeviceNames[] = {L"COM", L"LPT"};

// 1 when the last part of path, up to its first dot, blanks after it
// dropped, is the name of a device.
int LastPartNamesDevice(const wchar_t* path) {
  const wchar_t* part = path;
  for (const wchar_t* p = path; *p; ++p) {
    if (IsSeparator(*p) || *p == L':') part = p + 1;
  }
  size_t n = 0;
  while (part[n] && part[n] != L'.') ++n;
  while (n > 0 && part[n - 1] == L' ') --n;
  for (const wchar_t* name : kDeviceNames) {
    if (wcslen(name) == n && StartsWithWord(part, name)) return 1;
  }
  for (const wchar_t* name : kNumberedDeviceNames) {
    wchar_t digit = part[3];
    if (n == 4 && StartsWithWord(part, name) &&
        ((digit >= L'0' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3'))
      return 1;
  }
  return 0;
}

}  // namespace

int PathMayWaitOnNetwork(const wchar_t* path, DriveIsRemoteFn driveIsRemote, void* context) {
  const wchar_t* rest = path;
  if (NamespacePrefix(path)) {
    // Behind \\?\ and \\.\ lies a name of the device namespace. Only a drive
    // letter there is known to be local or not; UNC\, GLOBALROOT\ and the
    // rest may lead to a network, or to a device that is not a file.
    rest = path + 4;
    if (DriveLetter(rest) == 0) return 1;
  } else if (IsSeparator(path[0]) && IsSeparator(path[1])) {
    // Two separators start a UNC path, which the system hands to the network
    // redirector however malformed.
    return 1;
  }
  wchar_t letter = DriveLetter(rest);
  // A relative path has no drive of its own to ask about.
  return letter != 0 && driveIsRemote(letter, context) ? 1 : 0;
}

int PathNamesDevice(const wchar_t* path) {
  wchar_t prefix = NamespacePrefix(path);
  if (prefix == L'.') return 1;
  if (prefix == L'?') {
    // Taken as it stands: no name in it is read as a device, but what it
    // leads to may be one.
    const wchar_t* rest = path + 4;
    return !(DriveLetter(rest) || StartsWithWord(rest, L"UNC\\") || StartsWithWord(rest, L"VOLUME{"));
  }
  return LastPartNamesDevice(path);
}

int ShortcutTargetUsable(const wchar_t* target) {
  int absolute = (DriveLetter(target) && IsSeparator(target[2])) || (IsSeparator(target[0]) && IsSeparator(target[1])) ||
                 NamespacePrefix(target);
  return absolute && !PathNamesDevice(target) && ShortcutKindOf(target) == kNoShortcut;
}
