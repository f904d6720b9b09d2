#include "app/app_state.h"

#include "base/path_text.h"

namespace {

struct AppState {
  wchar_t settingsPath[264];
};

AppState g_app;

}  // namespace

const wchar_t* AppSettingsPath() { return g_app.settingsPath; }

void SetAppSettingsPath(const wchar_t* path) {
  CopyBounded(g_app.settingsPath, sizeof g_app.settingsPath / sizeof g_app.settingsPath[0], path);
}
