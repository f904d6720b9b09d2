#include "app/app_state.h"

#include "base/path_text.h"

namespace {

struct AppState {
  HINSTANCE instance;
  HCURSOR dragCursor;
  HCURSOR hoverCursor;
  wchar_t settingsPath[264];
  int flags;
};

AppState g_app;

}  // namespace

HINSTANCE AppInstance() { return g_app.instance; }
HCURSOR AppDragCursor() { return g_app.dragCursor; }
HCURSOR AppHoverCursor() { return g_app.hoverCursor; }
const wchar_t* AppSettingsPath() { return g_app.settingsPath; }
int AppFlags() { return g_app.flags; }
void SetAppFlags(int flags) { g_app.flags = flags; }

void SetAppInstance(HINSTANCE instance) { g_app.instance = instance; }

void SetAppCursors(HCURSOR drag, HCURSOR hover) {
  g_app.dragCursor = drag;
  g_app.hoverCursor = hover;
}

void SetAppSettingsPath(const wchar_t* path) {
  CopyBounded(g_app.settingsPath, sizeof g_app.settingsPath / sizeof g_app.settingsPath[0], path);
}
