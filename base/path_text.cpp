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

// The drive letter in upper case when text starts with one and its colon;
// else 0. Only ASCII letters name drives.
wchar_t DriveLetter(const wchar_t* text) {
  wchar_t c = text[0];
  if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return c >= L'A' && c <= L'Z' && text[1] == L':' ? c : 0;
}

}  // namespace

int PathMayWaitOnNetwork(const wchar_t* path, DriveIsRemoteFn driveIsRemote, void* context) {
  const wchar_t* rest = path;
  if (IsSeparator(path[0]) && IsSeparator(path[1])) {
    // Two separators not followed by ? or . and a third start a UNC path,
    // which the system hands to the network redirector however malformed.
    if ((path[2] != L'?' && path[2] != L'.') || !IsSeparator(path[3])) return 1;
    // Behind \\?\ and \\.\ lies a name of the device namespace. Only a drive
    // letter there is known to be local or not; UNC\, GLOBALROOT\ and the
    // rest may lead to a network, or to a device that is not a file.
    rest = path + 4;
    if (DriveLetter(rest) == 0) return 1;
  }
  wchar_t letter = DriveLetter(rest);
  // A relative path has no drive of its own to ask about.
  return letter != 0 && driveIsRemote(letter, context) ? 1 : 0;
}
