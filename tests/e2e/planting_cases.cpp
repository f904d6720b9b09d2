// A download folder holds whatever else was downloaded. DLLs planted there
// under the names of system DLLs, and in the current folder, must never run
// inside sorvel: not at start, not when the dialog is made, not when the file
// chooser opens. Wine is told to prefer a DLL found on the search path for
// those names (native first), as Windows does for every name outside its
// short protected list; a control program proves that the plants then run.
#include <windows.h>

#include <psapi.h>

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include "e2e_groups.h"
#include "e2e_session.h"

namespace {

const wchar_t *const kPlantedNames[] = {L"comdlg32.dll", L"compstui.dll", L"winspool.drv", L"uxtheme.dll"};
const wchar_t kMarkerName[] = L"plant_marker.dll";
const wchar_t kControlName[] = L"plant_control.exe";
const wchar_t kRanSuffix[] = L".ran";  // what a marker leaves beside itself when it runs

// Wine's settings for one program, read at the program's next start.
void AppDefaultsKey(const wchar_t *program, const wchar_t *sub, wchar_t *out, size_t cap) {
  swprintf(out, cap, L"Software\\Wine\\AppDefaults\\%ls%ls", program, sub);
}

// Native first for the planted names, and the Windows version program is told
// (null: the prefix's own). 1 done.
int PreferPlanted(const wchar_t *program, const wchar_t *version) {
  wchar_t key[MAX_PATH];
  AppDefaultsKey(program, L"\\DllOverrides", key, MAX_PATH);
  HKEY k;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
    return 0;
  static const wchar_t kOrder[] = L"native,builtin";
  int ok = 1;
  for (const wchar_t *name : kPlantedNames) {
    // Wine names a .dll without its extension and any other kind with it.
    wchar_t value[32];
    wcscpy(value, name);
    size_t n = wcslen(value);
    if (n > 4 && !_wcsicmp(value + n - 4, L".dll")) value[n - 4] = 0;
    ok &= RegSetValueExW(k, value, 0, REG_SZ, reinterpret_cast<const BYTE *>(kOrder), sizeof kOrder) == ERROR_SUCCESS;
  }
  RegCloseKey(k);
  if (!version) return ok;
  AppDefaultsKey(program, L"", key, MAX_PATH);
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS)
    return 0;
  DWORD size = static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t));
  ok &= RegSetValueExW(k, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE *>(version), size) == ERROR_SUCCESS;
  RegCloseKey(k);
  return ok;
}

