// Files of a case: the scratch and data folders, file contents, and checks of
// what sorvel left in the data folder it shares with the host.
#pragma once

#include <windows.h>

#include <stddef.h>

#include "e2e_report.h"

// The folders of the run, filled by E2eInit (e2e_session.h).
extern wchar_t g_dataDir[MAX_PATH];   // %APPDATA%\Kx (no trailing backslash)
extern wchar_t g_workDir[MAX_PATH];   // a scratch folder for source files and logs
extern wchar_t g_musicDir[MAX_PATH];  // the user's music folder

// The three files sorvel and the host share.
extern const wchar_t kSettingsName[];  // kx.ini
extern const wchar_t kListName[];      // $exec-list.txt
extern const wchar_t kDropName[];      // $kobble.mp3

// Joins dir, a backslash and name into out (bounded); returns out.
wchar_t *E2ePath(wchar_t *out, size_t cap, const wchar_t *dir, const wchar_t *name);

// Writes bytes to path (replacing it); 1 done.
int E2eWriteFile(const wchar_t *path, const void *bytes, size_t len);
// Reads up to cap bytes; 1 when the file exists (its length in *len, which may
// exceed cap if the file is larger), 0 when it cannot be opened.
int E2eReadFile(const wchar_t *path, void *buf, size_t cap, size_t *len);
int E2eFileExists(const wchar_t *path);
// 64-bit FNV-1a of the bytes.
unsigned long long E2eFnv1a(const void *bytes, size_t len);
// Fills buf with len bytes of a deterministic pseudo-random pattern from seed.
void E2eFillPattern(unsigned char *buf, size_t len, unsigned seed);
// Deletes everything inside dir, read-only files too; 1 when all went.
int E2eEmptyFolder(const wchar_t *dir);
// The names in dir other than . and .. into one text ("a|b|"); returns out.
wchar_t *E2eFolderNames(const wchar_t *dir, wchar_t *out, size_t cap);
// Creates every level of dir; paths beyond MAX_PATH go through \\?\. 1 when it is a folder.
int E2eMakeFolders(const wchar_t *dir);
// Makes a folder path of exactly length characters under the scratch folder,
// starting with tag; 1 done.
int E2eMakeLongFolder(const wchar_t *tag, size_t length, wchar_t *out, size_t cap);
// Saves a shell link (.lnk) at link that names target, as Explorer makes one; 1 done.
int E2eMakeShortcut(const wchar_t *link, const wchar_t *target);

// ---- The data folder -----------------------------------------------------------

struct E2eSeed {
  const char *ini;        // kx.ini content, or null for none
  const char *execList;   // $exec-list.txt content, or null for none
  const void *drop;       // $kobble.mp3 content, or null for none
  size_t dropLen;
};

// Empties %APPDATA%\Kx (creating it) and writes the seeded files (seed may be
// null). 1 done; a failure is reported.
int E2eResetDataFolder_(E2E_LOC, const E2eSeed *seed);
#define E2eResetDataFolder(seed) E2eResetDataFolder_(E2E_HERE, seed)
// Path of a file in the data folder.
wchar_t *E2eDataFile(wchar_t *out, size_t cap, const wchar_t *name);
// Reads [sorvel] flags from kx.ini as text into out ("" when missing); returns out.
wchar_t *E2eReadFlagsText(wchar_t *out, size_t cap);

// The file at path holds exactly these bytes; null bytes: it must not exist.
int E2eExpectFile_(E2E_LOC, const char *what, const wchar_t *path, const void *bytes, size_t len);
// The same for a file of the data folder, and for one that holds text.
int E2eExpectDataFile_(E2E_LOC, const wchar_t *name, const void *bytes, size_t len);
int E2eExpectDataText_(E2E_LOC, const wchar_t *name, const char *text);
// [sorvel] flags in kx.ini reads as expected.
int E2eExpectFlags_(E2E_LOC, const wchar_t *expected);
// Nothing but the three shared files in the data folder: a temporary copy of
// the list left behind would be named here.
int E2eExpectNoStrayFiles_(E2E_LOC);
#define E2eExpectFile(what, path, bytes, len) E2eExpectFile_(E2E_HERE, what, path, bytes, len)
#define E2eExpectDataFile(name, bytes, len) E2eExpectDataFile_(E2E_HERE, name, bytes, len)
#define E2eExpectDataText(name, text) E2eExpectDataText_(E2E_HERE, name, text)
#define E2eExpectFlags(expected) E2eExpectFlags_(E2E_HERE, expected)
#define E2eExpectNoStrayFiles() E2eExpectNoStrayFiles_(E2E_HERE)
