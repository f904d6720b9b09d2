#include "ui/insert_dialog.h"

#include <windows.h>
#include <shellapi.h>

#include <stdlib.h>

#include "base/path_text.h"
#include "base/settings_value.h"
#include "base/shortcut.h"
#include "host/send_to_host.h"
#include "ui/about_box.h"
#include "ui/choose_file.h"
#include "ui/drop_choice.h"
#include "ui/resource.h"
#include "ui/typed_path.h"
#include "ui/warning.h"
#include "ui/worker_wait.h"
#include "window/dpi.h"
#include "window/drag_mover.h"
#include "window/message_filter.h"
#include "window/place_near_cursor.h"

namespace {

// The path field holds at most this many characters and the NUL.
enum { kPathFieldCap = 256 };

// How long a drop may take to be looked at: the shortcuts read, the files
// looked up, which on a disk or a share that answers takes a moment. Past
// it, the drop is refused, as the user asked for no wait.
const DWORD kDropWaitMs = 5000;

// The item index that asks DragQueryFileW for the number of items.
const UINT kDropCountIndex = 0xFFFFFFFF;

// Names no caption shows: the taskbar button, Alt+Tab and screen readers
// read them.
const wchar_t kWindowTitle[] = L"Sorvel";
const wchar_t kBrowseName[] = L"参照";

// Posted to place the dialog on the cursor once the system has finished
// resizing it for a new scale.
const UINT kPlaceAgain = WM_APP + 1;

// What start-up hands the one run of the dialog; the dialog procedure has no
// other way to it, as the dialog's creation parameter stays unused.
struct InsertDialog {
  HINSTANCE instance;
  int* flags;
  HICON bigIcon;    // the window's icons, at the scale they were loaded for
  HICON smallIcon;
  int busy;         // OK or a drop is under way: it takes no second one
};

InsertDialog g_dialog;

HICON LoadIconSized(int id, int size) {
  return static_cast<HICON>(LoadImageW(g_dialog.instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

void DestroyIconIfAny(HANDLE icon) {
  if (icon) DestroyIcon(static_cast<HICON>(icon));
}

// Loads the browse button's icon and the window's icons at the sizes of the
// dialog's scale, and lets go of those they replace.
void LoadScaledIcons(HWND dialog) {
  int smallSize = MetricForWindow(dialog, SM_CXSMICON);
  HICON browse = LoadIconSized(IDI_BROWSE, smallSize);
  DestroyIconIfAny(reinterpret_cast<HANDLE>(
      SendDlgItemMessageW(dialog, IDC_BROWSE, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(browse))));
  HICON big = LoadIconSized(IDI_SORVEL, MetricForWindow(dialog, SM_CXICON));
  HICON little = LoadIconSized(IDI_SORVEL, smallSize);
  SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little));
  DestroyIconIfAny(g_dialog.bigIcon);
  DestroyIconIfAny(g_dialog.smallIcon);
  g_dialog.bigIcon = big;
  g_dialog.smallIcon = little;
}

void OnInitDialog(HWND dialog) {
  PlaceNearCursor(dialog);
  // As an unowned window the dialog has a taskbar button and an Alt+Tab
  // entry, which show its window text and icons. The browse button shows only
  // its icon; its text (the template's is "Button1") is what a screen reader
  // announces.
  SetWindowTextW(dialog, kWindowTitle);
  SetDlgItemTextW(dialog, IDC_BROWSE, kBrowseName);
  LoadScaledIcons(dialog);
  SendDlgItemMessageW(dialog, IDC_PATH, EM_LIMITTEXT, kPathFieldCap - 1, 0);
  int flags = *g_dialog.flags;
  CheckDlgButton(dialog, IDC_AUTOPLAY, (flags & kFlagAutoplay) ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_LOOP, (flags & kFlagLoop) ? BST_CHECKED : BST_UNCHECKED);
  // Files are accepted from here on, not through the template, which stays
  // as it shipped; also when this copy runs elevated and Explorer does not.
  DragAcceptFiles(dialog, TRUE);
  AllowDropsFromLowerRights(dialog);
}

// The dialog accepts files only while it is enabled. A box of its own over it
// (about box, warning, file chooser) disables it, and a drop on that box
// would otherwise be handed up to the dialog and change the field behind it.
void OnEnable(HWND dialog, WPARAM enabled) { DragAcceptFiles(dialog, enabled ? TRUE : FALSE); }

void OnOk(HWND dialog) {
  // The options are kept before sending, so they persist even when it fails.
  *g_dialog.flags = FlagsWithOptions(*g_dialog.flags, IsDlgButtonChecked(dialog, IDC_AUTOPLAY) == BST_CHECKED,
                                     IsDlgButtonChecked(dialog, IDC_LOOP) == BST_CHECKED);
  // A longer text would be cut when read and could name another file; an
  // empty path makes the send report that the file cannot be created.
  wchar_t path[kPathFieldCap] = L"";
  if (GetWindowTextLengthW(GetDlgItem(dialog, IDC_PATH)) < kPathFieldCap) {
    GetDlgItemTextW(dialog, IDC_PATH, path, kPathFieldCap);
  }
  TrimTypedPath(path);
  g_dialog.busy = 1;
  int result = SendToHost(path, *g_dialog.flags, dialog, WaitOnWorker);
  // Keys and presses made while a send held the dialog still (an Enter
  // pressed again because nothing seemed to happen) would close the warning
  // the moment it opens, unseen, or press OK again, which after warning 8
  // inserts the file twice.
  DropQueuedInput();
  g_dialog.busy = 0;
  if (result == kSendDone) {
    EndDialog(dialog, 0);
  } else if (result != kSendAbandoned) {
    ShowWarning(result, dialog);
  }
}

INT_PTR OnBrowse(HWND dialog) {
  wchar_t path[kChoosePathCap] = L"";
  GetDlgItemTextW(dialog, IDC_PATH, path, kPathFieldCap);
  TrimTypedPath(path);
  if (!ChooseMp3File(path, dialog)) return FALSE;
  SetDlgItemTextW(dialog, IDC_PATH, path);
  return TRUE;
}

// While OK or a drop is under way, a command that reaches the dialog by
// other ways than the user's input (a screen reader's, a close from the
// taskbar) starts nothing; Cancel gives up the wait.
INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
  WORD command = LOWORD(wParam);
  if (g_dialog.busy) {
    if (command == IDCANCEL) AbandonWait();
    return FALSE;
  }
  switch (command) {
    case IDOK:
      OnOk(dialog);
      return FALSE;
    case IDCANCEL:
      EndDialog(dialog, -1);
      return FALSE;
    case IDC_BROWSE:
      return OnBrowse(dialog);
  }
  return FALSE;
}

int IsFile(const wchar_t* path) {
  DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// What the drop says of item index: its path's length, whether it is a file,
// and for a shell link its target; shown (kShortcutTargetCap) gets the path
// the field would show. A path too long for the field is not read, so its
// kind is not asked. Run on a worker: any look-up may wait on a network.
DropCandidate DroppedItem(HDROP drop, UINT index, wchar_t* shown) {
  DropCandidate item = {0, DragQueryFileW(drop, index, nullptr, 0)};
  if (item.length < kPathFieldCap && DragQueryFileW(drop, index, shown, kPathFieldCap) == item.length) {
    item.isFile = IsFile(shown);
    item.shortcut = ShortcutKindOf(shown);
    if (item.shortcut == kShellLink) {
      item.targetLength = ReadShortcutTarget(shown, shown, kShortcutTargetCap);
      item.targetIsFile = item.targetLength != 0 && ShortcutTargetUsable(shown) && IsFile(shown);
    }
  }
  return item;
}

// A drop to look at on a worker, and the path it gives the field. The drop
// is the worker's to finish, also when the wait for it is given up.
struct DropJob {
  WorkerJob job;  // first, so that the record is freed through it
  HDROP drop;
  int taken;
  wchar_t shown[kShortcutTargetCap];
};

void ChooseOnWorker(WorkerJob* job) {
  DropJob* d = reinterpret_cast<DropJob*>(job);
  UINT count = DragQueryFileW(d->drop, kDropCountIndex, nullptr, 0);
  // Asked item by item, the choice needs no list for a drop of any size,
  // reads no shortcut beyond the one taken, and leaves its path in shown.
  for (UINT i = 0; i < count && !d->taken && !JobAbandoned(job); ++i) {
    DropCandidate item = DroppedItem(d->drop, i, d->shown);
    d->taken = ChooseDroppedFile(&item, 1, kPathFieldCap) == 0;
  }
  DragFinish(d->drop);
}

// Puts the first dropped file that fits, or the target of a shell link, into
// the path field once it is looked at; when none does, or the user does not
// wait for it, or OK is under way, the field keeps its text and the user
// hears that nothing was taken.
void OnDropFiles(HWND dialog, HDROP drop) {
  DropJob* job = g_dialog.busy ? nullptr : static_cast<DropJob*>(calloc(1, sizeof(DropJob)));
  if (!job) {
    DragFinish(drop);
    MessageBeep(0);
    return;
  }
  job->job.run = ChooseOnWorker;
  job->drop = drop;
  ReadyShortcutReading();
  g_dialog.busy = 1;
  int ended = WaitOnWorker(dialog, &job->job, kDropWaitMs);
  DropQueuedInput();
  g_dialog.busy = 0;
  if (ended && job->taken) {
    SetDlgItemTextW(dialog, IDC_PATH, job->shown);
  } else {
    MessageBeep(0);
  }
  // A drop given up is the worker's to free.
  if (ended) free(job);
}

// Windows 8.1 and later send this when the dialog comes onto a monitor of
// another scale, placed there before it is first shown or dragged there
// later, also from inside a move of the drag. The dialog manager's handling
// that follows rescales the controls and their font and places the dialog at
// the rectangle in lParam; the drag decides that rectangle and writes it back
// there, so both place it alike. The icons are reloaded here for the new
// size. Wine never sends this message, so no end-to-end case reaches it; the
// drag machine's unit rows run it on a simulated desktop of two monitors.
void OnDpiChanged(HWND dialog, WPARAM dpi, RECT* suggested) {
  DragMover::ScaleChanged(dialog, LOWORD(dpi), suggested);
  LoadScaledIcons(dialog);
  // Placed from WM_INITDIALOG onto another scale: centre it again at its new
  // size, after the default handling has resized it.
  if (!IsWindowVisible(dialog)) PostMessageW(dialog, kPlaceAgain, 0, 0);
}

void OnDestroy(HWND dialog) {
  DragAcceptFiles(dialog, FALSE);
  DestroyIconIfAny(reinterpret_cast<HANDLE>(SendDlgItemMessageW(dialog, IDC_BROWSE, BM_GETIMAGE, IMAGE_ICON, 0)));
  SendMessageW(dialog, WM_SETICON, ICON_BIG, 0);
  SendMessageW(dialog, WM_SETICON, ICON_SMALL, 0);
  DestroyIconIfAny(g_dialog.bigIcon);
  DestroyIconIfAny(g_dialog.smallIcon);
  g_dialog.bigIcon = nullptr;
  g_dialog.smallIcon = nullptr;
}

INT_PTR CALLBACK InsertDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  DragMover::HandleMessage(dialog, message, wParam, lParam);
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      return FALSE;
    case WM_COMMAND:
      return OnCommand(dialog, wParam);
    case WM_ENABLE:
      OnEnable(dialog, wParam);
      return FALSE;
    case WM_DROPFILES:
      OnDropFiles(dialog, reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_CONTEXTMENU:
      if (!g_dialog.busy) RunAboutBox(g_dialog.instance, dialog);
      return FALSE;
    case WM_DPICHANGED:
      OnDpiChanged(dialog, wParam, reinterpret_cast<RECT*>(lParam));
      return FALSE;
    case kPlaceAgain:
      PlaceNearCursor(dialog);
      return TRUE;
    case WM_DESTROY:
      OnDestroy(dialog);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

int RunInsertDialog(HINSTANCE instance, int* flags) {
  g_dialog.instance = instance;
  g_dialog.flags = flags;
  INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_INSERT), nullptr, InsertDialogProc, 0);
  return result == 0 ? 0 : -1;
}
