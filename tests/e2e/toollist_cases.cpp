// The host's tool list as the host finds it after sorvel has started: its own
// line put in place, other tools' lines kept byte for byte, and the list left
// alone when it is not sorvel's to change.
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include <shlobj.h>

#include "e2e_groups.h"
#include "e2e_session.h"

namespace {

enum { kListCap = 4096 };

// Stand for sorvel's own line in the expected lists below: OWN for the
// program that ran last, EARLIER for the one that ran before it.
#define OWN "\x01"
#define EARLIER "\x02"

unsigned char g_expected[kListCap];

// Expands a template in which OWN stands for the own line of exe, EARLIER for
// that of earlier.
size_t Expand(const char *tmpl, const wchar_t *exe, const wchar_t *earlier, unsigned char *out, size_t cap) {
  unsigned char own[2][MAX_PATH * 2 + 64];
  size_t ownLen[2] = {E2eOwnListLine(exe, own[0], sizeof own[0]),
                      earlier ? E2eOwnListLine(earlier, own[1], sizeof own[1]) : 0};
  size_t o = 0;
  for (const char *p = tmpl; *p; ++p) {
    int which = *p == OWN[0] ? 0 : *p == EARLIER[0] ? 1 : -1;
    if (which >= 0) {
      if (o + ownLen[which] > cap) return 0;
      memcpy(out + o, own[which], ownLen[which]);
      o += ownLen[which];
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
int ExpectList_(E2E_LOC, const char *tmpl, const wchar_t *exe, const wchar_t *earlier = nullptr) {
  if (!tmpl) return E2eExpectDataFile_(E2E_THERE, kListName, nullptr, 0);
  size_t want = Expand(tmpl, exe, earlier, g_expected, sizeof g_expected);
  return E2eExpectDataFile_(E2E_THERE, kListName, g_expected, want);
}
#define ExpectList(...) ExpectList_(E2E_HERE, __VA_ARGS__)

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
  const wchar_t *flags;  // flags after: bit 0 only when the list holds the own line
};
const ListRow kListRows[] = {
    // name                     seed                                                   expected  flags
    {"no_list", nullptr, OWN, L"1"},
    {"empty_list", "", OWN, L"1"},
    {"middle_36", "1\tA\tA\t\"a\"\r\n36\tOld\tOld\t\"C:\\old.exe\"\r\n2\tB\tB\t\"b\"", "1\tA\tA\t\"a\"\r\n" OWN "2\tB\tB\t\"b\"", L"1"},
    {"first_36", "36\tOld\tOld\t\"C:\\old.exe\"\r\n5\tE\tE\t\"e\"\r\n", OWN "5\tE\tE\t\"e\"\r\n", L"1"},
    {"last_36_no_crlf", "7\tG\tG\t\"g\"\r\n36\tOld\tOld\t\"C:\\old.exe\"", "7\tG\tG\t\"g\"\r\n" OWN, L"1"},
    {"blank_zero_036", "1\tA\tA\t\"a\"\r\n 036\tOld\tOld\t\"o\"\r\n9\tI\tI\t\"i\"\r\n", "1\tA\tA\t\"a\"\r\n" OWN "9\tI\tI\t\"i\"\r\n", L"1"},
    {"two_36_first_only", "36\tX\tX\t\"x\"\r\n36\tY\tY\t\"y\"\r\n", OWN "36\tY\tY\t\"y\"\r\n", L"1"},
    {"id_360_not_own", "1\tA\tA\t\"a\"\r\n360\tN\tN\t\"n\"\r\n", "1\tA\tA\t\"a\"\r\n360\tN\tN\t\"n\"\r\n" OWN, L"1"},
    {"append_adds_crlf", "1\tA\tA\t\"a\"\r\n2\tB\tB\t\"b\"", "1\tA\tA\t\"a\"\r\n2\tB\tB\t\"b\"\r\n" OWN, L"1"},
    {"append_after_crlf", "1\tA\tA\t\"a\"\r\n", "1\tA\tA\t\"a\"\r\n" OWN, L"1"},
    // Another tool's Japanese names and path, trail bytes 0x5C included.
    {"other_lines_cp932", "9\t\x83\x5c\x83\x74\x83\x67\t\x95\x5c\x8e\xa6\t\"C:\\\x95\x5c\\t.exe\"\r\n",
     "9\t\x83\x5c\x83\x74\x83\x67\t\x95\x5c\x8e\xa6\t\"C:\\\x95\x5c\\t.exe\"\r\n" OWN, L"1"},
    // An empty line between lines with TABs: not a list sorvel can read.
    {"gap_untouched", "1\tA\tA\t\"a\"\r\n\r\n2\tB\tB\t\"b\"\r\n", "1\tA\tA\t\"a\"\r\n\r\n2\tB\tB\t\"b\"\r\n", L"0"},
    // Lines ended by LF alone read as one line: its other tools must survive.
    {"lf_lines_36_first_kept", "36\tOld\tOld\t\"o\"\n1\tA\tA\t\"a\"\n", "36\tOld\tOld\t\"o\"\n1\tA\tA\t\"a\"\n", L"0"},
    {"lf_lines_appended", "1\tA\tA\t\"a\"\n36\tOld\tOld\t\"o\"\n", "1\tA\tA\t\"a\"\n36\tOld\tOld\t\"o\"\n\r\n" OWN, L"1"},
};

// No kx.ini: the first start puts the own line in the list, and notes it
// when it is there.
void FirstStart(const void *row) {
  const ListRow *r = static_cast<const ListRow *>(row);
  const E2eSeed seed = {nullptr, r->seed, nullptr, 0};
  if (!StartAndCancel(g_sorvelExe, &seed, 0)) return;
  ExpectList(r->expected, g_sorvelExe);
  E2eExpectFlags(r->flags);
  E2eExpectNoStrayFiles();
}

// The entry was made before (bit 0 stored): the line it would replace is
// mended only when it names a program that is gone; bit 0 stays.
struct DoneRow {
  const char *name;
  const char *ini;
  const char *list;      // before, or null for none
  const char *expected;  // after (OWN: sorvel's line), or null for none
  const wchar_t *flags;  // after
};
const DoneRow kDoneRows[] = {
    // name                          ini                         list                                                      expected                          flags
    {"flags_1_dangling_mended", "[sorvel]\r\nflags=1\r\n", "1\tA\tA\t\"a\"\r\n36\tOld\tOld\t\"C:\\old.exe\"\r\n", "1\tA\tA\t\"a\"\r\n" OWN, L"1"},
    {"flags_1_folder_mended", "[sorvel]\r\nflags=1\r\n", "36\tOld\tOld\t\"C:\\windows\"\r\n", OWN, L"1"},
    {"flags_1_missing_drive_mended", "[sorvel]\r\nflags=1\r\n", "36\tOld\tOld\t\"Q:\\t\\sorvel.exe\"", OWN, L"1"},
    {"flags_1_unc_kept", "[sorvel]\r\nflags=1\r\n", "36\tOld\tOld\t\"\\\\nowhere\\share\\sorvel.exe\"\r\n", "36\tOld\tOld\t\"\\\\nowhere\\share\\sorvel.exe\"\r\n", L"1"},
    {"flags_1_long_unc_kept", "[sorvel]\r\nflags=1\r\n", "36\tOld\tOld\t\"\\\\?\\UNC\\nowhere\\share\\s.exe\"\r\n", "36\tOld\tOld\t\"\\\\?\\UNC\\nowhere\\share\\s.exe\"\r\n", L"1"},
    {"flags_1_program_there_kept", "[sorvel]\r\nflags=1\r\n", "36\tOld\tOld\t\"C:\\windows\\notepad.exe\"\r\n", "36\tOld\tOld\t\"C:\\windows\\notepad.exe\"\r\n", L"1"},
    {"flags_1_unquoted_kept", "[sorvel]\r\nflags=1\r\n", "36\tOld\tOld\tC:\\old.exe\r\n", "36\tOld\tOld\tC:\\old.exe\r\n", L"1"},
    {"flags_1_own_line_removed", "[sorvel]\r\nflags=1\r\n", "1\tA\tA\t\"a\"\r\n2\tB\tB\t\"b\"\r\n", "1\tA\tA\t\"a\"\r\n2\tB\tB\t\"b\"\r\n", L"1"},
    {"flags_5_no_list_made", "[sorvel]\r\nflags=5\r\n", nullptr, nullptr, L"5"},
    {"flags_minus_1_untouched", "[sorvel]\r\nflags=-1\r\n", "1\tA\tA\t\"a\"\r\n", "1\tA\tA\t\"a\"\r\n", L"-1"},
};

void EntryMadeBefore(const void *row) {
  const DoneRow *r = static_cast<const DoneRow *>(row);
  const E2eSeed seed = {r->ini, r->list, nullptr, 0};
  if (!StartAndCancel(g_sorvelExe, &seed, 0)) return;
  ExpectList(r->expected, g_sorvelExe);
  E2eExpectFlags(r->flags);
  E2eExpectNoStrayFiles();
}

// A read-only list is the user's or the host's decision: it stays as it is,
// and the entry is not noted as made.
void ReadOnlyList(int) {
  static const char kList[] = "1\tA\tA\t\"a\"\r\n36\tOld\tOld\t\"C:\\old.exe\"\r\n";
  const E2eSeed seed = {nullptr, kList, nullptr, 0};
  if (!StartAndCancel(g_sorvelExe, &seed, FILE_ATTRIBUTE_READONLY)) return;
  ExpectList(kList, g_sorvelExe);
  E2eExpectFlags(L"0");
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

// The program started from another folder: the line carries that path. A
// lasting folder lies in the user's profile; the temp folder is where
// Explorer unpacks a program started from inside a zip. A second run follows
// when the program was moved (or copied) to another lasting folder.
#define AROUND(line) "1\tA\tA\t\"a\"\r\n" line "2\tB\tB\t\"b\"\r\n"
#define OLD_36 "36\tOld\tOld\t\"C:\\old.exe\"\r\n"
struct PathRow {
  const char *name;
  int inTemp;                // the first folder lies under the temp folder
  const wchar_t *folder;
  const char *ini;           // kx.ini before, or null for none
  const char *seed;          // list before, or null for none
  const char *expected;      // list after the first run (OWN), or null for none
  const wchar_t *flags;      // flags after it
  const wchar_t *next;       // the lasting folder of a second run, or null
  int copied;                // the program copied there, not moved
  const char *expectedNext;  // list after the second run (OWN, EARLIER: the first run's); flags then 1
};
const PathRow kPathRows[] = {
    // name                 temp folder                       ini                        seed             expected         flags   next           copied expected next
    // Japanese folder names; 表 ends in byte 0x5C in code page 932.
    {"path_japanese", 0, L"ソフト表\\表示", nullptr, AROUND(OLD_36), AROUND(OWN), L"1", nullptr, 0, nullptr},
    // Characters code page 932 lacks: the short form is entered instead.
    {"path_outside_cp932", 0, L"été-Ωmega", nullptr, AROUND(OLD_36), AROUND(OWN), L"1", nullptr, 0, nullptr},
    {"moved_line_mended", 0, L"moved-from", nullptr, AROUND(OLD_36), AROUND(OWN), L"1", L"moved-to", 0, AROUND(OWN)},
    {"copied_line_kept", 0, L"copied-from", nullptr, AROUND(OLD_36), AROUND(OWN), L"1", L"copied-to", 1, AROUND(EARLIER)},
    {"temp_no_entry", 1, L"Temp1_sorvel.zip", nullptr, nullptr, nullptr, L"0", L"from-temp", 0, OWN},
    {"temp_no_mend", 1, L"Temp1_sorvel.zip", "[sorvel]\r\nflags=1\r\n", AROUND(OLD_36), AROUND(OLD_36), L"1", nullptr, 0, nullptr},
};

// Moves (or copies) the program at from to base\folder\sorvel.exe (exe), in
// a folder of its own; 1 done. base: the temp folder, or a lasting folder.
int PlaceProgram_(E2E_LOC, int inTemp, const wchar_t *folder, const wchar_t *from, int move, wchar_t *exe) {
  wchar_t base[MAX_PATH], profile[MAX_PATH], dir[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, base);
  int ok = inTemp ? n != 0 && n < MAX_PATH : SHGetSpecialFolderPathW(nullptr, profile, CSIDL_PROFILE, FALSE) != 0;
  if (!inTemp) E2ePath(base, MAX_PATH, profile, L"sorvel-e2e-programs");
  E2ePath(exe, MAX_PATH, E2ePath(dir, MAX_PATH, base, folder), L"sorvel.exe");
  ok = ok && E2eMakeFolders(dir) && E2eEmptyFolder(dir) && (move ? MoveFileW(from, exe) : CopyFileW(from, exe, TRUE));
  return E2eExpectTrue_(E2E_THERE, move ? "program moved" : "program copied", ok, "failed");
}
#define PlaceProgram(inTemp, folder, from, move, exe) PlaceProgram_(E2E_HERE, inTemp, folder, from, move, exe)

void ProgramPath(const void *row) {
  const PathRow *r = static_cast<const PathRow *>(row);
  wchar_t exe[MAX_PATH], next[MAX_PATH];
  if (!PlaceProgram(r->inTemp, r->folder, g_sorvelExe, 0, exe)) return;
  unsigned char own[MAX_PATH * 2 + 64];
  if (!E2eExpectTrue("own line computable", E2eOwnListLine(exe, own, sizeof own) != 0, "no code page 932 form")) return;
  const E2eSeed seed = {r->ini, r->seed, nullptr, 0};
  if (!StartAndCancel(exe, &seed, 0)) return;
  ExpectList(r->expected, exe);
  E2eExpectFlags(r->flags);
  E2eExpectNoStrayFiles();
  if (!r->next || !PlaceProgram(0, r->next, exe, !r->copied, next)) return;
  E2eSession s;
  if (!E2eStartSorvel(&s, next) || !E2eCancelAndExit(&s)) return;
  ExpectList(r->expectedNext, next, exe);
  E2eExpectFlags(L"1");
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