// Removes every setting of program again, so no other case sees them. 1 done.
int ForgetPlanted(const wchar_t *program) {
  wchar_t key[MAX_PATH];
  AppDefaultsKey(program, L"", key, MAX_PATH);
  LONG r = RegDeleteTreeW(HKEY_CURRENT_USER, key);
  return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

// The folder holding the marker and the control program built for the
// bitness of the program under test (run_e2e.sh says which).
int PlantSource(const wchar_t *name, wchar_t *out, size_t cap) {
  const wchar_t *dir = _wgetenv(L"E2E_PLANT_DIR");
  if (!dir || !dir[0]) return 0;
  E2ePath(out, cap, dir, name);
  return E2eFileExists(out);
}

// Lays the marker in dir under every planted name. 1 done.
int Plant(const wchar_t *marker, const wchar_t *dir) {
  int ok = E2eMakeFolders(dir);
  for (const wchar_t *name : kPlantedNames) {
    wchar_t to[MAX_PATH];
    ok = ok && CopyFileW(marker, E2ePath(to, MAX_PATH, dir, name), FALSE);
  }
  return ok;
}

// The markers that ran in dir, as "name.ran " text into out; returns out.
wchar_t *MarkersRan(const wchar_t *dir, wchar_t *out, size_t cap) {
  wchar_t names[2048];
  E2eFolderNames(dir, names, 2048);
  out[0] = 0;
  size_t suffix = wcslen(kRanSuffix);
  for (wchar_t *p = names, *bar; (bar = wcschr(p, L'|')) != nullptr; p = bar + 1) {
    *bar = 0;
    size_t n = wcslen(p);
    if (n > suffix && !_wcsicmp(p + n - suffix, kRanSuffix) && wcslen(out) + n + 2 < cap) {
      wcscat(out, p);
      wcscat(out, L" ");
    }
  }
  return out;
}

int ExpectNoMarkerRan_(E2E_LOC, const char *where, const wchar_t *dir) {
  wchar_t ran[1024];
  char found[3072];
  MarkersRan(dir, ran, 1024);
  return E2eExpectTrue_(E2E_THERE, where, ran[0] == 0, E2eUtf8(ran, found, sizeof found));
}
#define ExpectNoMarkerRan(where, dir) ExpectNoMarkerRan_(E2E_HERE, where, dir)

// The control, run from dir beside the plants, must load the planted
// comdlg32.dll: then Wine does prefer the plants, as Windows would.
int ExpectControlRunsPlant(const wchar_t *control, const wchar_t *dir) {
  wchar_t copy[MAX_PATH], mark[MAX_PATH];
  E2ePath(copy, MAX_PATH, dir, kControlName);
  E2ePath(mark, MAX_PATH, dir, L"comdlg32.dll.ran");
  E2eProc proc;
  if (!E2eExpectTrue("control program copied", CopyFileW(control, copy, FALSE), "copy failed") ||
      !E2eStart(copy, nullptr, &proc))
    return 0;
  DWORD code = 99;
  E2eExpectTrue("control program ended", E2eWaitExit(&proc, kExitWaitMs, &code), "still running");
  int ran = E2eExpectTrue("the control loads the planted comdlg32.dll (the rig plants what it claims)",
                          E2eFileExists(mark), "no marker: the plants would prove nothing");
  DeleteFileW(mark);
  DeleteFileW(copy);
  return ran;
}

// Which file each planted name was loaded from in process pid, checked while
// the chooser is open: every one that is loaded must come from the system
// folder of the process's bitness, and comdlg32.dll must be loaded.
void ExpectLoadedFromSystem(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  HMODULE modules[512];
  DWORD bytes = 0;
  int listed = process && K32EnumProcessModulesEx(process, modules, sizeof modules, &bytes, LIST_MODULES_ALL);
  if (!E2eExpectTrue("module list of sorvel", listed, "none")) {
    if (process) CloseHandle(process);
    return;
  }
  wchar_t system[MAX_PATH], wow64[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  if (!GetSystemWow64DirectoryW(wow64, MAX_PATH)) wcscpy(wow64, system);
  int comdlg = 0;
  DWORD count = bytes / sizeof modules[0];
  for (DWORD i = 0; i < count && i < 512; ++i) {
    wchar_t path[MAX_PATH] = L"";
    if (!K32GetModuleFileNameExW(process, modules[i], path, MAX_PATH)) continue;
    wchar_t *slash = wcsrchr(path, L'\\');
    if (!slash) continue;
    for (const wchar_t *name : kPlantedNames) {
      if (_wcsicmp(slash + 1, name)) continue;
      comdlg |= !_wcsicmp(name, L"comdlg32.dll");
      char what[64], found[MAX_PATH * 3];
      snprintf(what, sizeof what, "%ls loaded from the system folder", name);
      E2eUtf8(path, found, sizeof found);
      *slash = 0;
      E2eExpectTrue(what, !_wcsicmp(path, system) || !_wcsicmp(path, wow64), found);
      break;
    }
  }
  CloseHandle(process);
  E2eExpectTrue("comdlg32.dll loaded while the chooser is open", comdlg, "not in the module list");
}

struct PlantRow {
  const char *name;
  int startInExeFolder;    // 1: the current folder is the exe's folder, as after a double click there
  const wchar_t *version;  // the Windows version sorvel is told, or null for the prefix's own
};
const PlantRow kPlantRows[] = {
    // name                                  current folder is the exe's  Windows version
    {"beside_exe_and_in_current_folder", 0, nullptr},
    {"current_folder_is_exe_folder", 1, nullptr},
    // Vista keeps the older defence: the current folder dropped, the system
    // DLLs loaded later by name loaded first from the system folder.
    {"vista_without_restricted_search", 0, L"vista"},
};

// A copy of the program under test in a download folder full of plants,
// started from a current folder with plants too: it shows its dialog, opens
// the chooser on Browse, and no plant runs.
void PlantedDlls(const void *row) {
  const PlantRow *r = static_cast<const PlantRow *>(row);
  wchar_t marker[MAX_PATH], control[MAX_PATH];
  if (!E2eExpectTrue("marker DLL and control program built", PlantSource(kMarkerName, marker, MAX_PATH) &&
                     PlantSource(kControlName, control, MAX_PATH), "not in E2E_PLANT_DIR"))
    return;
  wchar_t root[MAX_PATH], download[MAX_PATH], current[MAX_PATH], exe[MAX_PATH];
  E2ePath(root, MAX_PATH, g_workDir, L"planting");
  E2ePath(download, MAX_PATH, root, L"Downloads");
  E2ePath(current, MAX_PATH, root, r->startInExeFolder ? L"Downloads" : L"current");
  E2ePath(exe, MAX_PATH, download, L"sorvel.exe");
  // Nothing of an earlier case may stand in for this one's markers.
  E2eMakeFolders(root);
  E2eEmptyFolder(root);
  if (!E2eExpectTrue("plants laid", Plant(marker, download) && Plant(marker, current), "copy failed") ||
      !E2eExpectTrue("program copied beside them", CopyFileW(g_sorvelExe, exe, FALSE), "copy failed") ||
      !E2eResetDataFolder(nullptr))
    return;
  if (!E2eExpectTrue("native first for the planted names", PreferPlanted(kControlName, nullptr) &&
                     PreferPlanted(L"sorvel.exe", r->version), "registry write failed"))
    return;

  if (ExpectControlRunsPlant(control, download)) {
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    SetCurrentDirectoryW(current);  // sorvel inherits it
    E2eSession s;
    int shown = E2eStartSorvel(&s, exe);
    SetCurrentDirectoryW(saved);
    if (shown) {
      E2eClick(s.dlg, IDC_BROWSE);
      HWND chooser = E2eFindWindow(s.sorvel.pid, L"#32770", kChooserTitle, kChooserWaitMs);
      if (E2eExpectTrue("file chooser shown", chooser != nullptr, "none within 15 s")) {
        ExpectLoadedFromSystem(s.sorvel.pid);
        E2eClick(chooser, IDCANCEL);
        E2eExpectTrue("chooser closed", E2eWaitGone(chooser, kGoneWaitMs), "still open");
      }
      E2eCancelAndExit(&s);
    }
  }
  E2eEndAll();
  E2eExpectTrue("overrides removed", ForgetPlanted(kControlName) && ForgetPlanted(L"sorvel.exe"),
                "registry delete failed");
  ExpectNoMarkerRan("no plant ran beside the exe", download);
  if (!r->startInExeFolder) ExpectNoMarkerRan("no plant ran in the current folder", current);
}

const E2eTable kPlantingTables[] = {
    E2E_ROWS(PlantedDlls, kPlantRows),
};

}  // namespace

const E2eGroup g_plantingGroup = {"planting", kPlantingTables, E2E_COUNT(kPlantingTables)};
