#include "ui/choose_file.h"

#include <commdlg.h>
#include <shlobj.h>
#include <wchar.h>

#include "base/data_folder.h"
#include "base/path_text.h"
#include "base/system_library.h"
#include "ui/chooser_proposal.h"

namespace {

const wchar_t kUntitled[] = L"無題";

// The common-dialog library costs every start a noticeable time to load, yet
// only Browse needs it: it is loaded on first use and stays for the run. A
// comdlg32.dll lying next to the program must never be the one that runs.
typedef BOOL(WINAPI* OpenFileNameProc)(OPENFILENAMEW*);

OpenFileNameProc OpenFileDialog() {
  static OpenFileNameProc proc;
  if (!proc) {
    HMODULE library = LoadSystemLibrary(L"comdlg32.dll");
    FARPROC found = library ? GetProcAddress(library, "GetOpenFileNameW") : nullptr;
    proc = reinterpret_cast<OpenFileNameProc>(reinterpret_cast<void*>(found));
  }
  return proc;
}

}  // namespace

int ChooseMp3File(wchar_t path[kChoosePathCap], HWND owner) {
  wchar_t folder[kChooserCap] = L"";
  wchar_t title[kChooserCap] = L"";

  if (path[0] == L'\0') {
    if (SHGetSpecialFolderPathW(owner, path, CSIDL_MYMUSIC, FALSE)) {
      AppendBounded(path, kChoosePathCap, L"\\");
      AppendBounded(path, kChoosePathCap, kUntitled);
    } else {
      path[0] = L'\0';
    }
  } else {
    // Without a folder part there is nowhere sensible to open the dialog.
    wchar_t* last = wcsrchr(path, L'\\');
    if (!last) return 0;
    if (last[1] == L'\0') AppendBounded(path, kChoosePathCap, kUntitled);
  }
  SplitChooserProposal(path, folder, title);

  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  // The owner was made from the program's own resources.
  ofn.hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
  ofn.lpstrFilter = L"MP3ファイル\0*.mp3\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path;
  ofn.nMaxFile = kChooserCap;
  ofn.lpstrFileTitle = title;
  ofn.nMaxFileTitle = kChooserCap;
  ofn.lpstrInitialDir = folder[0] ? folder : nullptr;
  ofn.lpstrTitle = L"Kobbleに挿入するMP3ファイルを選択する";
  ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  OpenFileNameProc getOpenFileName = OpenFileDialog();
  if (!getOpenFileName || !getOpenFileName(&ofn)) return 0;
  return PathExists(path);
}
