// Stand-in for the note program's window, for tests and demos.
//
// It owns a top-level window of class "Kobble API-kurasu" titled "Kobble TSR"
// and answers message 1061 the way the insert protocol expects: the editing
// probe (wParam 1, lParam 0) gets the probe reply, a notification (lParam 5)
// gets the notify reply. Each 1061 is appended to an optional log, and at a
// notification the log line also carries the size and FNV-1a hash of the drop
// file as it is at that moment, so tests can tell which bytes the host saw.
//
// Options:
//   --probe-reply N       reply to the probe (default 1)
//   --notify-reply N      reply to notifications (default 1)
//   --probe-delay-ms N    sleep before answering the probe (a hung host)
//   --notify-delay-ms N   sleep before answering a notification
//   --busy-after-probe-ms N  answer the probe, then read no messages for N ms
//                         (a host busy saving a large notebook)
//   --close-after-probe   destroy the window as part of answering the probe
//   --box-on-notice       show a box titled "Kobble" while handling a
//                         notification, and answer once it is closed
//   --log PATH            append one line per 1061 message, flushed at once
//   --ready PATH          create this file once the window exists
//   --hidden              do not show the window
// Posted to it, kStallMessage (WM_APP + 1) with wParam N makes it read no
// messages for N ms from then on: a host that hangs before it is asked, so
// that a probe sent meanwhile finds it not answering.
// By hand it is a small window listing what arrived, with an "editing" check
// box that decides the probe reply.
#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <wchar.h>

namespace {

const UINT kInsertMessage = WM_USER + 37;  // 1061
const UINT kStallMessage = WM_APP + 1;
const int kIdList = 100;
const int kIdEditing = 101;
const wchar_t kClassName[] = L"Kobble API-kurasu";
const wchar_t kTitle[] = L"Kobble TSR";

struct StandinOptions {
  LRESULT probeReply;
  LRESULT notifyReply;
  DWORD probeDelayMs;
  DWORD notifyDelayMs;
  DWORD busyAfterProbeMs;
  int closeAfterProbe;
  int boxOnNotice;
  int hidden;
  wchar_t logPath[MAX_PATH];
  wchar_t readyPath[MAX_PATH];
};

StandinOptions g_opt = {1, 1, 0, 0, 0, 0, 0, 0, {0}, {0}};
HWND g_list = nullptr;
HWND g_editing = nullptr;

// Bounded copy; always terminates dst (cap > 0).
void CopyWide(wchar_t *dst, size_t cap, const wchar_t *src) {
  size_t i = 0;
  for (; i + 1 < cap && src[i]; ++i) dst[i] = src[i];
  dst[i] = 0;
}

// Next command-line word (quotes group, as the C runtime splits them) into
// word; returns the position after it, or nullptr at the end of the line.
const wchar_t *NextWord(const wchar_t *p, wchar_t *word, size_t cap) {
  while (*p == L' ' || *p == L'\t') ++p;
  if (!*p) return nullptr;
  size_t n = 0;
  int quoted = 0;
  for (; *p && (quoted || (*p != L' ' && *p != L'\t')); ++p) {
    if (*p == L'"') { quoted = !quoted; continue; }
    if (n + 1 < cap) word[n++] = *p;
  }
  word[n] = 0;
  return p;
}

// Decimal text to a number; non-digits end it (a leading '-' is allowed).
long long ParseNumber(const wchar_t *s) {
  long long sign = 1, v = 0;
  if (*s == L'-') { sign = -1; ++s; }
  for (; *s >= L'0' && *s <= L'9'; ++s) v = v * 10 + (*s - L'0');
  return sign * v;
}

// Reads the options from the command line (the program name is skipped).
void ParseOptions() {
  wchar_t word[MAX_PATH], value[MAX_PATH];
  const wchar_t *p = NextWord(GetCommandLineW(), word, MAX_PATH);
  while (p && (p = NextWord(p, word, MAX_PATH)) != nullptr) {
    if (!wcscmp(word, L"--close-after-probe")) { g_opt.closeAfterProbe = 1; continue; }
    if (!wcscmp(word, L"--hidden")) { g_opt.hidden = 1; continue; }
    if (!wcscmp(word, L"--box-on-notice")) { g_opt.boxOnNotice = 1; continue; }
    const wchar_t *next = NextWord(p, value, MAX_PATH);
    if (!next) break;
    p = next;
    if (!wcscmp(word, L"--probe-reply")) g_opt.probeReply = (LRESULT)ParseNumber(value);
    else if (!wcscmp(word, L"--notify-reply")) g_opt.notifyReply = (LRESULT)ParseNumber(value);
    else if (!wcscmp(word, L"--probe-delay-ms")) g_opt.probeDelayMs = (DWORD)ParseNumber(value);
    else if (!wcscmp(word, L"--notify-delay-ms")) g_opt.notifyDelayMs = (DWORD)ParseNumber(value);
    else if (!wcscmp(word, L"--busy-after-probe-ms")) g_opt.busyAfterProbeMs = (DWORD)ParseNumber(value);
    else if (!wcscmp(word, L"--log")) CopyWide(g_opt.logPath, MAX_PATH, value);
    else if (!wcscmp(word, L"--ready")) CopyWide(g_opt.readyPath, MAX_PATH, value);
  }
}

// Appends text as its own write and closes the file, so each line is on disk
// before the message is answered. Returns 1 when written.
int AppendToFile(const wchar_t *path, const char *text) {
  HANDLE f = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 0;
  DWORD written = 0;
  BOOL ok = WriteFile(f, text, (DWORD)strlen(text), &written, nullptr);
  CloseHandle(f);
  return ok ? 1 : 0;
}

// Describes the drop file: " drop_size=<n> drop_fnv1a=<hex>" or " drop=missing".
void DescribeDropFile(char *out, size_t cap) {
  wchar_t path[MAX_PATH + 32];
  DWORD n = GetEnvironmentVariableW(L"APPDATA", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) { snprintf(out, cap, " drop=missing"); return; }
  wcscat(path, L"\\Kx\\$kobble.mp3");
  HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) { snprintf(out, cap, " drop=missing"); return; }
  unsigned long long hash = 0xcbf29ce484222325ULL, size = 0;
  unsigned char buf[8192];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) {
    for (DWORD i = 0; i < got; ++i) {
      hash ^= buf[i];
      hash *= 0x100000001b3ULL;
    }
    size += got;
  }
  CloseHandle(f);
  snprintf(out, cap, " drop_size=%llu drop_fnv1a=%016llx", size, hash);
}

