// Files dropped on the insert dialog from a file manager: wherever they land,
// the path field takes the first dropped file whose whole path fits it, and
// keeps its text when none does. Nothing is sent and the boxes keep their
// state until the user presses OK. The file manager is xdnd_drop, a native X
// program that drops over XDND as one does (run_e2e.sh names it in
// E2E_XDND_DROP); it also says whether the dialog took the drop at all.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "e2e_groups.h"
#include "e2e_session.h"
#include "e2e_unix.h"

namespace {

enum { kItemCap = 3, kLongPathCap = 400 };

// The field's text before each drop: a drop that is taken replaces it, one
// that is not leaves it exactly so.
const wchar_t kTyped[] = L"C:\\typed by hand\\before the drop.mp3";
// Name of the file at the end of a path made to a given length.
const wchar_t kLongName[] = L"long.mp3";
// How long a dropped path may take to reach the field: the drop is posted to
// the dialog before the file manager hears that it is finished.
const DWORD kDropWaitMs = 3000;

// Where on the dialog the drop lands.
enum Where { kOnField, kOnSurface, kOnAutoplayBox, kOnOkButton, kOnIcon };
// What one dropped item is; a shortcut lies beside its target, a file or
// folder, but for one to a share, which lies in the scratch folder.
enum Kind { kNothing, kFile, kFolder, kFileOfLength, kShortcutToFile, kShortcutToFolder, kShortcutToShare };

struct Item {
  Kind kind;
  const wchar_t *name;  // kFileOfLength: the tag its folders start with; kShortcutToShare: the target
  size_t length;        // kFileOfLength: the whole path's length in characters
};

struct DropRow {
  const char *name;
  Where where;
  Item items[kItemCap];
  int chosen;  // index of the item the field takes; -1: it keeps kTyped
};

E2eSource g_src[kItemCap];
wchar_t g_paths[kItemCap][kLongPathCap];

// Makes item i on disk under the scratch folder; its Windows path in g_paths[i].
int MakeItem_(E2E_LOC, int i, const Item *item) {
  if (item->kind == kShortcutToShare) {
    // SetPath stores a target it cannot find (and says so, S_FALSE).
    E2ePath(g_paths[i], kLongPathCap, g_workDir, L"共有の曲 - ショートカット.lnk");
    return E2eExpectTrue_(E2E_THERE, "shortcut made", E2eMakeShortcut(g_paths[i], item->name), "failed");
  }
  if (item->kind == kShortcutToFile || item->kind == kShortcutToFolder) {
    const Item target = {item->kind == kShortcutToFile ? kFile : kFolder, item->name, 0};
    wchar_t link[kLongPathCap];
    if (!MakeItem_(E2E_THERE, i, &target)) return 0;
    swprintf(link, kLongPathCap, L"%ls - ショートカット.lnk", g_paths[i]);
    if (!E2eExpectTrue_(E2E_THERE, "shortcut made", E2eMakeShortcut(link, g_paths[i]), "failed")) return 0;
    wcscpy(g_paths[i], link);
    return 1;
  }
  if (item->kind == kFile) {
    if (!E2eMakeSource_(E2E_THERE, &g_src[i], g_workDir, item->name, 4099 + (size_t)i * 13, 30u + (unsigned)i))
      return 0;
    swprintf(g_paths[i], kLongPathCap, L"%ls", g_src[i].path);
    return 1;
  }
  if (item->kind == kFolder) {
    E2ePath(g_paths[i], kLongPathCap, g_workDir, item->name);
    return E2eExpectTrue_(E2E_THERE, "folder made", E2eMakeFolders(g_paths[i]), "failed");
  }
  // A file whose path has exactly the length asked, written through \\?\ as
  // it may be longer than MAX_PATH.
  size_t folderLength = item->length - 1 - wcslen(kLongName);
  if (!E2eExpectTrue_(E2E_THERE, "long folder made",
                      E2eMakeLongFolder(item->name, folderLength, g_paths[i], kLongPathCap), "failed"))
    return 0;
  size_t used = wcslen(g_paths[i]);
  swprintf(g_paths[i] + used, kLongPathCap - used, L"\\%ls", kLongName);
  wchar_t literal[kLongPathCap + 8];
  swprintf(literal, kLongPathCap + 8, L"\\\\?\\%ls", g_paths[i]);
  E2eSource *src = &g_src[i];
  src->path[0] = L'\0';
  src->len = 2000;
  E2eFillPattern(src->bytes, src->len, 40u + (unsigned)i);
  memcpy(src->bytes, "ID3", 3);
  return E2eExpectTrue_(E2E_THERE, "long file written", E2eWriteFile(literal, src->bytes, src->len), "write failed");
}
#define MakeItem(i, item) MakeItem_(E2E_HERE, i, item)

// Screen point of a row's drop; 1 when it lies on what the row names.
int DropPoint_(E2E_LOC, const E2eSession *s, Where where, POINT *p) {
  if (where == kOnSurface) {
    p->x = s->start.left + 40;
    p->y = s->start.bottom - 20;
    return E2eExpectTrue_(E2E_THERE, "drop point on the bare surface", E2eChildAt(s->dlg, *p) == s->dlg,
                          "a control is there");
  }
  HWND c = where == kOnField        ? GetDlgItem(s->dlg, IDC_PATH)
           : where == kOnAutoplayBox ? GetDlgItem(s->dlg, IDC_AUTOPLAY)
           : where == kOnOkButton    ? GetDlgItem(s->dlg, IDOK)
                                     : E2eFindChild(s->dlg, L"Static", nullptr, SS_TYPEMASK, SS_ICON);
  if (!E2eExpectTrue_(E2E_THERE, "control to drop on", c != nullptr, "none")) return 0;
  *p = E2eCentreOf(c);
  return E2eExpectTrue_(E2E_THERE, "drop point on the control", E2eChildAt(s->dlg, *p) == c,
                        "another window is there");
}
#define DropPoint(s, where, p) DropPoint_(E2E_HERE, s, where, p)

// Drops the first count items of g_paths at p; see E2eDropFiles.
int ExpectDropVerdict_(E2E_LOC, POINT p, int count, int taken) {
  const wchar_t *paths[kItemCap];
  for (int i = 0; i < count; ++i) paths[i] = g_paths[i];
  return E2eDropFiles_(E2E_THERE, p, paths, count, taken);
}
#define ExpectDropVerdict(p, count, taken) ExpectDropVerdict_(E2E_HERE, p, count, taken)

// The field holds expected: at once within kDropWaitMs (stays 0), or for the
// whole of kQuietMs (stays 1).
int ExpectField_(E2E_LOC, HWND dlg, const wchar_t *expected, int stays) {
  wchar_t text[kLongPathCap];
  unsigned long long end = E2eNowMs() + (stays ? kQuietMs : kDropWaitMs);
  for (;;) {
    E2eControlText(dlg, IDC_PATH, text, kLongPathCap);
    int same = !wcscmp(text, expected);
    if (stays ? !same : same) break;
    if (E2eNowMs() >= end) break;
    Sleep(20);
  }
  return E2eExpectText_(E2E_THERE, stays ? "path field keeps its text" : "path field takes the dropped file",
                        expected, text);
}
#define ExpectField(dlg, expected, stays) ExpectField_(E2E_HERE, dlg, expected, stays)

const DropRow kDropRows[] = {
    // name                       where            items (kind, name, whole length)                    chosen
    {"path_field_then_ok", kOnField, {{kFile, L"song.mp3", 0}}, 0},
    {"bare_surface", kOnSurface, {{kFile, L"on the surface.mp3", 0}}, 0},
    {"check_box", kOnAutoplayBox, {{kFile, L"on a box.mp3", 0}}, 0},
    {"ok_button", kOnOkButton, {{kFile, L"on OK.mp3", 0}}, 0},
    {"icon", kOnIcon, {{kFile, L"on the icon.mp3", 0}}, 0},
    {"name_outside_cp932", kOnField, {{kFile, L"Müller 한국 €𠀋.mp3", 0}}, 0},
    {"folder_then_two_files", kOnField, {{kFolder, L"a folder", 0}, {kFile, L"first.mp3", 0}, {kFile, L"second.mp3", 0}}, 1},
    {"path_of_255", kOnField, {{kFileOfLength, L"fits", 255}}, 0},
    {"path_over_255_then_file", kOnField, {{kFileOfLength, L"skip", 300}, {kFile, L"after long.mp3", 0}}, 1},
    {"folder_alone", kOnField, {{kFolder, L"only a folder", 0}}, -1},
    {"path_of_256", kOnField, {{kFileOfLength, L"over", 256}}, -1},
    {"shortcut_to_file", kOnField, {{kShortcutToFile, L"夏.mp3", 0}}, 0},
    {"shortcut_to_folder", kOnField, {{kShortcutToFolder, L"夏の曲", 0}}, -1},
    {"shortcut_to_share", kOnField, {{kShortcutToShare, L"\\\\sorvel-e2e.invalid\\share\\x.mp3", 0}}, -1},
};

// Types into the field and ticks autoplay alone, drops the row's items; then
// either OK inserts the chosen file, or the field kept its text and Cancel
// leaves nothing behind. Before OK the host has heard nothing. A target on a
// share is looked up as any other, off the dialog's thread; its server does
// not exist, so the drop is refused.
void DropThenOk(const void *row) {
  const DropRow *r = static_cast<const DropRow *>(row);
  int count = 0;
  while (count < kItemCap && r->items[count].kind != kNothing) {
    if (!MakeItem(count, &r->items[count])) return;
    ++count;
  }
  E2eSession s;
  E2eProc host;
  if (!E2eStartHost(L"", &host) || !E2eOpenDialog(&s, nullptr)) return;
  E2eSetControlText(s.dlg, IDC_PATH, kTyped);
  E2eSetCheck(s.dlg, IDC_AUTOPLAY, 1);
  E2eSetCheck(s.dlg, IDC_LOOP, 0);
  POINT p;
  if (!DropPoint(&s, r->where, &p) || !ExpectDropVerdict(p, count, 1)) return;
  // A shortcut taken shows the file it stands for.
  const Kind taken = r->chosen < 0 ? kNothing : r->items[r->chosen].kind;
  const wchar_t *shown = taken == kNothing ? kTyped : taken == kShortcutToFile ? g_src[r->chosen].path : g_paths[r->chosen];
  if (!ExpectField(s.dlg, shown, r->chosen < 0)) return;
  E2eExpectInt("autoplay box after the drop", 1, E2eGetCheck(s.dlg, IDC_AUTOPLAY));
  E2eExpectInt("loop box after the drop", 0, E2eGetCheck(s.dlg, IDC_LOOP));
  if (!E2eExpectDialogStays(&s)) return;
  E2eHostLog log;
  E2eReadHostLog(&log);
  E2eExpectHostMessages(&log, nullptr, 0);
  if (r->chosen < 0) {
    if (E2eCancelAndExit(&s)) E2eExpectNoDrop();
    return;
  }
  E2eClick(s.dlg, IDOK);
  const E2eSource *src = &g_src[r->chosen];
  if (!E2eExpectExitZero(&s) || !E2eExpectDrop(src->bytes, src->len)) return;
  E2eReadHostLog(&log);
  const E2eSent sent[] = {{1, 0}, {2, 5}};
  if (E2eExpectHostMessages(&log, sent, 2)) E2eExpectHostSawSource(&log.msg[1], src);
  E2eExpectFlags(L"3");
}

// Boxes of sorvel's own that open over the insert dialog.
enum Box { kAboutBox, kWarningBox };
struct BoxRow {
  const char *name;
  Box box;
};
const BoxRow kBoxRows[] = {
    // name                        box
    {"about_box_refuses", kAboutBox},
    {"warning_box_refuses", kWarningBox},
};

// Opens the box over the dialog: the about box by a right-click on the bare
// surface, warning 3 by OK with no host running. The box, or null.
HWND OpenBox(E2eSession *s, Box box) {
  if (box == kWarningBox) {
    E2eClick(s->dlg, IDOK);
    return E2eFindMessageBox(s->sorvel.pid, kWarningWaitMs);
  }
  if (!E2eExpectPointerMovedTo(s->start.left + 40, s->start.bottom - 20)) return nullptr;
  E2eSettle(s);
  E2eMouseRight(1);
  E2eMouseRight(0);
  return E2eFindWindow(s->sorvel.pid, L"#32770", kAboutTitle, kDialogWaitMs);
}

// A file dropped on a box over the dialog is refused, and the field behind
// it keeps its text; once the box is closed the dialog takes drops again.
void BoxRefuses(const void *row) {
  const BoxRow *r = static_cast<const BoxRow *>(row);
  const Item file = {kFile, L"on a box over the dialog.mp3", 0};
  if (!MakeItem(0, &file)) return;
  E2eSession s;
  if (!E2eOpenDialog(&s, nullptr)) return;
  E2eSetControlText(s.dlg, IDC_PATH, kTyped);
  HWND box = OpenBox(&s, r->box);
  if (!E2eExpectTrue("box shown", box != nullptr, "none")) return;
  if (!ExpectDropVerdict(E2eCentreOf(box), 1, 0) || !ExpectField(s.dlg, kTyped, 1)) return;
  if (r->box == kWarningBox) E2eDismissMessageBox(box);
  else PostMessageW(box, WM_CLOSE, 0, 0);
  if (!E2eExpectTrue("box closed", E2eWaitGone(box, kGoneWaitMs), "still open after 5 s")) return;
  if (!ExpectDropVerdict(E2eCentreOf(GetDlgItem(s.dlg, IDC_PATH)), 1, 1) || !ExpectField(s.dlg, g_paths[0], 0))
    return;
  E2eCancelAndExit(&s);
}

const E2eTable kDropTables[] = {
    E2E_ROWS(DropThenOk, kDropRows),
    E2E_ROWS(BoxRefuses, kBoxRows),
};

}  // namespace

const E2eGroup g_dropGroup = {"drop", kDropTables, E2E_COUNT(kDropTables)};
