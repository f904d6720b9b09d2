// The spine: start-up, the insert dialog and the hand-over to the host, seen
// from outside the program as a user and the host would see them.
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "e2e_groups.h"
#include "e2e_session.h"

namespace {

E2eSource g_src;

// One successful insertion of a new source file with the given options:
// checks the exit and the drop file, and leaves the host log for the caller.
int InsertOnce(E2eSession *s, const E2eSeed *seed, const wchar_t *hostOptions, const wchar_t *name, int autoplay,
               int loop) {
  E2eProc host;
  if (!E2eMakeSource(&g_src, g_workDir, name, 4099, 7)) return 0;
  if (!E2eStartHost(hostOptions, &host) || !E2eOpenDialog(s, seed)) return 0;
  E2eFillAndOk(s->dlg, g_src.path, autoplay, loop);
  if (!E2eExpectExitZero(s)) return 0;
  return E2eExpectDrop(g_src.bytes, g_src.len);
}

// ---- insertions that succeed ---------------------------------------------------

void Road(int) {
  E2eSession s;
  if (!InsertOnce(&s, nullptr, L"", L"song.mp3", 1, 0)) return;
  E2eHostLog log;
  E2eReadHostLog(&log);
  const E2eSent sent[] = {{1, 0}, {2, 5}};
  if (E2eExpectHostMessages(&log, sent, 2)) E2eExpectHostSawSource(&log.msg[1], &g_src);
  E2eExpectFlags(L"3");
}

// The notification carries bits 1 and 2 of the ticked boxes.
struct OptionsRow {
  const char *name;
  int autoplay, loop;
};
const OptionsRow kOptionsRows[] = {
    // name              autoplay loop
    {"options_none", 0, 0},
    {"options_autoplay", 1, 0},
    {"options_loop", 0, 1},
    {"options_both", 1, 1},
};

void Options(const void *row) {
  const OptionsRow *r = static_cast<const OptionsRow *>(row);
  E2eSession s;
  if (!InsertOnce(&s, nullptr, L"", L"options.mp3", r->autoplay, r->loop)) return;
  E2eHostLog log;
  E2eReadHostLog(&log);
  const E2eSent sent[] = {{1, 0}, {(unsigned long long)(r->autoplay * 2 + r->loop * 4), 5}};
  E2eExpectHostMessages(&log, sent, 2);
  wchar_t flags[8];
  swprintf(flags, 8, L"%d", 1 + r->autoplay * 2 + r->loop * 4);
  E2eExpectFlags(flags);
}

// Bits other than 1 and 2 are kept in kx.ini and never reach the host.
void HighBitsNotSent(int) {
  E2eSession s;
  const E2eSeed seed = {"[sorvel]\r\nflags=-1\r\n", nullptr, nullptr, 0};
  if (!InsertOnce(&s, &seed, L"", L"bits.mp3", 0, 1)) return;
  E2eHostLog log;
  E2eReadHostLog(&log);
  const E2eSent sent[] = {{1, 0}, {4, 5}};
  E2eExpectHostMessages(&log, sent, 2);
  E2eExpectFlags(L"-3");
}

void DropReplaced(int) {
  static unsigned char old[9000];
  E2eFillPattern(old, sizeof old, 99);
  const E2eSeed seed = {nullptr, nullptr, old, sizeof old};
  E2eSession s;
  InsertOnce(&s, &seed, L"", L"newer.mp3", 0, 0);
}

// A read-only source (from a CD, an archive), or a hidden or system one
// (files on a USB stick often are), leaves a plain drop file, and the next run
// replaces it with another file. Under Wine a process run as root replaces
// such a file anyway, so the attributes themselves are checked.
struct SourceAttributesRow {
  const char *name;
  DWORD attributes;  // of the source
};
const SourceAttributesRow kSourceAttributesRows[] = {
    // name                         source attributes
    {"read_only_source", FILE_ATTRIBUTE_READONLY},
    {"hidden_source", FILE_ATTRIBUTE_HIDDEN},
    {"hidden_system_source", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
};

void SourceWithAttributes(const void *row) {
  const SourceAttributesRow *r = static_cast<const SourceAttributesRow *>(row);
  E2eSession s;
  E2eProc host;
  if (!E2eMakeSource(&g_src, g_workDir, L"track.mp3", 4099, 16)) return;
  SetFileAttributesW(g_src.path, r->attributes);
  char found[32];
  snprintf(found, sizeof found, "attributes 0x%lx", GetFileAttributesW(g_src.path));
  if (!E2eExpectTrue("source carries the attributes (premise)",
                     (GetFileAttributesW(g_src.path) & r->attributes) == r->attributes, found))
    return;
  if (!E2eStartHost(L"", &host) || !E2eOpenDialog(&s, nullptr)) return;
  E2eFillAndOk(s.dlg, g_src.path, 0, 0);
  int ok = E2eExpectExitZero(&s) && E2eExpectDrop(g_src.bytes, g_src.len) && E2eExpectDropPlain();
  SetFileAttributesW(g_src.path, FILE_ATTRIBUTE_NORMAL);
  if (!ok) return;
  // The next run, on the same data folder.
  if (!E2eMakeSource(&g_src, g_workDir, L"next.mp3", 3000, 17) || !E2eStartSorvel(&s, nullptr)) return;
  E2eFillAndOk(s.dlg, g_src.path, 0, 1);
  if (E2eExpectExitZero(&s) && E2eExpectDrop(g_src.bytes, g_src.len)) E2eExpectDropPlain();
}

// A read-only drop file left before the run (by an older run or another
// program) is replaced all the same, and left writable.
void ReadOnlyDropBefore(int) {
  static unsigned char old[5000];
  E2eFillPattern(old, sizeof old, 14);
  const E2eSeed seed = {nullptr, nullptr, old, sizeof old};
  E2eSession s;
  E2eProc host;
  if (!E2eMakeSource(&g_src, g_workDir, L"over-read-only.mp3", 4099, 15)) return;
  if (!E2eStartHost(L"", &host) || !E2eOpenDialog(&s, &seed)) return;
  wchar_t drop[MAX_PATH];
  if (!E2eExpectTrue("drop file made read-only",
                     SetFileAttributesW(E2eDataFile(drop, MAX_PATH, kDropName), FILE_ATTRIBUTE_READONLY), "failed"))
    return;
  E2eFillAndOk(s.dlg, g_src.path, 0, 1);
  if (E2eExpectExitZero(&s) && E2eExpectDrop(g_src.bytes, g_src.len)) E2eExpectDropPlain();
}

// Characters outside code page 932 in the file name.
void WideName(int) {
  E2eSession s;
  if (!InsertOnce(&s, nullptr, L"", L"曲-Ω€ü😀한국.mp3", 0, 0)) return;
  E2eHostLog log;
  E2eReadHostLog(&log);
  if (E2eExpectInt("host messages", 2, log.count)) E2eExpectHostSawSource(&log.msg[1], &g_src);
}

// The host closes its window while answering the probe: the copy still counts.
void HostGoneBeforeNotice(int) {
  E2eSession s;
  if (!InsertOnce(&s, nullptr, L"--close-after-probe", L"gone.mp3", 1, 1)) return;
  E2eExpectProbeOnly();
  E2eExpectFlags(L"7");
}

// The host answers the probe, then reads no messages for a while (busy
// saving a large notebook), longer than the probe's bound: the notice waits
// for it, arrives with the options, and the dialog ends as done.
void BusyHostTakesNotice(int) {
  E2eSession s;
  E2eProc host;
  if (!E2eMakeSource(&g_src, g_workDir, L"busy.mp3", 4099, 18)) return;
  wchar_t options[64];
  swprintf(options, 64, L"--busy-after-probe-ms %lu", (unsigned long)kBusyHostMs);
  if (!E2eStartHost(options, &host) || !E2eOpenDialog(&s, nullptr)) return;
  unsigned long long start = E2eNowMs();
  E2eFillAndOk(s.dlg, g_src.path, 1, 1);
  E2eHostLog log;
  E2eReadHostLog(&log);
  while (log.count < 2 && E2eNowMs() - start < kBusyHostNoticeWaitMs && !E2eFindMessageBox(s.sorvel.pid, 0)) {
    Sleep(100);
    E2eReadHostLog(&log);
  }
  char took[64];
  snprintf(took, sizeof took, "%d messages %llu ms after OK", log.count, E2eNowMs() - start);
  if (!E2eExpectTrue("notice taken by the busy host", log.count >= 2, took)) {
    E2eExpectExitZero(&s);  // names the warning, if one came instead
    return;
  }
  E2eExpectTrue("notice taken after the busy time (premise)", E2eNowMs() - start >= kBusyHostMs - 1000, took);
  const E2eSent sent[] = {{1, 0}, {6, 5}};
  if (E2eExpectHostMessages(&log, sent, 2)) E2eExpectHostSawSource(&log.msg[1], &g_src);
  if (E2eExpectExitZero(&s)) E2eExpectDrop(g_src.bytes, g_src.len);
  E2eExpectFlags(L"7");
}

// A path as Explorer's "Copy as path" gives it, or with blanks around it,
// names the file; a quote inside the name names nothing (no Windows name has
// one). A shortcut names its target, never its own bytes. The field keeps
// what was typed either way.
struct TypedRow {
  const char *name;
  const wchar_t *before, *after;  // typed around the source's path
  const wchar_t *file;            // the source's name
  int inserted;                   // 1 inserted, 0 warning 5
  int shortcut;                   // 1: the path typed is a shortcut's that names the source
};
const TypedRow kTypedRows[] = {
    // name                     before    after    file              inserted  shortcut
    {"typed_quoted", L"\"", L"\"", L"song.mp3", 1, 0},
    {"typed_blanks", L"  ", L" \t", L"song.mp3", 1, 0},
    {"typed_quoted_blanks_outside", L" \"", L"\"  ", L"song.mp3", 1, 0},
    {"typed_quote_in_name", L"", L"", L"so\"ng.mp3", 0, 0},
    {"typed_mark_in_front", L"\x202A", L"", L"song.mp3", 1, 0},
    {"typed_isolates_around", L"\x2066", L"\x2069", L"song.mp3", 1, 0},
    {"typed_shortcut", L"\"", L"\"", L"夏.mp3", 1, 1},
    {"typed_shortcut_to_missing", L"", L"", L"no-such-target.mp3", 0, 1},
};

void Typed(const void *row) {
  const TypedRow *r = static_cast<const TypedRow *>(row);
  E2eSession s;
  E2eProc host;
  wchar_t path[MAX_PATH], typed[MAX_PATH + 8];
  if (r->inserted) {
    if (!E2eMakeSource(&g_src, g_workDir, r->file, 4099, 19)) return;
    wcscpy(path, g_src.path);
  } else {
    E2ePath(path, MAX_PATH, g_workDir, r->file);
  }
  wchar_t link[MAX_PATH];
  if (r->shortcut) {
    if (!E2eExpectTrue("shortcut made", E2eMakeShortcut(wcscat(wcscpy(link, path), L".lnk"), path), "failed")) return;
    wcscpy(path, link);
  }
  swprintf(typed, MAX_PATH + 8, L"%ls%ls%ls", r->before, path, r->after);
  if (!E2eStartHost(L"", &host) || !E2eOpenDialog(&s, nullptr)) return;
  E2eFillAndOk(s.dlg, typed, 1, 0);
  if (r->inserted) {
    if (!E2eExpectExitZero(&s) || !E2eExpectDrop(g_src.bytes, g_src.len)) return;
    E2eHostLog log;
    E2eReadHostLog(&log);
    const E2eSent sent[] = {{1, 0}, {2, 5}};
    if (E2eExpectHostMessages(&log, sent, 2)) E2eExpectHostSawSource(&log.msg[1], &g_src);
    return;
  }
  E2eExpectWarning(s.sorvel.pid, kWarnCannotCreate, s.dlg, kWarningWaitMs);
  wchar_t text[300];
  E2eExpectText("path field as typed", typed, E2eControlText(s.dlg, IDC_PATH, text, 300));
  E2eExpectNoDrop();
  E2eExpectProbeOnly();
}

void NoticeRepliesZero(int) {
  E2eSession s;
  if (!InsertOnce(&s, nullptr, L"--notify-reply 0", L"zero.mp3", 0, 0)) return;
  E2eHostLog log;
  E2eReadHostLog(&log);
  const E2eSent sent[] = {{1, 0}, {0, 5}};
  E2eExpectHostMessages(&log, sent, 2);
}

// ---- insertions that fail -----------------------------------------------------

void HostAbsent(int) {
  E2eSession s;
  if (!E2eMakeSource(&g_src, g_workDir, L"absent.mp3", 100, 3) || !E2eOpenDialog(&s, nullptr)) return;
  E2eFillAndOk(s.dlg, g_src.path, 0, 1);
  E2eExpectWarning(s.sorvel.pid, kWarnNotRunning, s.dlg, kWarningWaitMs);
  E2eExpectDialogStays(&s);
  E2eExpectNoDrop();
  // The options were taken before the send and survive Cancel.
  if (E2eCancelAndExit(&s)) E2eExpectFlags(L"5");
}

void ProbeZero(int) {
  E2eSession s;
  E2eProc host;
  if (!E2eMakeSource(&g_src, g_workDir, L"probe0.mp3", 100, 4)) return;
  if (!E2eStartHost(L"--probe-reply 0", &host) || !E2eOpenDialog(&s, nullptr)) return;
  E2eFillAndOk(s.dlg, g_src.path, 1, 0);
  E2eExpectWarning(s.sorvel.pid, kWarnNotEditing, s.dlg, kWarningWaitMs);
  E2eExpectDialogStays(&s);
  E2eExpectNoDrop();
  E2eExpectProbeOnly();
}

// A source path the host's file cannot be made from.
enum SourceKind { kPathToNothing, kFolderPath, kEmptyPath };
struct CannotCreateRow {
  const char *name;
  SourceKind kind;
};
const CannotCreateRow kCannotCreateRows[] = {
    // name           path in the field
    {"missing_file", kPathToNothing},
    {"folder_path", kFolderPath},
    {"empty_path", kEmptyPath},
};

void CannotCreate(const void *row) {
  const CannotCreateRow *r = static_cast<const CannotCreateRow *>(row);
  E2eSession s;
  E2eProc host;
  wchar_t path[MAX_PATH] = L"";
  if (r->kind == kPathToNothing) E2ePath(path, MAX_PATH, g_workDir, L"no-such-file.mp3");
  else if (r->kind == kFolderPath) wcscpy(path, g_workDir);
  if (!E2eStartHost(L"", &host) || !E2eOpenDialog(&s, nullptr)) return;
  E2eFillAndOk(s.dlg, path, 0, 0);
  E2eExpectWarning(s.sorvel.pid, kWarnCannotCreate, s.dlg, kWarningWaitMs);
  E2eExpectDialogStays(&s);
  E2eExpectNoDrop();
  // The file is looked at only after both host checks passed.
  E2eExpectProbeOnly();
}

// A host that does not answer the probe: the wait is bounded (10 s) and ends
// in warning 7, which says to try again later, not that no page is open.
void HungHost(int) {
  E2eSession s;
  E2eProc host;
  if (!E2eMakeSource(&g_src, g_workDir, L"hung.mp3", 100, 5)) return;
  if (!E2eStartHost(L"--probe-delay-ms 15000", &host) || !E2eOpenDialog(&s, nullptr)) return;
  E2eFillAndOk(s.dlg, g_src.path, 0, 0);
  HWND box = E2eExpectHungHostWarning(s.sorvel.pid, kWarnNotAnswering, kHungWarningFromMs);
  if (!box) return;
  E2eDismissMessageBox(box);
  E2eExpectNoDrop();
}

// The host stops reading messages before it is asked (hung, or busy saving):
// warning 7 within the probe's bound, nothing copied; the Enter the user
// presses three times while nothing seems to happen neither closes the
// warning unseen nor presses OK again. Once the host reads messages again, OK
// inserts the file exactly once (the probe that timed out was withdrawn, not
// answered later).
void StalledHost(int) {
  E2eSession s;
  E2eProc host;
  if (!E2eMakeSource(&g_src, g_workDir, L"stalled.mp3", 4099, 23)) return;
  if (!E2eStartHost(L"", &host) || !E2eOpenDialog(&s, nullptr) || !E2eStallHost(kBusyHostMs)) return;
  E2eFillAndOk(s.dlg, g_src.path, 1, 1);
  for (int i = 0; i < 3; ++i) {
    Sleep(300);
    E2eKeyTap(VK_RETURN);
  }
  HWND box = E2eExpectHungHostWarning(s.sorvel.pid, kWarnNotAnswering, 0);
  if (!box) return;
  Sleep(1000);
  if (!E2eExpectTrue("warning still open a second later", IsWindow(box) && IsWindowVisible(box), "it closed"))
    return;
  E2eDismissMessageBox(box);
  E2eExpectTrue("warning dismissed", E2eWaitGone(box, kGoneWaitMs), "still open");
  E2eExpectDialogStays(&s);
  E2eExpectNoDrop();
  if (!E2eExpectTrue("host reads messages again", E2eHostAnswers(kBusyHostNoticeWaitMs), "still stalled")) return;
  E2eClick(s.dlg, IDOK);
  if (!E2eExpectExitZero(&s) || !E2eExpectDrop(g_src.bytes, g_src.len)) return;
  E2eHostLog log;
  E2eReadHostLog(&log);
  const E2eSent sent[] = {{1, 0}, {6, 5}};
  if (E2eExpectHostMessages(&log, sent, 2)) E2eExpectHostSawSource(&log.msg[1], &g_src);
}

// The host shows a box of its own while it handles the notice. The dialog,
// which cannot be moved while it waits, lies just below the host's foremost
// window: the host and its box above it, another program's window below it,
// so it is neither over the box (which may open behind the foreground
// window, once the user's input has ended the host's leave to take it) nor
// out of sight. A host that shows no window leaves the dialog the bottom.
// Once the user answers the box the insertion completes.
void HostBoxDuringNotice(int hostShown) {
  E2eSession s;
  E2eProc host;
  if (!E2eMakeSource(&g_src, g_workDir, L"asked.mp3", 4099, 24)) return;
  if (!E2eStartHost(L"--box-on-notice", &host) || !E2eOpenDialog(&s, nullptr)) return;
  HWND main = FindWindowW(L"Kobble API-kurasu", L"Kobble TSR");
  HWND other = CreateWindowExW(0, L"Static", L"another program", WS_POPUP, 40, 40, 300, 200, nullptr, nullptr,
                               nullptr, nullptr);
  HWND below = nullptr;
  if (hostShown) {
    // Another program's window, then the host's own window over it, which
    // the stand-in keeps hidden, as a real host's is shown; asked without
    // waiting, so that a host that reads no messages cannot hold the driver.
    ShowWindow(other, SW_SHOWNOACTIVATE);
    SetWindowPos(main, HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_ASYNCWINDOWPOS);
    for (int i = 0; i < 250 && below != other; ++i) {
      Sleep(20);
      below = IsWindowVisible(main) ? E2eVisibleWindowBelow(main) : nullptr;
      while (below && below != other) below = E2eVisibleWindowBelow(below);
    }
    if (!E2eExpectTrue("another program's window below the host's (premise)", below == other, "not so")) return;
  }
  E2eFillAndOk(s.dlg, g_src.path, 0, 1);
  HWND box = E2eFindWindow(host.pid, L"#32770", L"Kobble", kWarningWaitMs);
  if (!E2eExpectTrue("the host's box shown", box != nullptr, "none")) return;
  E2eExpectTrue("insert dialog not topmost while the host's box is up",
                !(GetWindowLongPtrW(s.dlg, GWL_EXSTYLE) & WS_EX_TOPMOST), "topmost");
  if (hostShown) {
    HWND above = GetWindow(s.dlg, GW_HWNDPREV);
    while (above && !IsWindowVisible(above)) above = GetWindow(above, GW_HWNDPREV);
    E2eExpectTrue("insert dialog directly below the host's window", above == main, "another window between");
    E2eExpectTrue("the other program's window below the insert dialog", E2eVisibleWindowBelow(s.dlg) == other,
                  "not next below it");
  } else {
    E2eExpectTrue("no visible window below the insert dialog while the host's box is up",
                  E2eVisibleWindowBelow(s.dlg) == nullptr, "one is");
  }
  E2eDismissMessageBox(box);
  DestroyWindow(other);
  if (!E2eExpectExitZero(&s) || !E2eExpectDrop(g_src.bytes, g_src.len)) return;
  E2eHostLog log;
  E2eReadHostLog(&log);
  const E2eSent sent[] = {{1, 0}, {4, 5}};
  if (E2eExpectHostMessages(&log, sent, 2)) E2eExpectHostSawSource(&log.msg[1], &g_src);
}

// A failed OK and a second OK: every step runs again from the first look-up.
struct RetryRow {
  const char *name;
  int hostFromStart;  // 1: the path is fixed in between; 0: the host is started in between
};
const RetryRow kRetryRows[] = {
    // name                host running from the start
    {"retry_fixed_path", 1},
    {"retry_host_started", 0},
};

void RetryAfterFailure(const void *row) {
  const RetryRow *r = static_cast<const RetryRow *>(row);
  E2eSession s;
  E2eProc host;
  if (!E2eMakeSource(&g_src, g_workDir, L"retry.mp3", 2000, 6)) return;
  if (r->hostFromStart && !E2eStartHost(L"", &host)) return;
  if (!E2eOpenDialog(&s, nullptr)) return;
  wchar_t missing[MAX_PATH];
  E2eFillAndOk(s.dlg, r->hostFromStart ? E2ePath(missing, MAX_PATH, g_workDir, L"missing.mp3") : g_src.path, 1, 1);
  if (!E2eExpectWarning(s.sorvel.pid, r->hostFromStart ? kWarnCannotCreate : kWarnNotRunning, s.dlg, kWarningWaitMs))
    return;
  if (!r->hostFromStart && !E2eStartHost(L"", &host)) return;
  E2eFillAndOk(s.dlg, g_src.path, 1, 1);
  if (!E2eExpectExitZero(&s)) return;
  E2eExpectDrop(g_src.bytes, g_src.len);
  E2eHostLog log;
  E2eReadHostLog(&log);
  if (r->hostFromStart) {
    const E2eSent sent[] = {{1, 0}, {1, 0}, {6, 5}};
    E2eExpectHostMessages(&log, sent, 3);
  } else {
    const E2eSent sent[] = {{1, 0}, {6, 5}};
    E2eExpectHostMessages(&log, sent, 2);
  }
}

// ---- the flags word ------------------------------------------------------------

// Leaving without sending still saves the flags word.
struct LeaveRow {
  const char *name;
  const char *ini;
  int escape;  // the Escape key instead of the Cancel button
  const wchar_t *flagsAfter;
};
const LeaveRow kLeaveRows[] = {
    // name                 ini                             escape  flags after
    {"cancel_first_run", nullptr, 0, L"1"},
    {"cancel_keeps_7", "[sorvel]\r\nflags=7\r\n", 0, L"7"},
    {"escape_first_run", nullptr, 1, L"1"},
    {"cancel_flags_abc", "[sorvel]\r\nflags=abc\r\n", 0, L"1"},
    {"cancel_other_bits", "[sorvel]\r\nflags=1030\r\n", 0, L"1031"},
};

void Leave(const void *row) {
  const LeaveRow *r = static_cast<const LeaveRow *>(row);
  const E2eSeed seed = {r->ini, nullptr, nullptr, 0};
  E2eSession s;
  if (!E2eOpenDialog(&s, &seed)) return;
  if (r->escape) E2ePressEscape(s.dlg);
  else E2eClick(s.dlg, IDCANCEL);
  if (E2eExpectExitZero(&s)) E2eExpectFlags(r->flagsAfter);
}

// The dialog opens with the stored options ticked.
struct OpenRow {
  const char *name;
  const char *ini;
  int autoplay, loop;
};
const OpenRow kOpenRows[] = {
    // name               ini                             autoplay loop
    {"open_flags_none", nullptr, 0, 0},
    {"open_flags_3", "[sorvel]\r\nflags=3\r\n", 1, 0},
    {"open_flags_5", "[sorvel]\r\nflags=5\r\n", 0, 1},
    {"open_flags_7", "[sorvel]\r\nflags=7\r\n", 1, 1},
    {"open_flags_abc", "[sorvel]\r\nflags=abc\r\n", 0, 0},
    {"open_flags_1030", "[sorvel]\r\nflags=1030\r\n", 1, 1},
};

void OpensWithSavedOptions(const void *row) {
  const OpenRow *r = static_cast<const OpenRow *>(row);
  const E2eSeed seed = {r->ini, nullptr, nullptr, 0};
  E2eSession s;
  if (!E2eOpenDialog(&s, &seed)) return;
  E2eExpectInt("autoplay box (1003)", r->autoplay, E2eGetCheck(s.dlg, IDC_AUTOPLAY));
  E2eExpectInt("loop box (1004)", r->loop, E2eGetCheck(s.dlg, IDC_LOOP));
  wchar_t text[300];
  E2eExpectText("path field", L"", E2eControlText(s.dlg, IDC_PATH, text, 300));
}

// A second copy is refused and leaves the first, its settings and files alone.
void SecondCopy(int) {
  static const char kIni[] = "[sorvel]\r\nflags=5\r\n";
  static const char kList[] = "12\tOther\tOther tool\t\"C:\\other.exe\"\r\n";
  static const unsigned char kDrop[] = {'I', 'D', '3', 0, 1, 2, 3};
  const E2eSeed seed = {kIni, kList, kDrop, sizeof kDrop};
  E2eSession first;
  if (!E2eOpenDialog(&first, &seed)) return;
  E2eProc second;
  if (!E2eStart(g_sorvelExe, nullptr, &second)) return;
  E2eExpectWarning(second.pid, kWarnAlreadyRunning, nullptr, kWarningWaitMs);
  DWORD code = 0;
  if (E2eExpectTrue("second copy ended", E2eWaitExit(&second, kExitWaitMs, &code), "still running"))
    E2eExpectInt("second copy exit code", 0, code);
  E2eExpectDialogStays(&first);
  E2eExpectInt("first dialog autoplay box", 0, E2eGetCheck(first.dlg, IDC_AUTOPLAY));
  E2eExpectInt("first dialog loop box", 1, E2eGetCheck(first.dlg, IDC_LOOP));
  E2eExpectDataText(kSettingsName, kIni);
  E2eExpectDataText(kListName, kList);
  E2eExpectDrop(kDrop, sizeof kDrop);
}

// ---- the file chooser ------------------------------------------------------

// The chooser's file-name edit: edt1, or the edit somewhere inside the cmb13
// combo box (Wine nests it in a ComboBoxEx32).
HWND ChooserNameEdit(HWND chooser) {
  HWND edit = GetDlgItem(chooser, 0x480);
  if (edit) return edit;
  HWND combo = GetDlgItem(chooser, 0x47c);
  return combo ? E2eFindChild(combo, L"Edit", nullptr, 0, 0) : nullptr;
}

HWND OpenChooser(E2eSession *s, const wchar_t *fieldText) {
  E2eSetControlText(s->dlg, IDC_PATH, fieldText);
  E2eClick(s->dlg, IDC_BROWSE);
  HWND chooser = E2eFindWindow(s->sorvel.pid, L"#32770", kChooserTitle, kChooserWaitMs);
  E2eExpectTrue("file chooser shown", chooser != nullptr, "no window with the chooser's title within 15 s");
  return chooser;
}

int ExpectProposedName(HWND chooser, const wchar_t *name) {
  HWND edit = ChooserNameEdit(chooser);
  if (!edit) {
    E2eDumpWindow(chooser);
    return E2eExpectTrue("chooser file-name field", 0, "not found");
  }
  wchar_t text[300] = L"";
  E2eSendBounded(edit, WM_GETTEXT, 300, reinterpret_cast<LPARAM>(text));
  text[299] = 0;
  return E2eExpectText("proposed file name", name, text);
}

// Types a name into the chooser and presses its OK; waits for the field.
int ChooseName(E2eSession *s, HWND chooser, const wchar_t *name, const wchar_t *expectedField) {
  HWND edit = ChooserNameEdit(chooser);
  if (!edit) return 0;
  E2eSendBounded(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name));
  E2eClick(chooser, IDOK);
  if (!E2eExpectTrue("chooser closed", E2eWaitGone(chooser, 10000), "still open")) return 0;
  wchar_t text[300];
  return E2eExpectText("path field after choosing", expectedField, E2eControlText(s->dlg, IDC_PATH, text, 300));
}

// An empty field opens in the music folder; a folder path ending in a
// backslash opens in that folder. Both propose "無題"; a typed name is taken
// from that folder.
struct BrowseRow {
  const char *name;
  int musicFolder;  // 1: the field is empty; 0: it holds the scratch folder and a backslash
  int quoted;       // the folder path is in double quotes, as Explorer copies it
};
const BrowseRow kBrowseRows[] = {
    // name                  field empty  quoted
    {"browse_music_folder", 1, 0},
    {"browse_folder_path", 0, 0},
    {"browse_quoted_folder_path", 0, 1},
};

void BrowseChooses(const void *row) {
  const BrowseRow *r = static_cast<const BrowseRow *>(row);
  E2eSession s;
  const wchar_t *folder = r->musicFolder ? g_musicDir : g_workDir;
  if (!E2eMakeSource(&g_src, folder, L"pick-e2e.mp3", 300, 8) || !E2eOpenDialog(&s, nullptr)) return;
  wchar_t work[MAX_PATH], field[MAX_PATH + 2] = L"";
  if (!r->musicFolder) swprintf(field, MAX_PATH + 2, r->quoted ? L"\"%ls\"" : L"%ls", E2ePath(work, MAX_PATH, g_workDir, L""));
  HWND chooser = OpenChooser(&s, field);
  if (!chooser) return;
  ExpectProposedName(chooser, L"無題");
  ChooseName(&s, chooser, L"pick-e2e.mp3", g_src.path);
  DeleteFileW(g_src.path);
}

void BrowseCancelled(int) {
  E2eSession s;
  if (!E2eOpenDialog(&s, nullptr)) return;
  HWND chooser = OpenChooser(&s, L"");
  if (!chooser) return;
  E2eClick(chooser, IDCANCEL);
  if (!E2eExpectTrue("chooser closed", E2eWaitGone(chooser, 10000), "still open")) return;
  wchar_t text[300];
  E2eExpectText("path field", L"", E2eControlText(s.dlg, IDC_PATH, text, 300));
  E2eExpectDialogStays(&s);
}

// A bare name has no folder to open: nothing is shown, the field is kept.
void BrowseBareName(int) {
  E2eSession s;
  if (!E2eOpenDialog(&s, nullptr)) return;
  E2eSetControlText(s.dlg, IDC_PATH, L"song.mp3");
  E2eClick(s.dlg, IDC_BROWSE);
  HWND chooser = E2eFindWindow(s.sorvel.pid, L"#32770", kChooserTitle, 3000);
  E2eExpectTrue("no chooser", chooser == nullptr, "a chooser opened");
  wchar_t text[300];
  E2eExpectText("path field", L"song.mp3", E2eControlText(s.dlg, IDC_PATH, text, 300));
}

const E2eCase kInsertCases[] = {
    // name                       procedure             param
    {"road", Road, 0},
    {"high_bits_not_sent", HighBitsNotSent, 0},
    {"drop_replaced", DropReplaced, 0},
    {"read_only_drop_before", ReadOnlyDropBefore, 0},
    {"wide_file_name", WideName, 0},
    {"host_gone_before_notice", HostGoneBeforeNotice, 0},
    {"notice_replies_zero", NoticeRepliesZero, 0},
    {"busy_host_takes_notice", BusyHostTakesNotice, 0},
    {"host_absent", HostAbsent, 0},
    {"probe_zero", ProbeZero, 0},
    {"hung_host", HungHost, 0},
    {"stalled_host", StalledHost, 0},
    {"host_box_during_notice", HostBoxDuringNotice, 1},
    {"host_box_host_hidden", HostBoxDuringNotice, 0},
};

const E2eCase kDialogCases[] = {
    // name                       procedure             param
    {"second_copy", SecondCopy, 0},
    {"browse_cancelled", BrowseCancelled, 0},
    {"browse_bare_name", BrowseBareName, 0},
};

const E2eTable kSpineTables[] = {
    E2E_CASES(kInsertCases),
    E2E_ROWS(SourceWithAttributes, kSourceAttributesRows),
    E2E_ROWS(Options, kOptionsRows),
    E2E_ROWS(Typed, kTypedRows),
    E2E_ROWS(CannotCreate, kCannotCreateRows),
    E2E_ROWS(RetryAfterFailure, kRetryRows),
    E2E_ROWS(Leave, kLeaveRows),
    E2E_ROWS(OpensWithSavedOptions, kOpenRows),
    E2E_CASES(kDialogCases),
    E2E_ROWS(BrowseChooses, kBrowseRows),
};

}  // namespace

const E2eGroup g_spineGroup = {"spine", kSpineTables, E2E_COUNT(kSpineTables)};
