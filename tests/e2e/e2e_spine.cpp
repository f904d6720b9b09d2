// The spine: start-up, the insert dialog and the hand-over to the host, seen
// from outside the program as a user and the host would see them.
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "e2e_harness.h"

namespace {

const wchar_t kWarnNotRunning[] = L"『Kobble』が起動していません．";
const wchar_t kWarnNotEditing[] = L"『Kobble』の編集中ではありません．";
const wchar_t kWarnCannotCreate[] = L"『Kobble』のファイルが作成できません．";
const wchar_t kWarnAlreadyRunning[] = L"二重起動です.";
const wchar_t kChooserTitle[] = L"Kobbleに挿入するMP3ファイルを選択する";

enum { kPath = 1001, kBrowse = 1002, kAutoplay = 1003, kLoop = 1004 };
enum { kSourceCap = 1 << 16 };

const DWORD kDialogWaitMs = 10000;
const DWORD kExitWaitMs = 10000;
const DWORD kWarningWaitMs = 10000;

struct Session {
  E2eProc sorvel;
  HWND dlg;
};

// A source file in the scratch folder, its bytes kept for comparison.
struct Source {
  wchar_t path[MAX_PATH];
  unsigned char bytes[kSourceCap];
  size_t len;
};

Source g_src;
unsigned char g_read[kSourceCap];

// Writes a source file of len pattern bytes behind an ID3-like header.
int MakeSource(Source *src, const wchar_t *dir, const wchar_t *name, size_t len, unsigned seed) {
  E2ePath(src->path, MAX_PATH, dir, name);
  src->len = len;
  E2eFillPattern(src->bytes, len, seed);
  if (len >= 3) memcpy(src->bytes, "ID3", 3);
  return E2eExpectTrue("source file written", E2eWriteFile(src->path, src->bytes, len), "write failed");
}

// Seeds the data folder, starts sorvel and waits for its dialog.
int OpenDialog(Session *s, const E2eSeed *seed) {
  s->dlg = nullptr;
  if (!E2eResetDataFolder(seed)) return 0;
  if (!E2eStartSorvel(&s->sorvel)) return 0;
  s->dlg = E2eFindInsertDialog(s->sorvel.pid, kDialogWaitMs);
  return E2eExpectTrue("insert dialog shown", s->dlg != nullptr, "no dialog within 10 s");
}

int ExpectExitZero(Session *s) { return E2eExpectExitZero(&s->sorvel, kExitWaitMs); }

int ExpectDialogStays(Session *s) {
  Sleep(200);
  int ok = E2eExpectTrue("sorvel still running", E2eRunning(&s->sorvel), "it ended");
  return ok && E2eExpectTrue("dialog still open", IsWindow(s->dlg) && IsWindowVisible(s->dlg), "it closed");
}

int ExpectFlags(const wchar_t *expected) {
  wchar_t flags[64];
  return E2eExpectText("kx.ini [sorvel] flags", expected, E2eReadFlagsText(flags, 64));
}

int ExpectDrop(const void *bytes, size_t len) {
  wchar_t path[MAX_PATH];
  size_t got = 0;
  if (!E2eExpectTrue("drop file exists", E2eReadFile(E2eDataFile(path, MAX_PATH, L"$kobble.mp3"), g_read,
                                                        sizeof g_read, &got), "missing"))
    return 0;
  return E2eExpectBytes("drop file bytes", bytes, len, g_read, got < sizeof g_read ? got : sizeof g_read);
}

int ExpectNoDrop() {
  wchar_t path[MAX_PATH];
  return E2eExpectTrue("no drop file", !E2eFileExists(E2eDataFile(path, MAX_PATH, L"$kobble.mp3")), "one exists");
}

// The notification's view of the drop file: the host saw exactly the source.
int ExpectHostSawSource(const E2eHostMsg *m, const Source *src) {
  if (!E2eExpectTrue("drop file at notification", m->dropPresent, "missing")) return 0;
  int ok = E2eExpectInt("drop size at notification", (long long)src->len, (long long)m->dropSize);
  return E2eExpectInt("drop hash at notification", (long long)E2eFnv1a(src->bytes, src->len),
                      (long long)m->dropHash) && ok;
}

int ExpectProbeOnly() {
  E2eHostLog log;
  E2eReadHostLog(&log);
  const unsigned long long w[] = {1};
  const long long l[] = {0};
  return E2eExpectHostMessages(&log, w, l, 1);
}

// Sets the dialog's fields and presses OK.
void FillAndOk(HWND dlg, const wchar_t *path, int autoplay, int loop) {
  E2eSetControlText(dlg, kPath, path);
  E2eSetCheck(dlg, kAutoplay, autoplay);
  E2eSetCheck(dlg, kLoop, loop);
  E2eClick(dlg, IDOK);
}

// One successful insertion with the given options; checks the drop file, the
// host's view and the exit. Leaves the host log for the caller.
int InsertOnce(Session *s, const E2eSeed *seed, const wchar_t *hostOptions, const wchar_t *name, int autoplay,
               int loop) {
  E2eProc host;
  if (!MakeSource(&g_src, g_workDir, name, 4099, 7)) return 0;
  if (!E2eStartHost(hostOptions, &host) || !OpenDialog(s, seed)) return 0;
  FillAndOk(s->dlg, g_src.path, autoplay, loop);
  if (!ExpectExitZero(s)) return 0;
  return ExpectDrop(g_src.bytes, g_src.len);
}

// ---- cases -------------------------------------------------------------------

void Road(int) {
  Session s;
  if (!InsertOnce(&s, nullptr, L"", L"song.mp3", 1, 0)) return;
  E2eHostLog log;
  E2eReadHostLog(&log);
  const unsigned long long w[] = {1, 2};
  const long long l[] = {0, 5};
  if (E2eExpectHostMessages(&log, w, l, 2)) ExpectHostSawSource(&log.msg[1], &g_src);
  ExpectFlags(L"3");
}

// Options: param = autoplay | loop << 1; the notification carries bits 1 and 2.
void Options(int param) {
  Session s;
  int autoplay = param & 1, loop = (param >> 1) & 1;
  if (!InsertOnce(&s, nullptr, L"", L"options.mp3", autoplay, loop)) return;
  E2eHostLog log;
  E2eReadHostLog(&log);
  const unsigned long long wParam = (unsigned long long)(autoplay * 2 + loop * 4);
  const unsigned long long w[] = {1, wParam};
  const long long l[] = {0, 5};
  E2eExpectHostMessages(&log, w, l, 2);
  wchar_t flags[8];
  swprintf(flags, 8, L"%d", 1 + autoplay * 2 + loop * 4);
  ExpectFlags(flags);
}

// Bits other than 1 and 2 are kept in kx.ini and never reach the host.
void HighBitsNotSent(int) {
  Session s;
  const E2eSeed seed = {"[sorvel]\r\nflags=-1\r\n", nullptr, nullptr, 0};
  if (!InsertOnce(&s, &seed, L"", L"bits.mp3", 0, 1)) return;
  E2eHostLog log;
  E2eReadHostLog(&log);
  const unsigned long long w[] = {1, 4};
  const long long l[] = {0, 5};
  E2eExpectHostMessages(&log, w, l, 2);
  ExpectFlags(L"-3");
}

void DropReplaced(int) {
  static unsigned char old[9000];
  E2eFillPattern(old, sizeof old, 99);
  const E2eSeed seed = {nullptr, nullptr, old, sizeof old};
  Session s;
  InsertOnce(&s, &seed, L"", L"newer.mp3", 0, 0);
}

int ExpectDropWritable() {
  wchar_t path[MAX_PATH];
  DWORD attr = GetFileAttributesW(E2eDataFile(path, MAX_PATH, L"$kobble.mp3"));
  if (!E2eExpectTrue("drop file attributes", attr != INVALID_FILE_ATTRIBUTES, "none")) return 0;
  char found[32];
  snprintf(found, sizeof found, "attributes 0x%lx", attr);
  return E2eExpectTrue("drop file not read-only", !(attr & FILE_ATTRIBUTE_READONLY), found);
}

// A read-only source (from a CD, an archive) leaves the drop file writable,
// and the next run replaces it with another file. Under Wine a process run as
// root may write a read-only file anyway, so the attribute itself is checked.
void ReadOnlySource(int) {
  Session s;
  E2eProc host;
  if (!MakeSource(&g_src, g_workDir, L"cd-track.mp3", 4099, 12)) return;
  if (!E2eExpectTrue("source made read-only", SetFileAttributesW(g_src.path, FILE_ATTRIBUTE_READONLY), "failed"))
    return;
  if (!E2eStartHost(L"", &host) || !OpenDialog(&s, nullptr)) return;
  FillAndOk(s.dlg, g_src.path, 0, 0);
  int ok = ExpectExitZero(&s) && ExpectDrop(g_src.bytes, g_src.len) && ExpectDropWritable();
  SetFileAttributesW(g_src.path, FILE_ATTRIBUTE_NORMAL);
  if (!ok) return;
  // The next run, on the same data folder.
  if (!MakeSource(&g_src, g_workDir, L"next.mp3", 3000, 13) || !E2eStartSorvel(&s.sorvel)) return;
  s.dlg = E2eFindInsertDialog(s.sorvel.pid, kDialogWaitMs);
  if (!E2eExpectTrue("insert dialog shown again", s.dlg != nullptr, "no dialog within 10 s")) return;
  FillAndOk(s.dlg, g_src.path, 1, 0);
  if (ExpectExitZero(&s) && ExpectDrop(g_src.bytes, g_src.len)) ExpectDropWritable();
}

// A read-only drop file left before the run (by an older run or another
// program) is replaced all the same, and left writable.
void ReadOnlyDropBefore(int) {
  static unsigned char old[5000];
  E2eFillPattern(old, sizeof old, 14);
  const E2eSeed seed = {nullptr, nullptr, old, sizeof old};
  Session s;
  E2eProc host;
  if (!MakeSource(&g_src, g_workDir, L"over-read-only.mp3", 4099, 15)) return;
  if (!E2eStartHost(L"", &host) || !OpenDialog(&s, &seed)) return;
  wchar_t drop[MAX_PATH];
  if (!E2eExpectTrue("drop file made read-only",
                     SetFileAttributesW(E2eDataFile(drop, MAX_PATH, L"$kobble.mp3"), FILE_ATTRIBUTE_READONLY),
                     "failed"))
    return;
  FillAndOk(s.dlg, g_src.path, 0, 1);
  if (ExpectExitZero(&s) && ExpectDrop(g_src.bytes, g_src.len)) ExpectDropWritable();
}

// Characters outside code page 932 in the file name.
void WideName(int) {
  Session s;
  if (!InsertOnce(&s, nullptr, L"", L"曲-Ω€ü😀한국.mp3", 0, 0)) return;
  E2eHostLog log;
  E2eReadHostLog(&log);
  if (E2eExpectInt("host messages", 2, log.count)) ExpectHostSawSource(&log.msg[1], &g_src);
}

// The host closes its window while answering the probe: the copy still counts.
void HostGoneBeforeNotice(int) {
  Session s;
  if (!InsertOnce(&s, nullptr, L"--close-after-probe", L"gone.mp3", 1, 1)) return;
  ExpectProbeOnly();
  ExpectFlags(L"7");
}

void NoticeRepliesZero(int) {
  Session s;
  if (!InsertOnce(&s, nullptr, L"--notify-reply 0", L"zero.mp3", 0, 0)) return;
  E2eHostLog log;
  E2eReadHostLog(&log);
  const unsigned long long w[] = {1, 0};
  const long long l[] = {0, 5};
  E2eExpectHostMessages(&log, w, l, 2);
}

void HostAbsent(int) {
  Session s;
  if (!MakeSource(&g_src, g_workDir, L"absent.mp3", 100, 3) || !OpenDialog(&s, nullptr)) return;
  FillAndOk(s.dlg, g_src.path, 0, 1);
  E2eExpectWarning(s.sorvel.pid, kWarnNotRunning, s.dlg, kWarningWaitMs);
  ExpectDialogStays(&s);
  ExpectNoDrop();
  // The options were taken before the send and survive Cancel.
  E2eClick(s.dlg, IDCANCEL);
  if (ExpectExitZero(&s)) ExpectFlags(L"5");
}

void ProbeZero(int) {
  Session s;
  E2eProc host;
  if (!MakeSource(&g_src, g_workDir, L"probe0.mp3", 100, 4)) return;
  if (!E2eStartHost(L"--probe-reply 0", &host) || !OpenDialog(&s, nullptr)) return;
  FillAndOk(s.dlg, g_src.path, 1, 0);
  E2eExpectWarning(s.sorvel.pid, kWarnNotEditing, s.dlg, kWarningWaitMs);
  ExpectDialogStays(&s);
  ExpectNoDrop();
  ExpectProbeOnly();
}

// param 0: a path to nothing, 1: a folder, 2: an empty field.
void CannotCreate(int param) {
  Session s;
  E2eProc host;
  wchar_t path[MAX_PATH];
  if (param == 0) E2ePath(path, MAX_PATH, g_workDir, L"no-such-file.mp3");
  else if (param == 1) wcscpy(path, g_workDir);
  else path[0] = 0;
  if (!E2eStartHost(L"", &host) || !OpenDialog(&s, nullptr)) return;
  FillAndOk(s.dlg, path, 0, 0);
  E2eExpectWarning(s.sorvel.pid, kWarnCannotCreate, s.dlg, kWarningWaitMs);
  ExpectDialogStays(&s);
  ExpectNoDrop();
  // The file is looked at only after both host checks passed.
  ExpectProbeOnly();
}

// A host that does not answer the probe: the wait is bounded (10 s) and ends
// in warning 4.
void HungHost(int) {
  Session s;
  E2eProc host;
  if (!MakeSource(&g_src, g_workDir, L"hung.mp3", 100, 5)) return;
  if (!E2eStartHost(L"--probe-delay-ms 15000", &host) || !OpenDialog(&s, nullptr)) return;
  FillAndOk(s.dlg, g_src.path, 0, 0);
  HWND box = E2eExpectHungHostWarning(s.sorvel.pid, kWarnNotEditing);
  if (!box) return;
  E2eDismissMessageBox(box);
  ExpectNoDrop();
}

// A failed OK and a second OK: every step runs again from the first look-up.
// param 0: the path is fixed in between; 1: the host is started in between.
void RetryAfterFailure(int param) {
  Session s;
  E2eProc host;
  if (!MakeSource(&g_src, g_workDir, L"retry.mp3", 2000, 6)) return;
  if (param == 0 && !E2eStartHost(L"", &host)) return;
  if (!OpenDialog(&s, nullptr)) return;
  wchar_t missing[MAX_PATH];
  FillAndOk(s.dlg, param == 0 ? E2ePath(missing, MAX_PATH, g_workDir, L"missing.mp3") : g_src.path, 1, 1);
  if (!E2eExpectWarning(s.sorvel.pid, param == 0 ? kWarnCannotCreate : kWarnNotRunning, s.dlg, kWarningWaitMs))
    return;
  if (param == 1 && !E2eStartHost(L"", &host)) return;
  FillAndOk(s.dlg, g_src.path, 1, 1);
  if (!ExpectExitZero(&s)) return;
  ExpectDrop(g_src.bytes, g_src.len);
  E2eHostLog log;
  E2eReadHostLog(&log);
  if (param == 0) {
    const unsigned long long w[] = {1, 1, 6};
    const long long l[] = {0, 0, 5};
    E2eExpectHostMessages(&log, w, l, 3);
  } else {
    const unsigned long long w[] = {1, 6};
    const long long l[] = {0, 5};
    E2eExpectHostMessages(&log, w, l, 2);
  }
}

// Leaving without sending still saves the flags word.
// param: 0 Cancel button, 1 Escape key.
struct LeaveRow {
  const char *ini;
  int escape;
  const wchar_t *flagsAfter;
};
const LeaveRow kLeaveRows[] = {
    // ini                         escape  flags after
    {nullptr, 0, L"1"},
    {"[sorvel]\r\nflags=7\r\n", 0, L"7"},
    {nullptr, 1, L"1"},
    {"[sorvel]\r\nflags=abc\r\n", 0, L"1"},
    {"[sorvel]\r\nflags=1030\r\n", 0, L"1031"},
};

void Leave(int row) {
  const LeaveRow *r = &kLeaveRows[row];
  const E2eSeed seed = {r->ini, nullptr, nullptr, 0};
  Session s;
  if (!OpenDialog(&s, &seed)) return;
  if (r->escape) E2ePressEscape(s.dlg);
  else E2eClick(s.dlg, IDCANCEL);
  if (ExpectExitZero(&s)) ExpectFlags(r->flagsAfter);
}

// The dialog opens with the stored options ticked.
struct OpenRow {
  const char *ini;
  int autoplay, loop;
};
const OpenRow kOpenRows[] = {
    // ini                          autoplay loop
    {nullptr, 0, 0},
    {"[sorvel]\r\nflags=3\r\n", 1, 0},
    {"[sorvel]\r\nflags=5\r\n", 0, 1},
    {"[sorvel]\r\nflags=7\r\n", 1, 1},
    {"[sorvel]\r\nflags=abc\r\n", 0, 0},
    {"[sorvel]\r\nflags=1030\r\n", 1, 1},
};

void OpensWithSavedOptions(int row) {
  const OpenRow *r = &kOpenRows[row];
  const E2eSeed seed = {r->ini, nullptr, nullptr, 0};
  Session s;
  if (!OpenDialog(&s, &seed)) return;
  E2eExpectInt("autoplay box (1003)", r->autoplay, E2eGetCheck(s.dlg, kAutoplay));
  E2eExpectInt("loop box (1004)", r->loop, E2eGetCheck(s.dlg, kLoop));
  wchar_t text[300];
  E2eExpectText("path field", L"", E2eControlText(s.dlg, kPath, text, 300));
}

// A second copy is refused and leaves the first, its settings and files alone.
void SecondCopy(int) {
  static const char kIni[] = "[sorvel]\r\nflags=5\r\n";
  static const char kList[] = "12\tOther\tOther tool\t\"C:\\other.exe\"\r\n";
  static const unsigned char kDrop[] = {'I', 'D', '3', 0, 1, 2, 3};
  const E2eSeed seed = {kIni, kList, kDrop, sizeof kDrop};
  Session first;
  if (!OpenDialog(&first, &seed)) return;
  E2eProc second;
  if (!E2eStartSorvel(&second)) return;
  E2eExpectWarning(second.pid, kWarnAlreadyRunning, nullptr, kWarningWaitMs);
  DWORD code = 0;
  if (E2eExpectTrue("second copy ended", E2eWaitExit(&second, kExitWaitMs, &code), "still running"))
    E2eExpectInt("second copy exit code", 0, code);
  ExpectDialogStays(&first);
  E2eExpectInt("first dialog autoplay box", 0, E2eGetCheck(first.dlg, kAutoplay));
  E2eExpectInt("first dialog loop box", 1, E2eGetCheck(first.dlg, kLoop));
  wchar_t path[MAX_PATH];
  size_t len = 0;
  E2eReadFile(E2eDataFile(path, MAX_PATH, L"kx.ini"), g_read, sizeof g_read, &len);
  E2eExpectBytes("kx.ini", kIni, strlen(kIni), g_read, len);
  E2eReadFile(E2eDataFile(path, MAX_PATH, L"$exec-list.txt"), g_read, sizeof g_read, &len);
  E2eExpectBytes("$exec-list.txt", kList, strlen(kList), g_read, len);
  ExpectDrop(kDrop, sizeof kDrop);
}

// ---- the file chooser ------------------------------------------------------

BOOL CALLBACK FindEdit(HWND hwnd, LPARAM lParam) {
  wchar_t cls[16];
  if (!GetClassNameW(hwnd, cls, 16) || _wcsicmp(cls, L"Edit")) return TRUE;
  *reinterpret_cast<HWND *>(lParam) = hwnd;
  return FALSE;
}

// The chooser's file-name edit: edt1, or the edit somewhere inside the cmb13
// combo box (Wine nests it in a ComboBoxEx32).
HWND ChooserNameEdit(HWND chooser) {
  HWND edit = GetDlgItem(chooser, 0x480);
  if (edit) return edit;
  HWND combo = GetDlgItem(chooser, 0x47c);
  if (combo) EnumChildWindows(combo, FindEdit, reinterpret_cast<LPARAM>(&edit));
  return edit;
}

HWND OpenChooser(Session *s, const wchar_t *fieldText) {
  E2eSetControlText(s->dlg, kPath, fieldText);
  E2eClick(s->dlg, kBrowse);
  HWND chooser = E2eFindWindow(s->sorvel.pid, L"#32770", kChooserTitle, 15000);
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
  SendMessageTimeoutW(edit, WM_GETTEXT, 300, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, nullptr);
  text[299] = 0;
  return E2eExpectText("proposed file name", name, text);
}

// Types a name into the chooser and presses its OK; waits for the field.
int ChooseName(Session *s, HWND chooser, const wchar_t *name, const wchar_t *expectedField) {
  HWND edit = ChooserNameEdit(chooser);
  if (!edit) return 0;
  SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name), SMTO_NORMAL, 5000, nullptr);
  PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
  if (!E2eExpectTrue("chooser closed", E2eWaitGone(chooser, 10000), "still open")) return 0;
  wchar_t text[300];
  return E2eExpectText("path field after choosing", expectedField, E2eControlText(s->dlg, kPath, text, 300));
}

