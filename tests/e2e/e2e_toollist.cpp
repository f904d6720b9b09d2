// The host's tool list as the host finds it after sorvel has started: its own
// line put in place, other tools' lines kept byte for byte, and the list left
// alone when it is not sorvel's to change.
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "e2e_harness.h"
#include "e2e_toollist.h"

namespace {

const DWORD kDialogWaitMs = 10000;
const DWORD kExitWaitMs = 10000;
enum { kListCap = 4096 };

// Stands for sorvel's own line in the expected lists below.
#define OWN "\x01"

// "36" TAB "Sorvel" TAB "Sorvel(MP3挿入)" TAB and the opening quote, the two
// Japanese characters in code page 932.
const unsigned char kOwnHead[] = {0x33, 0x36, 0x09, 0x53, 0x6f, 0x72, 0x76, 0x65, 0x6c, 0x09, 0x53, 0x6f, 0x72, 0x76,
                                  0x65, 0x6c, 0x28, 0x4d, 0x50, 0x33, 0x91, 0x7d, 0x93, 0xfc, 0x29, 0x09, 0x22};

unsigned char g_expected[kListCap];
unsigned char g_actual[kListCap];

// Code page 932 form of text when every character has an exact one; 0 when not.
int ExactCp932(const wchar_t *text, char *out, int cap) {
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text, -1, out, cap, nullptr, &usedDefault);
  return n > 0 && !usedDefault ? n - 1 : 0;
}

// Expands a template in which OWN stands for the own line of exe.
size_t Expand(const char *tmpl, const wchar_t *exe, unsigned char *out, size_t cap) {
  unsigned char own[MAX_PATH * 2 + 64];
  size_t ownLen = E2eOwnListLine(exe, own, sizeof own);
  size_t o = 0;
  for (const char *p = tmpl; *p; ++p) {
    if (*p == OWN[0]) {
      if (o + ownLen > cap) return 0;
      memcpy(out + o, own, ownLen);
      o += ownLen;
    } else if (o < cap) {
      out[o++] = (unsigned char)*p;
    }
  }
  return o;
}

// Starts the program at exe on the seeded data folder, waits for its dialog,
// presses Cancel and waits for exit code 0. listAttributes, when not 0, are
// put on the seeded list first. 1 when all that happened.
int StartAndCancel(const wchar_t *exe, const E2eSeed *seed, DWORD listAttributes) {
  if (!E2eResetDataFolder(seed)) return 0;
  wchar_t list[MAX_PATH];
  E2eDataFile(list, MAX_PATH, L"$exec-list.txt");
  if (listAttributes && !E2eExpectTrue("list attributes set", SetFileAttributesW(list, listAttributes), "failed"))
    return 0;
  E2eProc sorvel;
  if (!E2eStart(exe, nullptr, &sorvel)) return 0;
  HWND dlg = E2eFindInsertDialog(sorvel.pid, kDialogWaitMs);
  if (!E2eExpectTrue("insert dialog shown", dlg != nullptr, "no dialog within 10 s")) return 0;
  E2eClick(dlg, IDCANCEL);
  DWORD code = 0;
  if (!E2eExpectTrue("sorvel ended after Cancel", E2eWaitExit(&sorvel, kExitWaitMs, &code), "still running"))
    return 0;
  return E2eExpectInt("exit code", 0, code);
}

// The list's bytes against a template (null template: no list at all).
int ExpectList(const char *tmpl, const wchar_t *exe) {
  wchar_t list[MAX_PATH];
  size_t len = 0;
  int exists = E2eReadFile(E2eDataFile(list, MAX_PATH, L"$exec-list.txt"), g_actual, sizeof g_actual, &len);
  if (!tmpl) return E2eExpectTrue("no $exec-list.txt", !exists, "one exists");
  if (!E2eExpectTrue("$exec-list.txt exists", exists, "missing")) return 0;
  size_t want = Expand(tmpl, exe, g_expected, sizeof g_expected);
  return E2eExpectBytes("$exec-list.txt bytes", g_expected, want, g_actual, len < sizeof g_actual ? len : sizeof g_actual);
}

int ExpectFlags(const wchar_t *expected) {
  wchar_t flags[64];
  return E2eExpectText("kx.ini [sorvel] flags", expected, E2eReadFlagsText(flags, 64));
}

