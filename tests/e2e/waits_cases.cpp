// Waits on the file system that OK starts: a share that does not answer and
// a slow link, stood in for by the folder slow_share.py mounts (run_e2e.sh
// mounts it and names it in E2E_SHARE; where it cannot, the group is not
// run). However long the files take, the dialog answers the system, tells
// the user what it waits for, and Esc gives the wait up with nothing sent
// and nothing half-written.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "e2e_groups.h"
#include "e2e_session.h"
#include "e2e_unix.h"

namespace {

// How soon the dialog must answer a sent WM_NULL, how often it is asked, and
// how soon it must say what it waits for.
const DWORD kAnswerMs = 250, kProbeEveryMs = 100, kWaitTextWithinMs = 1000;
// The share's look-ups take 8 s: what OK finds after one ends must show
// well after this.
const unsigned long long kDeadLookUpMs = 8000;
const wchar_t kLookingUp[] = L"ファイルを確認しています…";
const wchar_t kCopying[] = L"コピーしています… ";

// A path in the share as sorvel sees it (mnt) or as it is written (backing).
wchar_t *SharePath(wchar_t *out, size_t cap, const wchar_t *side, const wchar_t *name) {
  swprintf(out, cap, L"%ls\\%ls\\%ls", _wgetenv(L"E2E_SHARE"), side, name);
  return out;
}

// What the dialog showed while it was watched.
struct Watch {
  int probes, answered;
  long long textAtMs;  // when the title line first told of the wait, from OK; -1 never
  int percent, rises;  // the last percent shown (-1 none), and how often it rose
  int fell;            // a percent shown was below the one before
  HWND box;            // a box sorvel showed meanwhile
};

// Watches the dialog from okAt until forMs after it, or until sorvel shows
// a box or ends: asks it every kProbeEveryMs and reads its title line.
void WatchDialog(E2eSession *s, HWND title, unsigned long long okAt, unsigned long long forMs, Watch *w) {
  memset(w, 0, sizeof *w);
  w->textAtMs = w->percent = -1;
  while (E2eNowMs() < okAt + forMs && E2eRunning(&s->sorvel) && !w->box) {
    unsigned long long asked = E2eNowMs();
    DWORD_PTR r = 0;
    ++w->probes;
    if (SendMessageTimeoutW(s->dlg, WM_NULL, 0, 0, SMTO_NORMAL, kAnswerMs, &r)) ++w->answered;
    wchar_t text[64] = L"";
    SendMessageTimeoutW(title, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, kAnswerMs, &r);
    int copying = !wcsncmp(text, kCopying, wcslen(kCopying));
    if (w->textAtMs < 0 && (copying || !wcscmp(text, kLookingUp))) w->textAtMs = (long long)(E2eNowMs() - okAt);
    int percent = copying ? _wtoi(text + wcslen(kCopying)) : -1;
    if (percent >= 0 && percent != w->percent) {
      w->rises += percent > w->percent;
      w->fell |= percent < w->percent;
      w->percent = percent;
    }
    w->box = E2eFindMessageBox(s->sorvel.pid, 0);
    unsigned long long took = E2eNowMs() - asked;
    if (took < kProbeEveryMs) Sleep((DWORD)(kProbeEveryMs - took));
  }
}

// The dialog answered every probe and, when told, told of the wait in time.
int ExpectWatched_(E2E_LOC, const Watch *w, int told) {
  char found[64];
  snprintf(found, sizeof found, "%d of %d probes answered", w->answered, w->probes);
  int ok = E2eExpectTrue_(E2E_THERE, "dialog answers within 250 ms throughout",
                          w->probes > 0 && w->answered == w->probes, found);
  snprintf(found, sizeof found, "at %lld ms", w->textAtMs);
  return ok && (!told || E2eExpectTrue_(E2E_THERE, "title line tells of the wait within a second",
                                        w->textAtMs >= 0 && w->textAtMs <= (long long)kWaitTextWithinMs, found));
}
#define ExpectWatched(w, told) ExpectWatched_(E2E_HERE, w, told)

// Starts the host and the dialog; the title line found, still its own text.
int OpenWithTitle(E2eSession *s, E2eProc *host, const E2eSeed *seed, HWND *title) {
  if (!E2eStartHost(L"", host) || !E2eOpenDialog(s, seed)) return 0;
  *title = E2eFindChild(s->dlg, L"Static", kTitleLine, 0, 0);
  return E2eExpectTrue("title line found", *title != nullptr, "no static with the title");
}

// The title line shows its own text again by untilMs (E2eNowMs).
int ExpectTitleBack_(E2E_LOC, HWND title, unsigned long long untilMs) {
  wchar_t text[64] = L"";
  do {
    text[0] = L'\0';
    E2eSendBounded(title, WM_GETTEXT, 64, (LPARAM)text);
    if (!wcscmp(text, kTitleLine)) break;
    Sleep(20);
  } while (E2eNowMs() < untilMs);
  return E2eExpectText_(E2E_THERE, "title line after the wait", kTitleLine, text);
}
// Within a second of giving the wait up.
#define ExpectTitleBack(title) ExpectTitleBack_(E2E_HERE, title, E2eNowMs() + 1000)

// OK on a file of a share whose server is off. Given up with Esc, the look-up
// leaves the dialog as it was, with no warning then or when the look-up ends,
// and keys typed meanwhile reach no control; closing does not wait for it.
// Let run, it ends in warning 5, the dialog answering all along.
void DeadShareLookUp(int) {
  wchar_t dead[MAX_PATH], text[300];
  SharePath(dead, MAX_PATH, L"mnt", L"dead\\雨.mp3");
  E2eSession s;
  E2eProc host;
  HWND title;
  if (!E2eResetDataFolder(nullptr) || !OpenWithTitle(&s, &host, nullptr, &title)) return;
  // Keys typed on the path field reach it (premise).
  HWND edit = GetDlgItem(s.dlg, IDC_PATH);
  POINT field = E2eCentreOf(edit);
  E2eMoveCursor(field.x, field.y);
  E2eMouseLeft(1);
  E2eMouseLeft(0);
  GUITHREADINFO gui;
  memset(&gui, 0, sizeof gui);
  gui.cbSize = sizeof gui;
  for (int i = 0; i < 50 && !(GetGUIThreadInfo(GetWindowThreadProcessId(edit, nullptr), &gui) && gui.hwndFocus == edit);
       ++i)
    Sleep(20);
  E2eKeyTap('Q');
  for (int i = 0; i < 50 && wcscmp(E2eControlText(s.dlg, IDC_PATH, text, 300), L"q"); ++i) Sleep(20);
  if (!E2eExpectText("a key typed reaches the path field (premise)", L"q", text)) return;

  E2eFillAndOk(s.dlg, dead, 1, 0);
  unsigned long long okAt = E2eNowMs();
  Watch w;
  WatchDialog(&s, title, okAt, 1500, &w);
  ExpectWatched(&w, 1);
  E2eKeyTap('X');
  E2eKeyTap(VK_SPACE);
  E2eKeyTap(VK_RETURN);
  E2eKeyTap(VK_ESCAPE);
  ExpectTitleBack(title);
  WatchDialog(&s, title, okAt, kDeadLookUpMs + 2000, &w);
  E2eExpectTrue("no warning then or when the look-up ends", w.box == nullptr, "one came");
  ExpectWatched(&w, 0);
  E2eExpectDialogStays(&s);
  E2eExpectText("path field as before OK", dead, E2eControlText(s.dlg, IDC_PATH, text, 300));
  E2eExpectInt("autoplay box as before OK", 1, E2eGetCheck(s.dlg, IDC_AUTOPLAY));
  E2eExpectProbeOnly();
  E2eExpectNoDrop();

  // Unhindered, the same OK ends in warning 5.
  E2eClick(s.dlg, IDOK);
  okAt = E2eNowMs();
  WatchDialog(&s, title, okAt, kDeadLookUpMs + 10000, &w);
  ExpectWatched(&w, 1);
  char found[64];
  snprintf(found, sizeof found, "%llu ms after OK", E2eNowMs() - okAt);
  E2eExpectTrue("warning once the look-up ended", w.box && E2eNowMs() - okAt >= kDeadLookUpMs - 1000, found);
  if (!E2eExpectWarning(s.sorvel.pid, kWarnCannotCreate, s.dlg, kWarningWaitMs)) return;
  E2eExpectDialogStays(&s);

  // Given up and closed at once, the program ends while the look-up goes on.
  Sleep(1500);  // a look-up of its own, not an echo of the last one
  E2eClick(s.dlg, IDOK);
  Sleep(1000);
  E2ePressEscape(s.dlg);
  ExpectTitleBack(title);
  okAt = E2eNowMs();
  if (!E2eCancelAndExit(&s)) return;
  snprintf(found, sizeof found, "%llu ms after Cancel", E2eNowMs() - okAt);
  E2eExpectTrue("ended before the look-up did", E2eNowMs() - okAt < 4000, found);
  E2eExpectNoDrop();
}

enum { kSlowFileLen = 1 << 20 };
unsigned char g_slowBytes[kSlowFileLen];

// How a slow copy ends: let run, given up with Esc, or given up and the
// program closed at once, the copy still under way.
enum { kLetRun, kEscape, kEscapeAndClose };

// OK on a file of 1 MiB whose every read takes 0.4 s. Let run, the dialog
// answers throughout, the percent it shows rises, and the whole file reaches
// the host. Given up with Esc, no notice reaches the host and no
// half-written drop file is left, also when the program ends meanwhile.
void SlowCopy(int ending) {
  static const unsigned char kOldDrop[] = {'I', 'D', '3', 4, 3, 2, 1};
  const E2eSeed seed = {nullptr, nullptr, kOldDrop, sizeof kOldDrop};
  wchar_t slow[MAX_PATH], backing[MAX_PATH];
  for (size_t i = 0; i < kSlowFileLen; ++i) g_slowBytes[i] = (unsigned char)(i * 7 + (i >> 11));
  if (!E2eExpectTrue("slow file written", E2eWriteFile(SharePath(backing, MAX_PATH, L"backing", L"slow\\朗読.mp3"),
                                                       g_slowBytes, kSlowFileLen), "failed"))
    return;
  SharePath(slow, MAX_PATH, L"mnt", L"slow\\朗読.mp3");
  E2eSession s;
  E2eProc host;
  HWND title;
  if (!OpenWithTitle(&s, &host, &seed, &title)) return;
  E2eFillAndOk(s.dlg, slow, 0, 1);
  unsigned long long okAt = E2eNowMs();
  Watch w;
  WatchDialog(&s, title, okAt, ending != kLetRun ? 2500 : 30000, &w);
  ExpectWatched(&w, 1);
  char seen[64];
  snprintf(seen, sizeof seen, "%d rises to %d %%%s", w.rises, w.percent, w.fell ? ", and a fall" : "");
  E2eExpectTrue("the percent shown rises", !w.fell && w.rises >= (ending != kLetRun ? 2 : 4), seen);
  E2eHostLog log;
  if (ending == kLetRun) {
    if (!E2eExpectExitZero(&s)) return;
    E2eReadHostLog(&log);
    const E2eSent sent[] = {{1, 0}, {4, 5}};
    if (!E2eExpectHostMessages(&log, sent, 2)) return;
    E2eExpectInt("drop size at notification", kSlowFileLen, (long long)log.msg[1].dropSize);
    E2eExpectInt("drop hash at notification", (long long)E2eFnv1a(g_slowBytes, kSlowFileLen),
                 (long long)log.msg[1].dropHash);
    return;
  }
  E2eKeyTap(VK_ESCAPE);
  ExpectTitleBack(title);
  if (ending == kEscapeAndClose) {
    E2eCancelAndExit(&s);
  } else {
    // The read under way ends within 0.4 s; the worker then stops.
    Sleep(1500);
    E2eExpectDialogStays(&s);
  }
  E2eExpectProbeOnly();
  wchar_t drop[MAX_PATH];
  static unsigned char left[kSlowFileLen];
  size_t got = 0;
  int present = E2eReadFile(E2eDataFile(drop, MAX_PATH, kDropName), left, sizeof left, &got);
  E2eExpectTrue("no half-written drop file (none, or the whole previous one)",
                !present || (got == sizeof kOldDrop && !memcmp(left, kOldDrop, got)), "another one");
  if (ending == kEscape) E2eCancelAndExit(&s);
}

// A shortcut dropped whose target lies on a share whose server is off: it is
// looked at off the dialog's thread, which answers all along, and for 5 s at
// most, where the look-up takes 8; the drop is then refused, the field keeps
// its text, and the look-up's late end changes nothing.
void DeadShareDrop(int) {
  wchar_t target[MAX_PATH], link[MAX_PATH], text[300];
  SharePath(target, MAX_PATH, L"mnt", L"dead\\夕立.mp3");
  E2ePath(link, MAX_PATH, g_workDir, L"夕立 - ショートカット.lnk");
  if (!E2eExpectTrue("shortcut made", E2eMakeShortcut(link, target), "failed")) return;
  Sleep(1500);  // the drop's look-up is one of its own, not an echo of the shortcut's
  E2eSession s;
  E2eProc host;
  HWND title;
  if (!OpenWithTitle(&s, &host, nullptr, &title)) return;
  const wchar_t kTyped[] = L"C:\\typed before the drop.mp3";
  E2eSetControlText(s.dlg, IDC_PATH, kTyped);
  const wchar_t *paths[] = {link};
  if (!E2eDropFiles(E2eCentreOf(GetDlgItem(s.dlg, IDC_PATH)), paths, 1, 1)) return;
  unsigned long long droppedAt = E2eNowMs();
  Watch w;
  WatchDialog(&s, title, droppedAt, 1500, &w);
  ExpectWatched(&w, 1);
  ExpectTitleBack_(E2E_HERE, title, droppedAt + 6000);
  WatchDialog(&s, title, droppedAt, kDeadLookUpMs + 1500, &w);
  ExpectWatched(&w, 0);
  E2eExpectText("path field keeps its text", kTyped, E2eControlText(s.dlg, IDC_PATH, text, 300));
  E2eCancelAndExit(&s);
}

const E2eCase kWaitCases[] = {
    // name                      procedure         param
    {"dead_share_look_up", DeadShareLookUp, 0},
    {"dead_share_drop", DeadShareDrop, 0},
    {"slow_copy", SlowCopy, kLetRun},
    {"slow_copy_escape", SlowCopy, kEscape},
    {"slow_copy_escape_and_close", SlowCopy, kEscapeAndClose},
};

const E2eTable kWaitTables[] = {
    E2E_CASES(kWaitCases),
};

}  // namespace

const E2eGroup g_waitsGroup = {"waits", kWaitTables, E2E_COUNT(kWaitTables)};
