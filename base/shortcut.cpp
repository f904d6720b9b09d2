#include "base/shortcut.h"

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
// Bound on the dialog's thread and only read by the workers.
struct ComBinding {
  int attempted;
  CoInitializeExProc initialize;
  CoCreateInstanceProc createInstance;
  CoUninitializeProc uninitialize;
};

ComBinding g_com;

// Spelt out, so that libuuid is not linked for four values.
const GUID kShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID kShellLinkWInterface = {0x000214F9, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID kPersistFileInterface = {0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID kShellLinkDataListInterface = {0x45E2B4AE, 0xB1C3, 0x11D0, {0xB9, 0x2F, 0x00, 0xA0, 0xC9, 0x03, 0x12, 0xE1}};

// 1 when all three of g_com are bound.
int Bound() { return g_com.initialize && g_com.createInstance && g_com.uninitialize; }

// 1 when the loaded shellLink is known to store its target as a path. An
// advertised (installer) shortcut does not: the path it answers names a
// stand-in file in the Installer folder, which would be sent as the MP3.
int StoresPlainPath(IShellLinkW* shellLink) {
  IShellLinkDataList* data = nullptr;
  if (FAILED(shellLink->QueryInterface(kShellLinkDataListInterface, reinterpret_cast<void**>(&data)))) return 0;
  DWORD flags = 0;
  int plain = SUCCEEDED(data->GetFlags(&flags)) && !(flags & SLDF_HAS_DARWINID);
  data->Release();
  return plain;
}

// The stored path's length, 0 when it was not read whole.
size_t ReadStoredPath(const wchar_t* link, wchar_t* target, size_t cap) {
  IShellLinkW* shellLink = nullptr;
  if (FAILED(g_com.createInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkWInterface,
                                 reinterpret_cast<void**>(&shellLink)))) {
    return 0;
  }
  IPersistFile* file = nullptr;
  int read = 0;
  if (SUCCEEDED(shellLink->QueryInterface(kPersistFileInterface, reinterpret_cast<void**>(&file)))) {
    // No Resolve: looking for a target that moved may search the disks or
    // wait on a server that does not answer, with the dialog frozen.
    read = file->Load(link, STGM_READ) == S_OK && StoresPlainPath(shellLink) &&
           shellLink->GetPath(target, static_cast<int>(cap), nullptr, 0) == S_OK;
    file->Release();
  }
  shellLink->Release();
  // A path that fills the buffer may have been cut, and would name another file.
  size_t length = read ? wcslen(target) : 0;
  return length + 1 < cap ? length : 0;
}

}  // namespace

void ReadyShortcutReading() {
  if (g_com.attempted) return;
  g_com.attempted = 1;
  HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");
  g_com.initialize = LookupProc<CoInitializeExProc>(ole32, "CoInitializeEx");
  g_com.createInstance = LookupProc<CoCreateInstanceProc>(ole32, "CoCreateInstance");
  g_com.uninitialize = LookupProc<CoUninitializeProc>(ole32, "CoUninitialize");
}

size_t ReadShortcutTarget(const wchar_t* link, wchar_t* target, size_t cap) {
  if (!Bound()) return 0;
  HRESULT init = g_com.initialize(nullptr, COINIT_APARTMENTTHREADED);
  size_t length = ReadStoredPath(link, target, cap);
  // A thread that had COM in another mode keeps it, and is not uninitialised.
  if (SUCCEEDED(init)) g_com.uninitialize();
  return length;
}
