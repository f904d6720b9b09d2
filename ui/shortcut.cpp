#include "ui/shortcut.h"

#include <windows.h>
#include <shlobj.h>
#include <wchar.h>

#include "base/system_library.h"

namespace {

typedef HRESULT(WINAPI* CoInitializeExProc)(void*, DWORD);
typedef HRESULT(WINAPI* CoCreateInstanceProc)(REFCLSID, IUnknown*, DWORD, REFIID, void**);
typedef void(WINAPI* CoUninitializeProc)();

// COM is needed only when a shortcut is read, so ole32 is loaded then, once
// per process, rather than imported: start-up loads no more than it did.
enum { kInitialize, kCreateInstance, kUninitialize, kComProcs };
const char* const kComNames[kComProcs] = {"CoInitializeEx", "CoCreateInstance", "CoUninitialize"};
int g_comAttempted;
FARPROC g_com[kComProcs];

// Spelt out, so that libuuid is not linked for three values.
const GUID kShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID kShellLinkWInterface = {0x000214F9, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID kPersistFileInterface = {0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// 1 when all of g_com is bound; a procedure missing leaves those after it null.
int Bind() {
  if (!g_comAttempted) {
    g_comAttempted = 1;
    HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
    for (int i = 0; ole32 && i < kComProcs; ++i) {
      g_com[i] = GetProcAddress(ole32, kComNames[i]);
      if (!g_com[i]) break;
    }
  }
  return g_com[kUninitialize] != nullptr;
}

template <typename Proc>
Proc ComProc(int index) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(g_com[index]));
}

// The stored path's length, 0 when it was not read whole.
size_t ReadStoredPath(const wchar_t* link, wchar_t* target, size_t cap) {
  IShellLinkW* shellLink = nullptr;
  if (FAILED(ComProc<CoCreateInstanceProc>(kCreateInstance)(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER,
                                                             kShellLinkWInterface,
                                                             reinterpret_cast<void**>(&shellLink)))) {
    return 0;
  }
  IPersistFile* file = nullptr;
  int read = 0;
  if (SUCCEEDED(shellLink->QueryInterface(kPersistFileInterface, reinterpret_cast<void**>(&file)))) {
    // No Resolve: looking for a target that moved may search the disks or
    // wait on a server that does not answer, with the dialog frozen.
    read = file->Load(link, STGM_READ) == S_OK &&
           shellLink->GetPath(target, static_cast<int>(cap), nullptr, 0) == S_OK;
    file->Release();
  }
  shellLink->Release();
  // A path that fills the buffer may have been cut, and would name another file.
  size_t length = read ? wcslen(target) : 0;
  return length + 1 < cap ? length : 0;
}

}  // namespace

size_t ReadShortcutTarget(const wchar_t* link, wchar_t* target, size_t cap) {
  if (!Bind()) return 0;
  HRESULT init = ComProc<CoInitializeExProc>(kInitialize)(nullptr, COINIT_APARTMENTTHREADED);
  size_t length = ReadStoredPath(link, target, cap);
  // A thread that had COM in another mode keeps it, and is not uninitialised.
  if (SUCCEEDED(init)) ComProc<CoUninitializeProc>(kUninitialize)();
  return length;
}
