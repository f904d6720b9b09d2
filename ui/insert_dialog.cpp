#include "ui/insert_dialog.h"

#include <windows.h>
#include <shellapi.h>

#include "base/settings_value.h"
#include "host/send_to_host.h"
#include "ui/about_box.h"
#include "ui/choose_file.h"
#include "ui/drop_choice.h"
#include "ui/resource.h"
#include "ui/typed_path.h"
#include "ui/warning.h"
#include "window/drag_mover.h"
#include "window/place_near_cursor.h"

namespace {

// The path field holds at most this many characters and the NUL.
enum { kPathFieldCap = 256 };

// Dropped items are looked at this many at a time, so a drop of any size
// needs no more than one fixed list.
enum { kDropBatch = 32 };
// The item index that asks DragQueryFileW for the number of items.
const UINT kDropCountIndex = 0xFFFFFFFF;

// What start-up hands the one run of the dialog; the dialog procedure has no
// other way to it, as the dialog's creation parameter stays unused.
struct InsertDialog {
  HINSTANCE instance;
  int* flags;
};

InsertDialog g_dialog;

void OnInitDialog(HWND dialog) {
  PlaceNearCursor(dialog);
  HANDLE icon = LoadImageW(g_dialog.instance, MAKEINTRESOURCEW(IDI_BROWSE), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR);
  SendDlgItemMessageW(dialog, IDC_BROWSE, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  SendDlgItemMessageW(dialog, IDC_PATH, EM_LIMITTEXT, kPathFieldCap - 1, 0);
  int flags = *g_dialog.flags;
  CheckDlgButton(dialog, IDC_AUTOPLAY, (flags & kFlagAutoplay) ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_LOOP, (flags & kFlagLoop) ? BST_CHECKED : BST_UNCHECKED);
  // Files are accepted from here on, not through the template, which stays
  // as it shipped.
  DragAcceptFiles(dialog, TRUE);
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
  int result = SendToHost(path, *g_dialog.flags);
  if (result == kSendDone) {
    EndDialog(dialog, 0);
  } else {
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

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
  switch (LOWORD(wParam)) {
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

// What the drop says of item index: its path's length, and whether it is a
// file. A path too long for the field is not read, so its kind is not asked.
DropCandidate DroppedItem(HDROP drop, UINT index) {
  DropCandidate item = {0, DragQueryFileW(drop, index, nullptr, 0)};
  wchar_t path[kPathFieldCap];
  if (item.length < kPathFieldCap && DragQueryFileW(drop, index, path, kPathFieldCap) == item.length) {
    DWORD attributes = GetFileAttributesW(path);
    item.isFile = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  return item;
}

// Puts the first dropped file that fits into the path field; when none does,
// the field keeps its text and the user hears why nothing happened.
void OnDropFiles(HWND dialog, HDROP drop) {
  UINT count = DragQueryFileW(drop, kDropCountIndex, nullptr, 0);
  int taken = 0;
  for (UINT first = 0; first < count && !taken; first += kDropBatch) {
    DropCandidate batch[kDropBatch];
    int size = 0;
    while (size < kDropBatch && first + static_cast<UINT>(size) < count) {
      batch[size] = DroppedItem(drop, first + static_cast<UINT>(size));
      ++size;
    }
    int chosen = ChooseDroppedFile(batch, size, kPathFieldCap);
    wchar_t path[kPathFieldCap];
    if (chosen != kNoDroppedFile && DragQueryFileW(drop, first + static_cast<UINT>(chosen), path, kPathFieldCap)) {
      SetDlgItemTextW(dialog, IDC_PATH, path);
      taken = 1;
    }
  }
  if (!taken) MessageBeep(0);
  DragFinish(drop);
}

void OnDestroy(HWND dialog) {
  DragAcceptFiles(dialog, FALSE);
  HANDLE icon = reinterpret_cast<HANDLE>(SendDlgItemMessageW(dialog, IDC_BROWSE, BM_GETIMAGE, IMAGE_ICON, 0));
  if (icon) DestroyIcon(static_cast<HICON>(icon));
}

INT_PTR CALLBACK InsertDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  DragMover::HandleMessage(dialog, message, wParam);
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
      RunAboutBox(g_dialog.instance, dialog);
      return FALSE;
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
