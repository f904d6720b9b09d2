// Faults around sorvel: a data folder that cannot be had or written, a tool
// list another program holds, a host that hangs, a crowd of second copies.
// Each case states what must survive; none may leave a shared file cut short
// or drop another tool's line, and none may put files anywhere else.
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include <shlobj.h>

#include "e2e_groups.h"
#include "e2e_session.h"
#include "e2e_unix.h"

namespace {

// Another tool's line and an older line of sorvel's own.
#define OTHER_TOOL "12\tOther\tOther tool\t\"C:\\other.exe\"\r\n"
const char kOtherList[] = OTHER_TOOL "36\tOld\tOld\t\"C:\\old.exe\"\r\n";
const unsigned char kOldDrop[] = {'I', 'D', '3', 9, 8, 7, 6, 5};

E2eSource g_src;

int MakeSource_(E2E_LOC, const wchar_t *name, unsigned seed) {
  return E2eMakeSource_(E2E_THERE, &g_src, g_workDir, name, 4099, seed);
}
#define MakeSource(name, seed) MakeSource_(E2E_HERE, name, seed)

// The list holds head (bytes of the list before it) followed by sorvel's own line.
int ExpectListEntered_(E2E_LOC, const char *head, size_t headLen) {
  static unsigned char entered[1024];
  memcpy(entered, head, headLen);
  size_t own = E2eOwnListLine(g_sorvelExe, entered + headLen, sizeof entered - headLen);
  return E2eExpectDataFile_(E2E_THERE, kListName, entered, headLen + own);
}
#define ExpectListEntered(head, headLen) ExpectListEntered_(E2E_HERE, head, headLen)

// Where sorvel may or may not manage to enter itself, the list is either kOtherList
// as it was or whole with sorvel's line in place of the older one; never cut,
// never without the other tool. 1 left as it was, 2 entered, 0 neither.
int ExpectListOldOrEntered_(E2E_LOC) {
  static unsigned char list[1024];
  wchar_t path[MAX_PATH];
  size_t got = 0;
  if (!E2eExpectTrue_(E2E_THERE, "$exec-list.txt exists",
                      E2eReadFile(E2eDataFile(path, MAX_PATH, kListName), list, sizeof list, &got), "missing"))
    return 0;
  if (got == strlen(kOtherList) && !memcmp(list, kOtherList, got)) {
    E2eNote("list left as it was");
    return 1;
  }
  if (!ExpectListEntered_(E2E_THERE, OTHER_TOOL, strlen(OTHER_TOOL))) return 0;
  E2eNote("list entered");
  return 2;
}
#define ExpectListOldOrEntered() ExpectListOldOrEntered_(E2E_HERE)

// ---- the AppData folder redirected -------------------------------------------
// The shell takes the roaming AppData folder from these two values; Wine's
// SHGetSpecialFolderPathW honours them at once, in every process, and fails
// for a folder that does not exist.

const wchar_t kUserShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

struct SavedValue {
  int present;
  DWORD type;
  DWORD size;
  BYTE data[2048];
};

void SaveAppDataValue(const wchar_t *key, SavedValue *v) {
  v->present = 0;
  v->size = sizeof v->data;
  HKEY k;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return;
  v->present = RegQueryValueExW(k, L"AppData", nullptr, &v->type, v->data, &v->size) == ERROR_SUCCESS;
  RegCloseKey(k);
}

int SetAppDataValue(const wchar_t *key, DWORD type, const void *data, DWORD size) {
  HKEY k;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
    return 0;
  LONG r = data ? RegSetValueExW(k, L"AppData", 0, type, static_cast<const BYTE *>(data), size)
                : RegDeleteValueW(k, L"AppData");
  RegCloseKey(k);
  return r == ERROR_SUCCESS || (!data && r == ERROR_FILE_NOT_FOUND);
}

struct Redirect {
  SavedValue user, shell;
};

int RedirectAppData(Redirect *r, const wchar_t *folder) {
  SaveAppDataValue(kUserShellFolders, &r->user);
  SaveAppDataValue(kShellFolders, &r->shell);
  DWORD size = (DWORD)((wcslen(folder) + 1) * sizeof(wchar_t));
  int ok = SetAppDataValue(kUserShellFolders, REG_EXPAND_SZ, folder, size) &&
           SetAppDataValue(kShellFolders, REG_SZ, folder, size);
  return E2eExpectTrue("AppData redirected in the registry", ok, "a registry write failed");
}

void RestoreAppData(const Redirect *r) {
  int ok = SetAppDataValue(kUserShellFolders, r->user.type, r->user.present ? r->user.data : nullptr, r->user.size);
  ok &= SetAppDataValue(kShellFolders, r->shell.type, r->shell.present ? r->shell.data : nullptr, r->shell.size);
  wchar_t now[MAX_PATH + 1] = L"", data[MAX_PATH];
  SHGetSpecialFolderPathW(nullptr, now, CSIDL_APPDATA, FALSE);
  wcscpy(data, now);
  wcscat(data, L"\\Kx");
  E2eExpectTrue("AppData restored", ok && !_wcsicmp(data, g_dataDir), "the lookup still gives another folder");
}

// Places where a data-folder path gone wrong would put the shared files: the
// current folder and its drive's root, the root of C:, the Windows folder
// (profile files named without a folder go there).
int ExpectNothingElsewhere() {
  wchar_t cwd[MAX_PATH], windir[MAX_PATH], root[4] = L"C:\\";
  GetCurrentDirectoryW(MAX_PATH, cwd);
  GetWindowsDirectoryW(windir, MAX_PATH);
  if (cwd[0] && cwd[1] == L':') root[0] = cwd[0];
  const wchar_t *dirs[] = {cwd, root, L"C:\\", windir};
  const wchar_t *names[] = {L"Kx", kSettingsName, kDropName, kListName};
  int ok = 1;
  for (const wchar_t *dir : dirs) {
    for (const wchar_t *name : names) {
      wchar_t path[MAX_PATH];
      E2ePath(path, MAX_PATH, dir, name);
      if (!E2eFileExists(path)) continue;
      char found[MAX_PATH * 3];
      ok = E2eExpectTrue("nothing written outside the data folder", 0, E2eUtf8(path, found, sizeof found));
      DeleteFileW(path);
    }
  }
  return ok;
}

// How the AppData folder is spoiled.
enum AppDataKind { kMissingDrive, kFileInTheWay, kLongPath };
struct AppDataRow {
  const char *name;
  AppDataKind kind;
  size_t length;        // kLongPath: characters in the AppData path
  int dataFolderFits;   // the AppData path plus \Kx\ fits in 255 characters
};
const AppDataRow kAppDataRows[] = {
    // name                      kind            length  data folder fits
    {"appdata_missing_drive", kMissingDrive, 0, 0},
    {"appdata_file_in_the_way", kFileInTheWay, 0, 0},
    {"appdata_long_256", kLongPath, 252, 0},         // AppData\Kx\ is 256 characters
    {"appdata_long_258", kLongPath, 254, 0},         // cut at 255, it would be AppData\ itself
    {"appdata_data_folder_255", kLongPath, 251, 1},  // 255: the folder fits, kx.ini fits, the list and the drop file do not
};

// The tool starts on a spoiled AppData folder, shows its dialog, and OK with
// an editing host reports that the host's file cannot be made. Nothing lands
// in the real data folder or anywhere else.
void BadAppData(const void *row) {
  const AppDataRow *r = static_cast<const AppDataRow *>(row);
  static const char kBlocker[] = "not a folder";
  wchar_t appData[1024], blocker[MAX_PATH] = L"";
  if (r->kind == kMissingDrive) {
    // The first free drive letter from Q on.
    DWORD drives = GetLogicalDrives();
    wchar_t letter = L'Q';
    while (letter < L'Z' && (drives & (1u << (letter - L'A')))) ++letter;
    swprintf(appData, 1024, L"%lc:\\Users\\nobody\\AppData\\Roaming", letter);
  } else if (r->kind == kFileInTheWay) {
    E2ePath(appData, 1024, g_workDir, L"appdata-blocked");
    E2ePath(blocker, MAX_PATH, appData, L"Kx");
    if (!E2eExpectTrue("AppData folder made", E2eMakeFolders(appData), "failed")) return;
    if (!E2eExpectTrue("file in the way written", E2eWriteFile(blocker, kBlocker, strlen(kBlocker)), "failed"))
      return;
  } else {
    wchar_t tag[32];
    swprintf(tag, 32, L"long%zu", r->length);
    if (!E2eExpectTrue("long AppData folder made", E2eMakeLongFolder(tag, r->length, appData, 1024), "failed")) return;
  }
  if (!MakeSource(L"redirect.mp3", 21)) return;
  // The real data folder must stay absent: anything sorvel writes there is
  // written to the wrong place.
  if (!E2eResetDataFolder(nullptr) || !E2eExpectTrue("real Kx removed", RemoveDirectoryW(g_dataDir), "failed"))
    return;
  E2eProc host;
  if (!E2eStartHost(L"", &host)) return;

  Redirect redirect;
  if (!RedirectAppData(&redirect, appData)) {
    RestoreAppData(&redirect);
    return;
  }
  // What the shell now answers, as sorvel will see it.
  wchar_t seen[MAX_PATH + 1] = L"";
  BOOL found = SHGetSpecialFolderPathW(nullptr, seen, CSIDL_APPDATA, FALSE);
  if (r->kind == kMissingDrive) {
    E2eExpectTrue("AppData lookup fails for a missing drive", !found, "it succeeded");
  } else {
    E2eExpectTrue("AppData lookup gives the redirected folder", found && !wcscmp(seen, appData), "another answer");
  }

  E2eSession s;
  if (E2eStartSorvel(&s, nullptr)) {
    E2eFillAndOk(s.dlg, g_src.path, 1, 0);
    E2eExpectWarning(s.sorvel.pid, kWarnCannotCreate, s.dlg, kWarningWaitMs);
    E2eExpectDialogStays(&s);
    E2eCancelAndExit(&s);
  }
  E2eEndAll();
  RestoreAppData(&redirect);

  E2eExpectProbeOnly();
  E2eExpectTrue("real data folder still absent", !E2eFileExists(g_dataDir), "Kx was created");
  ExpectNothingElsewhere();
  wchar_t names[2048];
  char found8[4096];
  if (r->kind == kFileInTheWay) {
    E2eExpectFile("the file in the way", blocker, kBlocker, strlen(kBlocker));
    E2eExpectTrue("nothing else in the AppData folder", !wcscmp(E2eFolderNames(appData, names, 2048), L"Kx|"),
                  E2eUtf8(names, found8, sizeof found8));
  } else if (r->kind == kLongPath && !r->dataFolderFits) {
    E2eExpectTrue("long AppData folder left empty", !E2eFolderNames(appData, names, 2048)[0],
                  E2eUtf8(names, found8, sizeof found8));
  } else if (r->kind == kLongPath) {
    // The data folder is made there; only the settings file fits in it.
    wchar_t kx[1024];
    swprintf(kx, 1024, L"%ls\\Kx", appData);
    E2eExpectTrue("only Kx in the long AppData folder", !wcscmp(E2eFolderNames(appData, names, 2048), L"Kx|"),
                  E2eUtf8(names, found8, sizeof found8));
    E2eFolderNames(kx, names, 2048);
    E2eNote("in the 255-character data folder: \"%s\"", E2eUtf8(names, found8, sizeof found8));
    E2eExpectTrue("at most kx.ini in the long data folder", !names[0] || !_wcsicmp(names, L"kx.ini|"),
                  E2eUtf8(names, found8, sizeof found8));
  }
  E2eResetDataFolder(nullptr);
}

// The list path fits in 256 characters with its NUL up to an AppData folder of
// 237 characters, and the entry is made for each such folder, whatever the
// length of the temporary file's path; nothing else is left beside the list.
struct LongAppDataRow {
  const char *name;
  size_t length;  // characters in the AppData path
};
const LongAppDataRow kLongAppDataRows[] = {
    // name                     AppData length  (list path, NUL included)
    {"list_entry_appdata_230", 230},  // 249
    {"list_entry_appdata_234", 234},  // 253
    {"list_entry_appdata_237", 237},  // 256
};

void ListEntryLongAppData(const void *row) {
  const LongAppDataRow *r = static_cast<const LongAppDataRow *>(row);
  wchar_t appData[1024], tag[32], kx[1024], list[1024];
  swprintf(tag, 32, L"entry%zu", r->length);
  if (!E2eExpectTrue("long AppData folder made", E2eMakeLongFolder(tag, r->length, appData, 1024), "failed")) return;
  swprintf(kx, 1024, L"%ls\\Kx", appData);
  E2ePath(list, 1024, kx, kListName);
  E2eExpectInt("list path length with its NUL (premise)", (long long)r->length + 19, (long long)wcslen(list) + 1);
  if (!E2eResetDataFolder(nullptr)) return;
  Redirect redirect;
  if (!RedirectAppData(&redirect, appData)) {
    RestoreAppData(&redirect);
    return;
  }
  E2eSession s;
  if (E2eStartSorvel(&s, nullptr)) E2eCancelAndExit(&s);
  E2eEndAll();
  RestoreAppData(&redirect);

  static unsigned char own[1024];
  size_t ownLen = E2eOwnListLine(g_sorvelExe, own, sizeof own);
  E2eExpectFile("$exec-list.txt in the long data folder", list, own, ownLen);
  wchar_t names[2048];
  char found[4096];
  E2eFolderNames(kx, names, 2048);
  E2eExpectTrue("only $exec-list.txt and kx.ini in the long data folder",
                !_wcsicmp(names, L"$exec-list.txt|kx.ini|") || !_wcsicmp(names, L"kx.ini|$exec-list.txt|"),
                E2eUtf8(names, found, sizeof found));
  E2eExpectTrue("nothing in the real data folder", !E2eFolderNames(g_dataDir, names, 2048)[0],
                E2eUtf8(names, found, sizeof found));
}

// ---- a data folder that cannot be written --------------------------------------
// Under Wine the process runs as root and neither Unix permissions nor the
// read-only attribute stop a write, but the Unix immutable attribute does:
// nothing can be created in an immutable folder, nor written to an immutable
// file.

// Runs chattr with flag on path; 1 when it succeeded.
int RunChattr(const char *flag, const wchar_t *path) {
  char target[1024], command[1100];
  if (!E2eUnixName(path, target, sizeof target)) return 0;
  snprintf(command, sizeof command, "/usr/bin/chattr %s '%s'", flag, target);
  int status = -1;
  return E2eRunUnix(command, 5000, &status) && status == 0;
}

// 1 when a write into path (a folder: a new file in it; a file: opening it for
// writing) is refused.
int WriteRefused(const wchar_t *path, int folder) {
  wchar_t probe[MAX_PATH];
  HANDLE h = folder ? CreateFileW(E2ePath(probe, MAX_PATH, path, L"probe.e2e"), GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)
                    : CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(h);
  if (folder) DeleteFileW(probe);
  return 0;
}

// Makes path unwritable (on) or writable again (off); 1 when it is so.
int SetImmutable(const wchar_t *path, int folder, int on) {
  return RunChattr(on ? "+i" : "-i", path) && WriteRefused(path, folder) == on;
}

enum { kIni = 1, kList = 2, kDrop = 4, kFolder = 8 };
const wchar_t *const kSharedNames[] = {kSettingsName, kListName, kDropName};

// Locks (on) or unlocks the parts of the data folder in mask; unlocking is
// attempted for every part even when one fails. 1 when all took effect.
int LockDataFolder(int mask, int on) {
  int ok = 1;
  wchar_t path[MAX_PATH];
  if (!on && (mask & kFolder)) ok &= SetImmutable(g_dataDir, 1, 0);
  for (int i = 0; i < 3; ++i)
    if (mask & (1 << i)) ok &= SetImmutable(E2eDataFile(path, MAX_PATH, kSharedNames[i]), 0, on);
  if (on && (mask & kFolder)) ok &= SetImmutable(g_dataDir, 1, 1);
  return ok;
}

// The list afterwards: as seeded, entered (the old line mended, with bit 0
// set before), or either (bit 0 then tells which it is).
enum { kListKept = 1, kListEntered = 2, kListOldOrEntered = 3 };
struct LockedRow {
  const char *name;
  int locked;      // parts made unwritable
  const char *ini; // seeded kx.ini (flags=4: loop ticked)
  int drop;        // an older drop file is seeded
  int okSucceeds;  // OK hands the file over (else warning 5)
  int flags;       // [sorvel] flags afterwards, bit 0 aside; -1: kx.ini is not writable
  int list;        // kListKept, kListEntered or kListOldOrEntered
};
const LockedRow kLockedRows[] = {
    // name                         locked                          ini                       drop ok  flags list
    {"locked_folder_and_files", kFolder | kIni | kList | kDrop, "[sorvel]\r\nflags=4\r\n", 1, 0, -1, kListKept},
    {"locked_folder_no_drop", kFolder, "[sorvel]\r\nflags=4\r\n", 0, 0, 6, kListOldOrEntered},
    {"locked_folder_drop_exists", kFolder, "[sorvel]\r\nflags=4\r\n", 1, 1, 6, kListOldOrEntered},
    {"locked_settings", kIni, "[sorvel]\r\nflags=1\r\n", 0, 1, -1, kListEntered},
    {"locked_list", kList, nullptr, 0, 1, 2, kListKept},
};

// The tool works on a data folder it cannot (fully) write: the dialog opens,
// OK either hands the file over or warns, and every file it cannot write is
// left exactly as it was; settings it cannot save are lost without a word.
void LockedDataFolder(const void *row) {
  const LockedRow *r = static_cast<const LockedRow *>(row);
  const E2eSeed seed = {r->ini, kOtherList, r->drop ? kOldDrop : nullptr, sizeof kOldDrop};
  if (!MakeSource(L"locked.mp3", 31) || !E2eResetDataFolder(&seed)) return;
  E2eProc host;
  if (!E2eStartHost(L"", &host)) return;
  if (!LockDataFolder(r->locked, 1)) {
    LockDataFolder(r->locked, 0);
    E2eExpectTrue("data folder made unwritable", 0, "chattr +i had no effect (needs Linux, e2fsprogs and root)");
    return;
  }
  E2eSession s;
  if (E2eStartSorvel(&s, nullptr)) {
    // Autoplay ticked, loop as stored: a change of the flags word to save.
    E2eFillAndOk(s.dlg, g_src.path, 1, r->ini && strstr(r->ini, "flags=4") ? 1 : 0);
    if (r->okSucceeds) {
      E2eExpectExitZero(&s);
    } else {
      E2eExpectWarning(s.sorvel.pid, kWarnCannotCreate, s.dlg, kWarningWaitMs);
      E2eExpectDialogStays(&s);
      E2eCancelAndExit(&s);
    }
  }
  E2eEndAll();
  E2eExpectTrue("data folder writable again", LockDataFolder(r->locked, 0), "chattr -i had no effect");

  int list = r->list;
  if (list == kListOldOrEntered) list = ExpectListOldOrEntered();
  else if (list == kListKept) E2eExpectDataText(kListName, kOtherList);
  else ExpectListEntered(OTHER_TOOL, strlen(OTHER_TOOL));
  wchar_t flags[16];
  swprintf(flags, 16, L"%d", r->flags | (list == kListEntered));
  if (r->flags >= 0) E2eExpectFlags(flags);
  else E2eExpectDataText(kSettingsName, r->ini);
  if (r->okSucceeds) E2eExpectDrop(g_src.bytes, g_src.len);
  else E2eExpectDataFile(kDropName, r->drop ? kOldDrop : nullptr, sizeof kOldDrop);
  E2eExpectNoStrayFiles();
}

// ---- the tool list held by another program ---------------------------------

struct HeldRow {
  const char *name;
  DWORD share;       // sharing the driver's handle allows
  const char *list;  // the list before
  int appended;      // with write sharing, sorvel's line is added (else it replaces the 36 line)
};
const char kListWithout36[] = OTHER_TOOL "7\tG\tG\t\"g\"\r\n";
const HeldRow kHeldRows[] = {
    // name                                    share                                list            appended
    {"list_held_no_sharing", 0, kOtherList, 0},
    {"list_held_read_sharing", FILE_SHARE_READ, kOtherList, 0},
    {"list_held_read_write_sharing", FILE_SHARE_READ | FILE_SHARE_WRITE, kOtherList, 0},
    {"list_held_read_write_sharing_append", FILE_SHARE_READ | FILE_SHARE_WRITE, kListWithout36, 1},
};

// The driver keeps the list open, as the host might while it reads or writes
// it, with the given sharing and never delete sharing, for the whole first
// start. Without write sharing nobody may write it: it stays as it was, the
// entry is not noted as made, and the next start, the list let go, makes it.
// With it the entry is made in place, byte for byte as in an unheld list. The
// list is never cut, no temporary copy is left, the dialog still opens.
void ListHeld(const void *row) {
  const HeldRow *r = static_cast<const HeldRow *>(row);
  const E2eSeed seed = {nullptr, r->list, nullptr, 0};
  if (!E2eResetDataFolder(&seed)) return;
  wchar_t list[MAX_PATH];
  HANDLE held = CreateFileW(E2eDataFile(list, MAX_PATH, kListName), GENERIC_READ | GENERIC_WRITE, r->share, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (!E2eExpectTrue("list opened by the driver", held != INVALID_HANDLE_VALUE, "open failed")) return;
  E2eSession s;
  int shown = E2eStartSorvel(&s, nullptr);
  CloseHandle(held);
  if (!shown || !E2eCancelAndExit(&s)) return;
  if (!(r->share & FILE_SHARE_WRITE)) {
    E2eExpectDataText(kListName, r->list);
    E2eExpectFlags(L"0");
    E2eExpectNoStrayFiles();
    if (!E2eStartSorvel(&s, nullptr) || !E2eCancelAndExit(&s)) return;
  }
  // The other tool's line stays first; sorvel's line follows the last line or
  // replaces the old 36 line.
  if (r->appended) ExpectListEntered(r->list, strlen(r->list));
  else ExpectListEntered(OTHER_TOOL, strlen(OTHER_TOOL));
  E2eExpectFlags(L"1");
  E2eExpectNoStrayFiles();
}

// ---- a host that hangs -----------------------------------------------------------

// The host does not answer the probe for 15 s: warning 7 after the bound, the
// dialog keeps what the user entered, and the tool can be left at once while
// the host still hangs.
void HungHostDialogStays(int) {
  E2eProc host;
  if (!MakeSource(L"hung.mp3", 41) || !E2eResetDataFolder(nullptr)) return;
  if (!E2eStartHost(L"--probe-delay-ms 15000", &host)) return;
  E2eSession s;
  if (!E2eStartSorvel(&s, nullptr)) return;
  E2eFillAndOk(s.dlg, g_src.path, 1, 1);
  unsigned long long start = E2eNowMs();
  HWND box = E2eExpectHungHostWarning(s.sorvel.pid, kWarnNotAnswering, kHungWarningFromMs);
  if (!box) return;
  E2eDismissMessageBox(box);
  wchar_t text[300];
  E2eExpectTrue("warning dismissed", E2eWaitGone(box, kGoneWaitMs), "still open");
  E2eExpectDialogStays(&s);
  E2eExpectText("path field kept", g_src.path, E2eControlText(s.dlg, IDC_PATH, text, 300));
  E2eExpectInt("autoplay box kept", 1, E2eGetCheck(s.dlg, IDC_AUTOPLAY));
  E2eExpectInt("loop box kept", 1, E2eGetCheck(s.dlg, IDC_LOOP));
  E2eExpectNoDrop();
  E2eExpectTrue("host still hanging (premise)", E2eNowMs() - start < 14000, "15 s nearly over");
  // Leaving must not wait for the host.
  E2eCancelAndExit(&s);
  char took[64];
  snprintf(took, sizeof took, "%llu ms after OK", E2eNowMs() - start);
  E2eExpectTrue("ended before the host answered", E2eNowMs() - start < 15000, took);
  E2eExpectFlags(L"7");
}

// ---- a crowd of second copies ------------------------------------------------------

// 20 more starts while the first copy shows its dialog, four at a time: each
// is refused with its own warning and ends with 0; the files stay as the first
// copy left them (its dangling line mended) and its OK still works afterwards.
void CrowdOfCopies(int) {
  static const char kIni[] = "[sorvel]\r\nflags=5\r\n";
  const E2eSeed seed = {kIni, kOtherList, kOldDrop, sizeof kOldDrop};
  E2eProc host;
  if (!MakeSource(L"crowd.mp3", 51) || !E2eResetDataFolder(&seed)) return;
  if (!E2eStartHost(L"", &host)) return;
  E2eSession first;
  if (!E2eStartSorvel(&first, nullptr)) return;
  enum { kCopies = 20, kBatch = 4 };
  int refused = 0;
  for (int done = 0; done < kCopies; done += kBatch) {
    E2eProc copies[kBatch];
    for (int i = 0; i < kBatch; ++i)
      if (!E2eStart(g_sorvelExe, nullptr, &copies[i])) return;
    for (int i = 0; i < kBatch; ++i) {
      int ok = E2eExpectWarning(copies[i].pid, kWarnAlreadyRunning, nullptr, kWarningWaitMs);
      DWORD code = 99;
      ok &= E2eExpectTrue("second copy ended", E2eWaitExit(&copies[i], kExitWaitMs, &code), "still running");
      ok &= E2eExpectInt("second copy exit code", 0, code);
      refused += ok;
    }
  }
  E2eExpectInt("copies refused cleanly", kCopies, refused);
  E2eExpectDialogStays(&first);
  E2eExpectInt("first dialog loop box", 1, E2eGetCheck(first.dlg, IDC_LOOP));
  E2eExpectDataText(kSettingsName, kIni);
  ExpectListEntered(OTHER_TOOL, strlen(OTHER_TOOL));
  E2eExpectDrop(kOldDrop, sizeof kOldDrop);
  E2eExpectNoStrayFiles();
  // The first copy still owns its run.
  E2eFillAndOk(first.dlg, g_src.path, 1, 1);
  if (!E2eExpectExitZero(&first)) return;
  E2eExpectDrop(g_src.bytes, g_src.len);
  E2eExpectFlags(L"7");
  E2eHostLog log;
  E2eReadHostLog(&log);
  const E2eSent sent[] = {{1, 0}, {6, 5}};
  E2eExpectHostMessages(&log, sent, 2);
}

const E2eCase kHostCases[] = {
    // name                        procedure              param
    {"hung_host_dialog_stays", HungHostDialogStays, 0},
    {"twenty_second_copies", CrowdOfCopies, 0},
};

const E2eTable kFaultTables[] = {
    E2E_ROWS(BadAppData, kAppDataRows),
    E2E_ROWS(ListEntryLongAppData, kLongAppDataRows),
    E2E_ROWS(LockedDataFolder, kLockedRows),
    E2E_ROWS(ListHeld, kHeldRows),
    E2E_CASES(kHostCases),
};

}  // namespace

const E2eGroup g_faultsGroup = {"faults", kFaultTables, E2E_COUNT(kFaultTables)};
