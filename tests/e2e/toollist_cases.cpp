// The host's tool list as the host finds it after sorvel has started: its own
// line put in place, other tools' lines kept byte for byte, and the list left
// alone when it is not sorvel's to change.
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "e2e_groups.h"
#include "e2e_session.h"

namespace {

enum { kListCap = 4096 };

// Stands for sorvel's own line in the expected lists below.
#define OWN "\x01"

unsigned char g_expected[kListCap];

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
int StartAndCancel_(E2E_LOC, const wchar_t *exe, const E2eSeed *seed, DWORD listAttributes) {
  if (!E2eResetDataFolder_(E2E_THERE, seed)) return 0;
  wchar_t list[MAX_PATH];
  E2eDataFile(list, MAX_PATH, kListName);
  if (listAttributes &&
      !E2eExpectTrue_(E2E_THERE, "list attributes set", SetFileAttributesW(list, listAttributes), "failed"))
    return 0;
  E2eSession s;
  return E2eStartSorvel_(E2E_THERE, &s, exe) && E2eCancelAndExit_(E2E_THERE, &s);
}
#define StartAndCancel(exe, seed, listAttributes) StartAndCancel_(E2E_HERE, exe, seed, listAttributes)

// The list's bytes against a template (null template: no list at all).
int ExpectList_(E2E_LOC, const char *tmpl, const wchar_t *exe) {
  if (!tmpl) return E2eExpectDataFile_(E2E_THERE, kListName, nullptr, 0);
  size_t want = Expand(tmpl, exe, g_expected, sizeof g_expected);
  return E2eExpectDataFile_(E2E_THERE, kListName, g_expected, want);
}
#define ExpectList(tmpl, exe) ExpectList_(E2E_HERE, tmpl, exe)

int ExpectListAttribute_(E2E_LOC, const char *what, DWORD attribute) {
  wchar_t list[MAX_PATH];
  DWORD attr = GetFileAttributesW(E2eDataFile(list, MAX_PATH, kListName));
  return E2eExpectTrue_(E2E_THERE, what, attr != INVALID_FILE_ATTRIBUTES && (attr & attribute), "attribute lost");
}
#define ExpectListAttribute(what, attribute) ExpectListAttribute_(E2E_HERE, what, attribute)

// ---- first start with a list -------------------------------------------------

struct ListRow {
  const char *name;
  const char *seed;      // list before, or null for none
  const char *expected;  // list after (OWN: sorvel's line), or null for none
};
const ListRow kListRows[] = {
    // name                     seed                                                   expected
    {"no_list", nullptr, OWN},
    {"empty_list", "", OWN},
    {"middle_36", "1\tA\tA\t\"a\"\r\n36\tOld\tOld\t\"C:\\old.exe\"\r\n2\tB\tB\t\"b\"", "1\tA\tA\t\"a\"\r\n" OWN "2\tB\tB\t\"b\""},
    {"first_36", "36\tOld\tOld\t\"C:\\old.exe\"\r\n5\tE\tE\t\"e\"\r\n", OWN "5\tE\tE\t\"e\"\r\n"},
    {"last_36_no_crlf", "7\tG\tG\t\"g\"\r\n36\tOld\tOld\t\"C:\\old.exe\"", "7\tG\tG\t\"g\"\r\n" OWN},
    {"blank_zero_036", "1\tA\tA\t\"a\"\r\n 036\tOld\tOld\t\"o\"\r\n9\tI\tI\t\"i\"\r\n", "1\tA\tA\t\"a\"\r\n" OWN "9\tI\tI\t\"i\"\r\n"},
    {"two_36_first_only", "36\tX\tX\t\"x\"\r\n36\tY\tY\t\"y\"\r\n", OWN "36\tY\tY\t\"y\"\r\n"},
    {"id_360_not_own", "1\tA\tA\t\"a\"\r\n360\tN\tN\t\"n\"\r\n", "1\tA\tA\t\"a\"\r\n360\tN\tN\t\"n\"\r\n" OWN},
    {"append_adds_crlf", "1\tA\tA\t\"a\"\r\n2\tB\tB\t\"b\"", "1\tA\tA\t\"a\"\r\n2\tB\tB\t\"b\"\r\n" OWN},
    {"append_after_crlf", "1\tA\tA\t\"a\"\r\n", "1\tA\tA\t\"a\"\r\n" OWN},
    // Another tool's Japanese names and path, trail bytes 0x5C included.
    {"other_lines_cp932", "9\t\x83\x5c\x83\x74\x83\x67\t\x95\x5c\x8e\xa6\t\"C:\\\x95\x5c\\t.exe\"\r\n",
     "9\t\x83\x5c\x83\x74\x83\x67\t\x95\x5c\x8e\xa6\t\"C:\\\x95\x5c\\t.exe\"\r\n" OWN},
    // An empty line between lines with TABs: not a list sorvel can read.
    {"gap_untouched", "1\tA\tA\t\"a\"\r\n\r\n2\tB\tB\t\"b\"\r\n", "1\tA\tA\t\"a\"\r\n\r\n2\tB\tB\t\"b\"\r\n"},
    // Lines ended by LF alone read as one line: its other tools must survive.
    {"lf_lines_36_first_kept", "36\tOld\tOld\t\"o\"\n1\tA\tA\t\"a\"\n", "36\tOld\tOld\t\"o\"\n1\tA\tA\t\"a\"\n"},
    {"lf_lines_appended", "1\tA\tA\t\"a\"\n36\tOld\tOld\t\"o\"\n", "1\tA\tA\t\"a\"\n36\tOld\tOld\t\"o\"\n\r\n" OWN},
};

// No kx.ini: the first start puts the own line in the list and notes it.
void FirstStart(const void *row) {
  const ListRow *r = static_cast<const ListRow *>(row);
  const E2eSeed seed = {nullptr, r->seed, nullptr, 0};
  if (!StartAndCancel(g_sorvelExe, &seed, 0)) return;
  ExpectList(r->expected, g_sorvelExe);
  E2eExpectFlags(L"1");
  E2eExpectNoStrayFiles();
}

// The entry was made before (bit 0 stored): the list is not looked at.
struct DoneRow {
  const char *name;
  const char *ini;
  const char *list;  // kept as it is, or still absent
};
const DoneRow kDoneRows[] = {
    // name                      ini                            list
    {"flags_1_untouched", "[sorvel]\r\nflags=1\r\n", "1\tA\tA\t\"a\"\r\n36\tOld\tOld\t\"C:\\old.exe\"\r\n"},
    {"flags_5_no_list_made", "[sorvel]\r\nflags=5\r\n", nullptr},
    {"flags_minus_1_untouched", "[sorvel]\r\nflags=-1\r\n", "1\tA\tA\t\"a\"\r\n"},
};

void EntryMadeBefore(const void *row) {
  const DoneRow *r = static_cast<const DoneRow *>(row);
  const E2eSeed seed = {r->ini, r->list, nullptr, 0};
  if (!StartAndCancel(g_sorvelExe, &seed, 0)) return;
  ExpectList(r->list, g_sorvelExe);
  E2eExpectNoStrayFiles();
}

// A read-only list is the user's or the host's decision: it stays as it is,
// and the attempt still counts as made.
void ReadOnlyList(int) {
  static const char kList[] = "1\tA\tA\t\"a\"\r\n36\tOld\tOld\t\"C:\\old.exe\"\r\n";
  const E2eSeed seed = {nullptr, kList, nullptr, 0};
  if (!StartAndCancel(g_sorvelExe, &seed, FILE_ATTRIBUTE_READONLY)) return;
  ExpectList(kList, g_sorvelExe);
  E2eExpectFlags(L"1");
  E2eExpectNoStrayFiles();
  ExpectListAttribute("list still read-only", FILE_ATTRIBUTE_READONLY);
}

// A hidden list is rewritten and stays hidden, as an in-place rewrite would
// have left it.
void HiddenList(int) {
  static const char kList[] = "1\tA\tA\t\"a\"\r\n";
  const E2eSeed seed = {nullptr, kList, nullptr, 0};
  if (!StartAndCancel(g_sorvelExe, &seed, FILE_ATTRIBUTE_HIDDEN)) return;
  ExpectList("1\tA\tA\t\"a\"\r\n" OWN, g_sorvelExe);
  E2eExpectNoStrayFiles();
  ExpectListAttribute("list still hidden", FILE_ATTRIBUTE_HIDDEN);
}

// The program started from another folder: the line carries that path.
struct PathRow {
  const char *name;
  const wchar_t *parent;  // made first, or null
  const wchar_t *folder;
};
const PathRow kPathRows[] = {
    // name                 parent         folder
    // Japanese folder names; 表 ends in byte 0x5C in code page 932.
    {"path_japanese", L"ソフト表", L"ソフト表\\表示"},
    // Characters code page 932 lacks: the short form is entered instead.
    {"path_outside_cp932", nullptr, L"été-Ωmega"},
};

void ProgramPath(const void *row) {
  const PathRow *r = static_cast<const PathRow *>(row);
  wchar_t dir[MAX_PATH], exe[MAX_PATH];
  E2ePath(dir, MAX_PATH, g_workDir, r->folder);
  if (r->parent) {
    wchar_t parent[MAX_PATH];
    CreateDirectoryW(E2ePath(parent, MAX_PATH, g_workDir, r->parent), nullptr);
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
  E2eExpectNoStrayFiles();
}

const E2eCase kAttributeCases[] = {
    // name             procedure      param
    {"read_only_list", ReadOnlyList, 0},
    {"hidden_list", HiddenList, 0},
};

const E2eTable kToolListTables[] = {
    E2E_ROWS(FirstStart, kListRows),
    E2E_ROWS(EntryMadeBefore, kDoneRows),
    E2E_CASES(kAttributeCases),
    E2E_ROWS(ProgramPath, kPathRows),
};

}  // namespace

const E2eGroup g_toolListGroup = {"toollist", kToolListTables, E2E_COUNT(kToolListTables)};