// param 0: an empty field opens in the music folder; 1: a folder path ending
// in a backslash opens in that folder. Both propose "無題"; a typed name is
// taken from that folder.
void BrowseChooses(int param) {
  Session s;
  const wchar_t *folder = param == 0 ? g_musicDir : g_workDir;
  if (!MakeSource(&g_src, folder, L"pick-e2e.mp3", 300, 8) || !OpenDialog(&s, nullptr)) return;
  wchar_t field[MAX_PATH] = L"";
  if (param == 1) E2ePath(field, MAX_PATH, g_workDir, L"");
  HWND chooser = OpenChooser(&s, field);
  if (!chooser) return;
  ExpectProposedName(chooser, L"無題");
  ChooseName(&s, chooser, L"pick-e2e.mp3", g_src.path);
  DeleteFileW(g_src.path);
}

void BrowseCancelled(int) {
  Session s;
  if (!OpenDialog(&s, nullptr)) return;
  HWND chooser = OpenChooser(&s, L"");
  if (!chooser) return;
  PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDCANCEL)));
  if (!E2eExpectTrue("chooser closed", E2eWaitGone(chooser, 10000), "still open")) return;
  wchar_t text[300];
  E2eExpectText("path field", L"", E2eControlText(s.dlg, kPath, text, 300));
  ExpectDialogStays(&s);
}

