#include "e2e_files.h"

#include <shlobj.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

wchar_t g_dataDir[MAX_PATH];
wchar_t g_workDir[MAX_PATH];
wchar_t g_musicDir[MAX_PATH];

const wchar_t kSettingsName[] = L"kx.ini";
const wchar_t kListName[] = L"$exec-list.txt";
const wchar_t kDropName[] = L"$kobble.mp3";

namespace {

// What a check reads a file into; larger files compare as cut and fail.
unsigned char g_read[1 << 17];

void CopyWide(wchar_t *dst, size_t cap, const wchar_t *src) {
  size_t i = 0;
  for (; i + 1 < cap && src[i]; ++i) dst[i] = src[i];
  dst[i] = 0;
}

}  // namespace

wchar_t *E2ePath(wchar_t *out, size_t cap, const wchar_t *dir, const wchar_t *name) {
  CopyWide(out, cap, dir);
  size_t n = wcslen(out);
  if (n && out[n - 1] != L'\\' && n + 1 < cap) {
    out[n++] = L'\\';
    out[n] = 0;
  }
  if (n < cap) CopyWide(out + n, cap - n, name);
  return out;
}

int E2eWriteFile(const wchar_t *path, const void *bytes, size_t len) {
  HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 0;
  DWORD written = 0;
  BOOL ok = len == 0 || WriteFile(f, bytes, (DWORD)len, &written, nullptr);
  CloseHandle(f);
  return ok && written == len;
}

int E2eReadFile(const wchar_t *path, void *buf, size_t cap, size_t *len) {
  *len = 0;
  HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 0;
  LARGE_INTEGER size;
  if (GetFileSizeEx(f, &size)) *len = (size_t)size.QuadPart;
  DWORD got = 0;
  size_t want = *len < cap ? *len : cap;
  if (want) ReadFile(f, buf, (DWORD)want, &got, nullptr);
  CloseHandle(f);
  return 1;
}

int E2eFileExists(const wchar_t *path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

unsigned long long E2eFnv1a(const void *bytes, size_t len) {
  const unsigned char *b = static_cast<const unsigned char *>(bytes);
  unsigned long long h = 0xcbf29ce484222325ULL;
  for (size_t i = 0; i < len; ++i) {
    h ^= b[i];
    h *= 0x100000001b3ULL;
  }
  return h;
}

void E2eFillPattern(unsigned char *buf, size_t len, unsigned seed) {
  unsigned x = seed * 2654435761u + 1;
  for (size_t i = 0; i < len; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    buf[i] = (unsigned char)(x >> 7);
  }
}

int E2eEmptyFolder(const wchar_t *dir) {
  wchar_t pattern[MAX_PATH];
  E2ePath(pattern, MAX_PATH, dir, L"*");
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(pattern, &fd);
  if (h == INVALID_HANDLE_VALUE) return 1;
  int ok = 1;
  do {
    if (!wcscmp(fd.cFileName, L".") || !wcscmp(fd.cFileName, L"..")) continue;
    wchar_t path[MAX_PATH];
    E2ePath(path, MAX_PATH, dir, fd.cFileName);
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      E2eEmptyFolder(path);
      if (!RemoveDirectoryW(path)) ok = 0;
    } else {
      SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileW(path)) ok = 0;
    }
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return ok;
}

