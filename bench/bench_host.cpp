// A host window that does nothing but answer: class "Kobble API-kurasu", title
// "Kobble TSR", 1 to the editing probe and 1 to the insert notification. The
// insertion timing measures Sorvel, so the host adds no work of its own.
#include <windows.h>

namespace {

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 37) return 1;
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = HostProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"Kobble API-kurasu";
  if (!RegisterClassW(&wc)) return 1;
  if (!CreateWindowExW(0, wc.lpszClassName, L"Kobble TSR", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                       instance, nullptr))
    return 1;
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  return 0;
}