// Nothing but the three shared files in the data folder: a temporary copy of
// the list left behind would be named here.
int ExpectNoStrayFiles() {
  wchar_t pattern[MAX_PATH];
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(E2eDataFile(pattern, MAX_PATH, L"*"), &fd);
  if (h == INVALID_HANDLE_VALUE) return 1;
  int ok = 1;
  do {
    const wchar_t *n = fd.cFileName;
    if (!wcscmp(n, L".") || !wcscmp(n, L"..") || !_wcsicmp(n, L"kx.ini") || !_wcsicmp(n, L"$exec-list.txt") ||
        !_wcsicmp(n, L"$kobble.mp3"))
      continue;
    char name[MAX_PATH * 3];
    ok = E2eExpectTrue("only kx.ini, $exec-list.txt and $kobble.mp3 in Kx", 0, E2eUtf8(n, name, sizeof name));
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return ok;
}

// ---- first start with a list -------------------------------------------------

struct ListRow {
  const char *seed;      // list before, or null for none
  const char *expected;  // list after (OWN: sorvel's line), or null for none
};
const ListRow kListRows[] = {
    // seed                                                               expected
    {nullptr, OWN},
    {"", OWN},
    {"1\tA\tA\t\"a\"\r\n36\tOld\tOld\t\"C:\\old.exe\"\r\n2\tB\tB\t\"b\"", "1\tA\tA\t\"a\"\r\n" OWN "2\tB\tB\t\"b\""},
    {"36\tOld\tOld\t\"C:\\old.exe\"\r\n5\tE\tE\t\"e\"\r\n", OWN "5\tE\tE\t\"e\"\r\n"},
    {"7\tG\tG\t\"g\"\r\n36\tOld\tOld\t\"C:\\old.exe\"", "7\tG\tG\t\"g\"\r\n" OWN},
    {"1\tA\tA\t\"a\"\r\n 036\tOld\tOld\t\"o\"\r\n9\tI\tI\t\"i\"\r\n", "1\tA\tA\t\"a\"\r\n" OWN "9\tI\tI\t\"i\"\r\n"},
    {"36\tX\tX\t\"x\"\r\n36\tY\tY\t\"y\"\r\n", OWN "36\tY\tY\t\"y\"\r\n"},
    {"1\tA\tA\t\"a\"\r\n360\tN\tN\t\"n\"\r\n", "1\tA\tA\t\"a\"\r\n360\tN\tN\t\"n\"\r\n" OWN},
    {"1\tA\tA\t\"a\"\r\n2\tB\tB\t\"b\"", "1\tA\tA\t\"a\"\r\n2\tB\tB\t\"b\"\r\n" OWN},
    {"1\tA\tA\t\"a\"\r\n", "1\tA\tA\t\"a\"\r\n" OWN},
    // Another tool's Japanese names and path, trail bytes 0x5C included.
    {"9\t\x83\x5c\x83\x74\x83\x67\t\x95\x5c\x8e\xa6\t\"C:\\\x95\x5c\\t.exe\"\r\n",
     "9\t\x83\x5c\x83\x74\x83\x67\t\x95\x5c\x8e\xa6\t\"C:\\\x95\x5c\\t.exe\"\r\n" OWN},
    // An empty line between lines with TABs: not a list sorvel can read.
    {"1\tA\tA\t\"a\"\r\n\r\n2\tB\tB\t\"b\"\r\n", "1\tA\tA\t\"a\"\r\n\r\n2\tB\tB\t\"b\"\r\n"},
    // Lines ended by LF alone read as one line: its other tools must survive.
    {"36\tOld\tOld\t\"o\"\n1\tA\tA\t\"a\"\n", "36\tOld\tOld\t\"o\"\n1\tA\tA\t\"a\"\n"},
    {"1\tA\tA\t\"a\"\n36\tOld\tOld\t\"o\"\n", "1\tA\tA\t\"a\"\n36\tOld\tOld\t\"o\"\n\r\n" OWN},
};

// No kx.ini: the first start puts the own line in the list and notes it.
void FirstStart(int row) {
  const ListRow *r = &kListRows[row];
  const E2eSeed seed = {nullptr, r->seed, nullptr, 0};
  if (!StartAndCancel(g_sorvelExe, &seed, 0)) return;
  ExpectList(r->expected, g_sorvelExe);
  ExpectFlags(L"1");
  ExpectNoStrayFiles();
}

// The entry was made before (bit 0 stored): the list is not looked at.
struct DoneRow {
  const char *ini;
  const char *list;
};
const DoneRow kDoneRows[] = {
    // ini                          list (kept as it is, or still absent)
    {"[sorvel]\r\nflags=1\r\n", "1\tA\tA\t\"a\"\r\n36\tOld\tOld\t\"C:\\old.exe\"\r\n"},
    {"[sorvel]\r\nflags=5\r\n", nullptr},
    {"[sorvel]\r\nflags=-1\r\n", "1\tA\tA\t\"a\"\r\n"},
};

void EntryMadeBefore(int row) {
  const DoneRow *r = &kDoneRows[row];
  const E2eSeed seed = {r->ini, r->list, nullptr, 0};
  if (!StartAndCancel(g_sorvelExe, &seed, 0)) return;
  ExpectList(r->list, g_sorvelExe);
  ExpectNoStrayFiles();
}

// A read-only list is the user's or the host's decision: it stays as it is,
// and the attempt still counts as made.
void ReadOnlyList(int) {
  static const char kList[] = "1\tA\tA\t\"a\"\r\n36\tOld\tOld\t\"C:\\old.exe\"\r\n";
  const E2eSeed seed = {nullptr, kList, nullptr, 0};
  if (!StartAndCancel(g_sorvelExe, &seed, FILE_ATTRIBUTE_READONLY)) return;
  ExpectList(kList, g_sorvelExe);
  ExpectFlags(L"1");
  ExpectNoStrayFiles();
  wchar_t list[MAX_PATH];
  DWORD attr = GetFileAttributesW(E2eDataFile(list, MAX_PATH, L"$exec-list.txt"));
  E2eExpectTrue("list still read-only", attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_READONLY),
                "attribute lost");
}