wchar_t *E2eFolderNames(const wchar_t *dir, wchar_t *out, size_t cap) {
  wchar_t pattern[MAX_PATH + 8];
  swprintf(pattern, MAX_PATH + 8, L"\\\\?\\%ls\\*", dir);
  out[0] = 0;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(pattern, &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    if (!wcscmp(fd.cFileName, L".") || !wcscmp(fd.cFileName, L"..")) continue;
    size_t n = wcslen(out);
    swprintf(out + n, cap - n, L"%ls|", fd.cFileName);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return out;
}

int E2eMakeFolders(const wchar_t *dir) {
  wchar_t path[1024];
  swprintf(path, 1024, L"\\\\?\\%ls", dir);
  for (wchar_t *p = path + 7; *p; ++p) {
    if (*p != L'\\') continue;
    *p = 0;
    CreateDirectoryW(path, nullptr);
    *p = L'\\';
  }
  CreateDirectoryW(path, nullptr);
  DWORD attr = GetFileAttributesW(path);
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

int E2eMakeLongFolder(const wchar_t *tag, size_t length, wchar_t *out, size_t cap) {
  E2ePath(out, cap, g_workDir, tag);
  size_t need = length > wcslen(out) ? length - wcslen(out) : 0;
  while (need > 0) {
    size_t seg = need > 120 ? 60 : need > 60 ? need / 2 : need;  // backslash included
    size_t n = wcslen(out);
    if (n + seg + 1 > cap) return 0;
    out[n] = L'\\';
    for (size_t i = 1; i < seg; ++i) out[n + i] = (wchar_t)(L'a' + (n + i) % 26);
    out[n + seg] = 0;
    need -= seg;
  }
  return wcslen(out) == length && E2eMakeFolders(out);
}

int E2eMakeShortcut(const wchar_t *link, const wchar_t *target) {
  // The headers' GUIDs, not sorvel's own spelling of them, so a wrong one there fails.
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkW *shellLink = nullptr;
  IPersistFile *file = nullptr;
  int ok = SUCCEEDED(CoCreateInstance(__uuidof(ShellLink), nullptr, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkW),
                                      reinterpret_cast<void **>(&shellLink))) &&
           SUCCEEDED(shellLink->SetPath(target)) &&
           SUCCEEDED(shellLink->QueryInterface(__uuidof(IPersistFile), reinterpret_cast<void **>(&file))) &&
           SUCCEEDED(file->Save(link, TRUE));
  if (file) file->Release();
  if (shellLink) shellLink->Release();
  if (SUCCEEDED(init)) CoUninitialize();
  return ok && E2eFileExists(link);
}

// ---- The data folder -----------------------------------------------------------

wchar_t *E2eDataFile(wchar_t *out, size_t cap, const wchar_t *name) { return E2ePath(out, cap, g_dataDir, name); }

int E2eResetDataFolder_(E2E_LOC, const E2eSeed *seed) {
  CreateDirectoryW(g_dataDir, nullptr);
  int ok = E2eEmptyFolder(g_dataDir);
  if (!ok) E2eFail_(E2E_THERE, "data folder", "emptied", "files left");
  if (!seed) return ok;
  wchar_t path[MAX_PATH];
  int seeded = 1;
  if (seed->ini) seeded &= E2eWriteFile(E2eDataFile(path, MAX_PATH, kSettingsName), seed->ini, strlen(seed->ini));
  if (seed->execList)
    seeded &= E2eWriteFile(E2eDataFile(path, MAX_PATH, kListName), seed->execList, strlen(seed->execList));
  if (seed->drop) seeded &= E2eWriteFile(E2eDataFile(path, MAX_PATH, kDropName), seed->drop, seed->dropLen);
  if (!seeded) E2eFail_(E2E_THERE, "data folder", "seeded", "a write failed");
  return ok && seeded;
}

wchar_t *E2eReadFlagsText(wchar_t *out, size_t cap) {
  wchar_t path[MAX_PATH];
  E2eDataFile(path, MAX_PATH, kSettingsName);
  out[0] = 0;
  GetPrivateProfileStringW(L"sorvel", L"flags", L"", out, (DWORD)cap, path);
  return out;
}

int E2eExpectFile_(E2E_LOC, const char *what, const wchar_t *path, const void *bytes, size_t len) {
  size_t got = 0;
  int exists = E2eReadFile(path, g_read, sizeof g_read, &got);
  char label[300];
  if (!bytes) {
    snprintf(label, sizeof label, "%s absent", what);
    return E2eExpectTrue_(E2E_THERE, label, !exists, "it exists");
  }
  snprintf(label, sizeof label, "%s bytes", what);
  if (!exists) return E2eExpectTrue_(E2E_THERE, label, 0, "no such file");
  return E2eExpectBytes_(E2E_THERE, label, bytes, len, g_read, got < sizeof g_read ? got : sizeof g_read);
}

int E2eExpectDataFile_(E2E_LOC, const wchar_t *name, const void *bytes, size_t len) {
  wchar_t path[MAX_PATH];
  char what[MAX_PATH], n8[MAX_PATH];
  snprintf(what, sizeof what, "Kx\\%s", E2eUtf8(name, n8, sizeof n8));
  return E2eExpectFile_(E2E_THERE, what, E2eDataFile(path, MAX_PATH, name), bytes, len);
}

int E2eExpectDataText_(E2E_LOC, const wchar_t *name, const char *text) {
  return E2eExpectDataFile_(E2E_THERE, name, text, text ? strlen(text) : 0);
}

int E2eExpectFlags_(E2E_LOC, const wchar_t *expected) {
  wchar_t flags[64];
  return E2eExpectText_(E2E_THERE, "kx.ini [sorvel] flags", expected, E2eReadFlagsText(flags, 64));
}

int E2eExpectNoStrayFiles_(E2E_LOC) {
  wchar_t names[2048];
  E2eFolderNames(g_dataDir, names, 2048);
  wchar_t stray[2048] = L"";
  for (wchar_t *p = names, *bar; (bar = wcschr(p, L'|')) != nullptr; p = bar + 1) {
    *bar = 0;
    if (_wcsicmp(p, kSettingsName) && _wcsicmp(p, kListName) && _wcsicmp(p, kDropName)) {
      wcscat(stray, p);
      wcscat(stray, L" ");
    }
  }
  char found[4096];
  return E2eExpectTrue_(E2E_THERE, "only kx.ini, $exec-list.txt and $kobble.mp3 in Kx", stray[0] == 0,
                        E2eUtf8(stray, found, sizeof found));
}