// A bare name has no folder to open: nothing is shown, the field is kept.
void BrowseBareName(int) {
  Session s;
  if (!OpenDialog(&s, nullptr)) return;
  E2eSetControlText(s.dlg, kPath, L"song.mp3");
  E2eClick(s.dlg, kBrowse);
  HWND chooser = E2eFindWindow(s.sorvel.pid, L"#32770", kChooserTitle, 3000);
  E2eExpectTrue("no chooser", chooser == nullptr, "a chooser opened");
  wchar_t text[300];
  E2eExpectText("path field", L"song.mp3", E2eControlText(s.dlg, kPath, text, 300));
}

const E2eCase kSpineCases[] = {
    // name                       procedure               param
    {"road", Road, 0},
    {"options_none", Options, 0},
    {"options_autoplay", Options, 1},
    {"options_loop", Options, 2},
    {"options_both", Options, 3},
    {"high_bits_not_sent", HighBitsNotSent, 0},
    {"drop_replaced", DropReplaced, 0},
    {"read_only_source", ReadOnlySource, 0},
    {"read_only_drop_before", ReadOnlyDropBefore, 0},
    {"wide_file_name", WideName, 0},
    {"host_gone_before_notice", HostGoneBeforeNotice, 0},
    {"notice_replies_zero", NoticeRepliesZero, 0},
    {"host_absent", HostAbsent, 0},
    {"probe_zero", ProbeZero, 0},
    {"missing_file", CannotCreate, 0},
    {"folder_path", CannotCreate, 1},
    {"empty_path", CannotCreate, 2},
    {"hung_host", HungHost, 0},
    {"retry_fixed_path", RetryAfterFailure, 0},
    {"retry_host_started", RetryAfterFailure, 1},
    {"cancel_first_run", Leave, 0},
    {"cancel_keeps_7", Leave, 1},
    {"escape_first_run", Leave, 2},
    {"cancel_flags_abc", Leave, 3},
    {"cancel_other_bits", Leave, 4},
    {"open_flags_none", OpensWithSavedOptions, 0},
    {"open_flags_3", OpensWithSavedOptions, 1},
    {"open_flags_5", OpensWithSavedOptions, 2},
    {"open_flags_7", OpensWithSavedOptions, 3},
    {"open_flags_abc", OpensWithSavedOptions, 4},
    {"open_flags_1030", OpensWithSavedOptions, 5},
    {"second_copy", SecondCopy, 0},
    {"browse_music_folder", BrowseChooses, 0},
    {"browse_folder_path", BrowseChooses, 1},
    {"browse_cancelled", BrowseCancelled, 0},
    {"browse_bare_name", BrowseBareName, 0},
};

}  // namespace

const E2eGroup g_spineGroup = {"spine", kSpineCases, E2E_COUNT(kSpineCases)};