// A hidden list is rewritten and stays hidden, as an in-place rewrite would
// have left it.
void HiddenList(int) {
  static const char kList[] = "1\tA\tA\t\"a\"\r\n";
  const E2eSeed seed = {nullptr, kList, nullptr, 0};
  if (!StartAndCancel(g_sorvelExe, &seed, FILE_ATTRIBUTE_HIDDEN)) return;
  ExpectList("1\tA\tA\t\"a\"\r\n" OWN, g_sorvelExe);
  ExpectNoStrayFiles();
  wchar_t list[MAX_PATH];
  DWORD attr = GetFileAttributesW(E2eDataFile(list, MAX_PATH, L"$exec-list.txt"));
  E2eExpectTrue("list still hidden", attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_HIDDEN),
                "attribute lost");
}

// The program started from another folder: the line carries that path.
// param 0: Japanese folder names (表 ends in byte 0x5C in code page 932);
// 1: a folder name with characters code page 932 lacks (the short form is
// entered instead).
void ProgramPath(int param) {
  static const wchar_t *const kFolders[] = {L"ソフト表\\表示", L"été-Ωmega"};
  wchar_t dir[MAX_PATH], exe[MAX_PATH];
  E2ePath(dir, MAX_PATH, g_workDir, kFolders[param]);
  if (param == 0) {
    wchar_t parent[MAX_PATH];
    CreateDirectoryW(E2ePath(parent, MAX_PATH, g_workDir, L"ソフト表"), nullptr);
  }
  CreateDirectoryW(dir, nullptr);
  E2ePath(exe, MAX_PATH, dir, L"sorvel.exe");
  if (!E2eExpectTrue("program copied", CopyFileW(g_sorvelExe, exe, FALSE), "copy failed")) return;
  unsigned char own[MAX_PATH * 2 + 64];
  if (!E2eExpectTrue("own line computable", E2eOwnListLine(exe, own, sizeof own) != 0, "no code page 932 form")) return;
  static const char kList[] = "36\tOld\tOld\t\"C:\\old.exe\"\r\n";
  const E2eSeed seed = {nullptr, kList, nullptr, 0};
  if (!StartAndCancel(exe, &seed, 0)) return;
  ExpectList(OWN, exe);
  ExpectNoStrayFiles();
}

const E2eCase kToolListCases[] = {
    // name                         procedure         param
    {"no_list", FirstStart, 0},
    {"empty_list", FirstStart, 1},
    {"middle_36", FirstStart, 2},
    {"first_36", FirstStart, 3},
    {"last_36_no_crlf", FirstStart, 4},
    {"blank_zero_036", FirstStart, 5},
    {"two_36_first_only", FirstStart, 6},
    {"id_360_not_own", FirstStart, 7},
    {"append_adds_crlf", FirstStart, 8},
    {"append_after_crlf", FirstStart, 9},
    {"other_lines_cp932", FirstStart, 10},
    {"gap_untouched", FirstStart, 11},
    {"lf_lines_36_first_kept", FirstStart, 12},
    {"lf_lines_appended", FirstStart, 13},
    {"flags_1_untouched", EntryMadeBefore, 0},
    {"flags_5_no_list_made", EntryMadeBefore, 1},
    {"flags_minus_1_untouched", EntryMadeBefore, 2},
    {"read_only_list", ReadOnlyList, 0},
    {"hidden_list", HiddenList, 0},
    {"path_japanese", ProgramPath, 0},
    {"path_outside_cp932", ProgramPath, 1},
};

}  // namespace

// The path in code page 932, or its short form when some character has none
// there, as the host must read it.
size_t E2eOwnListLine(const wchar_t *exe, unsigned char *out, size_t cap) {
  char path[MAX_PATH * 2];
  int n = ExactCp932(exe, path, sizeof path);
  if (n == 0) {
    wchar_t shortPath[MAX_PATH];
    DWORD got = GetShortPathNameW(exe, shortPath, MAX_PATH);
    if (got == 0 || got >= MAX_PATH) return 0;
    n = ExactCp932(shortPath, path, sizeof path);
    if (n == 0) return 0;
  }
  size_t len = sizeof kOwnHead + (size_t)n + 3;
  if (len > cap) return 0;
  memcpy(out, kOwnHead, sizeof kOwnHead);
  memcpy(out + sizeof kOwnHead, path, (size_t)n);
  memcpy(out + sizeof kOwnHead + n, "\"\r\n", 3);
  return len;
}

const E2eGroup g_toolListGroup = {"toollist", kToolListCases, E2E_COUNT(kToolListCases)};