// Records one 1061 message in the log file and the list box.
void RecordMessage(WPARAM wParam, LPARAM lParam) {
  char line[256];
  int n = snprintf(line, sizeof line, "msg wParam=%llu lParam=%lld", (unsigned long long)wParam, (long long)lParam);
  if (n < 0) n = 0;
  // Hashing a large drop file keeps the sender waiting; only a log needs it.
  if (lParam == 5 && g_opt.logPath[0]) DescribeDropFile(line + n, sizeof line - (size_t)n);
  if (g_list) {
    SendMessageA(g_list, LB_ADDSTRING, 0, (LPARAM)line);
    LRESULT count = SendMessageA(g_list, LB_GETCOUNT, 0, 0);
    if (count > 0) SendMessageA(g_list, LB_SETTOPINDEX, (WPARAM)(count - 1), 0);
  }
  size_t len = strlen(line);
  if (len + 2 < sizeof line) { line[len] = '\n'; line[len + 1] = 0; }
  if (g_opt.logPath[0]) AppendToFile(g_opt.logPath, line);
}

LRESULT OnInsertMessage(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  if (wParam == 1 && lParam == 0) {
    if (g_opt.probeDelayMs) Sleep(g_opt.probeDelayMs);
    RecordMessage(wParam, lParam);
    // Gone before the caller gets the reply, so its next look-up finds nothing.
    if (g_opt.closeAfterProbe) DestroyWindow(hwnd);
    if (g_opt.busyAfterProbeMs) {
      // The caller has its answer and goes on; this thread reads nothing
      // until the busy time is over, so to the system it looks hung.
      ReplyMessage(g_opt.probeReply);
      Sleep(g_opt.busyAfterProbeMs);
    }
    return g_opt.probeReply;
  }
  if (lParam == 5) {
    if (g_opt.notifyDelayMs) Sleep(g_opt.notifyDelayMs);
    // A note program may ask about the file it is given; the sender waits
    // meanwhile, as the box reads messages.
    if (g_opt.boxOnNotice) MessageBoxW(hwnd, L"MP3を挿入します。", L"Kobble", MB_OK);
    RecordMessage(wParam, lParam);
    return g_opt.notifyReply;
  }
  RecordMessage(wParam, lParam);
  return 0;
}

void OnCreate(HWND hwnd) {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
  g_editing = CreateWindowW(L"BUTTON", L"editing", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                            8, 8, 200, 20, hwnd, (HMENU)(INT_PTR)kIdEditing, inst, nullptr);
  g_list = CreateWindowW(L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT,
                         8, 34, 400, 200, hwnd, (HMENU)(INT_PTR)kIdList, inst, nullptr);
  SendMessageW(g_editing, WM_SETFONT, (WPARAM)font, 0);
  SendMessageW(g_list, WM_SETFONT, (WPARAM)font, 0);
  SendMessageW(g_editing, BM_SETCHECK, g_opt.probeReply ? BST_CHECKED : BST_UNCHECKED, 0);
}

void OnSize(LPARAM lParam) {
  int w = LOWORD(lParam), h = HIWORD(lParam);
  if (g_list) MoveWindow(g_list, 8, 34, w > 16 ? w - 16 : 0, h > 42 ? h - 42 : 0, TRUE);
}

void OnCommand(WPARAM wParam) {
  if (LOWORD(wParam) == kIdEditing && HIWORD(wParam) == BN_CLICKED)
    g_opt.probeReply = SendMessageW(g_editing, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

LRESULT CALLBACK StandinProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case kInsertMessage: return OnInsertMessage(hwnd, wParam, lParam);
    case kStallMessage: Sleep((DWORD)wParam); return 0;
    case WM_CREATE: OnCreate(hwnd); return 0;
    case WM_SIZE: OnSize(lParam); return 0;
    case WM_COMMAND: OnCommand(wParam); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show) {
  ParseOptions();

  WNDCLASSW wc;
  memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = StandinProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassW(&wc)) return 1;

  HWND hwnd = CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, 600, 40, 440, 300,
                              nullptr, nullptr, inst, nullptr);
  if (!hwnd) return 1;
  if (!g_opt.hidden) {
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
  }
  if (g_opt.readyPath[0]) AppendToFile(g_opt.readyPath, "ready\n");

  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(hwnd, &m)) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return 0;
}
