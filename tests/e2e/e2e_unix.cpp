#include "e2e_unix.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "e2e_files.h"
#include "e2e_process.h"

namespace {

typedef char *(CDECL *UnixFileNameFn)(const wchar_t *);

enum { kUnixLineCap = 8192, kUnixCap = 1200, kCommandCap = 6000, kDroppedPathCap = 408 };

// Appends text to command (bounded, formatted); 0 when it does not fit.
int Append(char *command, const char *format, const char *text) {
  size_t used = strlen(command);
  int n = snprintf(command + used, kCommandCap - used, format, text);
  return n > 0 && used + (size_t)n < kCommandCap;
}

}  // namespace

int E2eUnixName(const wchar_t *path, char *out, size_t cap) {
  // Through void (*)(void), which any function pointer may be cast to and from.
  UnixFileNameFn unixName = reinterpret_cast<UnixFileNameFn>(reinterpret_cast<void (*)(void)>(
      GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  if (!unixName) return 0;
  char *name = unixName(path);
  if (!name) return 0;
  int fits = strlen(name) < cap && !strchr(name, '\'');
  if (fits) strcpy(out, name);
  HeapFree(GetProcessHeap(), 0, name);
  return fits;
}

int E2eRunUnix(const char *command, DWORD timeoutMs, int *status) {
  wchar_t done[MAX_PATH], written[MAX_PATH];
  E2ePath(done, MAX_PATH, g_workDir, L"unix.done");
  E2ePath(written, MAX_PATH, g_workDir, L"unix.done.part");
  DeleteFileW(done);
  char mark[1024], part[1024];
  if (strchr(command, '"') || !E2eUnixName(done, mark, sizeof mark) || !E2eUnixName(written, part, sizeof part))
    return 0;
  // The status is renamed into place whole, so a mark that exists is complete.
  static char line[kUnixLineCap];
  int n = snprintf(line, sizeof line, "/bin/sh -c \"%s; echo $? > '%s' && mv '%s' '%s'\"", command, part, part, mark);
  if (n < 0 || (size_t)n >= sizeof line) return 0;
  // Wine hands the line to the Unix program in the locale's encoding, UTF-8.
  static wchar_t wide[kUnixLineCap];
  if (!MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, line, -1, wide, kUnixLineCap)) return 0;
  STARTUPINFOW si;
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  memset(&pi, 0, sizeof pi);
  if (!CreateProcessW(L"Z:\\bin\\sh", wide, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 0;
  if (pi.hThread) CloseHandle(pi.hThread);
  if (pi.hProcess) CloseHandle(pi.hProcess);
  unsigned long long end = E2eNowMs() + timeoutMs;
  while (!E2eFileExists(done)) {
    if (E2eNowMs() >= end) return 0;
    Sleep(10);
  }
  char text[16];
  size_t len = 0;
  int read = E2eReadFile(done, text, sizeof text - 1, &len);
  DeleteFileW(done);
  if (!read || len == 0 || len >= sizeof text) return 0;
  text[len] = '\0';
  *status = atoi(text);
  return 1;
}

int E2eTaskbarIconSizes(HWND hwnd, int *widths, int cap) {
  HANDLE xid = GetPropW(hwnd, L"__wine_x11_whole_window");
  wchar_t out[MAX_PATH];
  E2ePath(out, MAX_PATH, g_workDir, L"icons.txt");
  DeleteFileW(out);
  char name[1024], command[1200];
  int status = -1;
  if (!xid || !E2eUnixName(out, name, sizeof name)) return -1;
  snprintf(command, sizeof command, "xprop -id %llu _NET_WM_ICON > '%s'", (unsigned long long)(ULONG_PTR)xid, name);
  if (!E2eRunUnix(command, 10000, &status) || status != 0) return -1;
  static char text[1 << 20];
  size_t len = 0;
  if (!E2eReadFile(out, text, sizeof text - 1, &len) || len >= sizeof text) return -1;
  text[len] = '\0';
  int count = 0, w = 0, h = 0;
  for (const char *p = strstr(text, "Icon ("); p && count < cap; p = strstr(p + 1, "Icon (")) {
    if (sscanf(p, "Icon (%d x %d)", &w, &h) == 2) widths[count++] = w;
  }
  return count;
}

int E2eDropFiles_(E2E_LOC, POINT p, const wchar_t *const *paths, int count, int taken) {
  wchar_t senderWide[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"E2E_XDND_DROP", senderWide, MAX_PATH);
  if (!E2eExpectTrue_(E2E_THERE, "E2E_XDND_DROP names the file manager", n > 0 && n < MAX_PATH, "not set"))
    return 0;
  static char command[kCommandCap];
  char sender[kUnixCap], item[kUnixCap], out[kUnixCap];
  wchar_t outPath[MAX_PATH];
  E2ePath(outPath, MAX_PATH, g_workDir, L"xdnd_drop.out");
  DeleteFileW(outPath);
  if (!E2eExpectTrue_(E2E_THERE, "output file has a Unix name", E2eUnixName(outPath, out, sizeof out), "none"))
    return 0;
  E2eUtf8(senderWide, sender, sizeof sender);
  snprintf(command, kCommandCap, "'%s' %ld %ld", sender, p.x, p.y);
  for (int i = 0; i < count; ++i) {
    wchar_t literal[kDroppedPathCap];
    swprintf(literal, kDroppedPathCap, L"\\\\?\\%ls", paths[i]);
    if (!E2eExpectTrue_(E2E_THERE, "dropped item has a Unix name", E2eUnixName(literal, item, sizeof item), "none") ||
        !Append(command, " '%s'", item))
      return 0;
  }
  if (!Append(command, " > '%s' 2>&1", out)) return 0;
  int status = -1;
  if (!E2eExpectTrue_(E2E_THERE, "file manager ran", E2eRunUnix(command, 15000, &status), "did not end in 15 s"))
    return 0;
  char said[256];
  size_t len = 0;
  if (!E2eReadFile(outPath, said, sizeof said - 1, &len)) len = 0;
  said[len < sizeof said ? len : sizeof said - 1] = '\0';
  if (len && said[strlen(said) - 1] == '\n') said[strlen(said) - 1] = '\0';
  char found[400];
  snprintf(found, sizeof found, "exit %d, \"%s\"%s", status, said,
           status == 127 ? " (is it built? cmake --build build/native)" : "");
  return taken ? E2eExpectTrue_(E2E_THERE, "drop taken (file manager exits 0, says taken)",
                                status == 0 && !strcmp(said, "taken"), found)
               : E2eExpectTrue_(E2E_THERE, "drop refused (file manager exits 1, says refused)",
                                status == 1 && !strcmp(said, "refused"), found);
}
