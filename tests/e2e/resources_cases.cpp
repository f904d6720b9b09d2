// Facts of the program that other programs read: the version resource, read
// the way Explorer's properties read it, and the names the running dialog
// gives the taskbar and screen readers.
#include <stdio.h>
#include <string.h>

#include "e2e_groups.h"
#include "e2e_session.h"
#include "e2e_unix.h"

namespace {

struct VersionRow {
  const char *name;
  const wchar_t *key;
  const wchar_t *value;
};
const VersionRow kVersionRows[] = {
    // name                         key                 value (Japanese, Unicode: block 041104b0)
    {"version_product_name", L"ProductName", L"Sorvel"},
    {"version_internal_name", L"InternalName", L"Sorvel"},
    {"version_original_filename", L"OriginalFilename", L"sorvel.exe"},
    {"version_file_description", L"FileDescription", L"インライン・ミュージック作成プログラム"},
    {"version_comments", L"Comments", L"KobbleにMP3を挿入する"},
    {"version_file_version_text", L"FileVersion", L"1, 0, 0, 1"},
};

void VersionString(const void *row) {
  const VersionRow *r = static_cast<const VersionRow *>(row);
  wchar_t value[256];
  char what[96];
  char k8[64];
  snprintf(what, sizeof what, "StringFileInfo\\041104b0\\%s", E2eUtf8(r->key, k8, sizeof k8));
  if (!E2eExpectTrue(what, E2eVersionString(g_sorvelExe, L"041104b0", r->key, value, 256), "missing")) return;
  E2eExpectText(what, r->value, value);
}

void FixedVersion(int) {
  DWORD ms = 0, ls = 0;
  if (!E2eExpectTrue("fixed file version", E2eFixedVersion(g_sorvelExe, &ms, &ls), "no version resource")) return;
  E2eExpectInt("file version (major << 16 | minor)", 0x00010000, ms);
  E2eExpectInt("file version (build << 16 | private)", 0x00000001, ls);
}

// Where no caption or text shows them, the running dialog names itself to the
// taskbar and Alt+Tab (window text, big and small icons) and its browse button
// to a screen reader. The button still shows its icon alone: its pixels are
// the same with the template's text put back.
void DialogNames(int) {
  E2eSession s;
  if (!E2eOpenDialog(&s, nullptr)) return;
  wchar_t text[64] = L"";
  GetWindowTextW(s.dlg, text, 64);
  E2eExpectText("insert dialog's window text", kDialogName, text);
  // Wine does not answer WM_GETICON across processes; what it hands the
  // desktop for the taskbar is read instead: the big and the small icon.
  int widths[4] = {0, 0, 0, 0};
  E2eExpectInt("icons for the taskbar", 2, E2eTaskbarIconSizes(s.dlg, widths, 4));
  E2eExpectInt("big icon's size", GetSystemMetrics(SM_CXICON), widths[0]);
  E2eExpectInt("small icon's size", GetSystemMetrics(SM_CXSMICON), widths[1]);
  HWND browse = GetDlgItem(s.dlg, IDC_BROWSE);
  E2eExpectText("browse button's text", kBrowseName, E2eControlText(s.dlg, IDC_BROWSE, text, 64));
  E2eAccessibleName(browse, text, 64);
  E2eExpectText("browse button's accessible name", kBrowseName, text);
  static DWORD shown[128 * 128], withOtherText[128 * 128];
  RECT r;
  E2eWindowRect(browse, &r);
  E2eSettle(&s);
  if (!E2eExpectTrue("browse button's pixels read", E2eGrabScreen(&r, shown, 128 * 128), "failed")) return;
  E2eSetControlText(s.dlg, IDC_BROWSE, L"Button1");
  E2eSettle(&s);
  E2eGrabScreen(&r, withOtherText, 128 * 128);
  size_t n = (size_t)(r.right - r.left) * (size_t)(r.bottom - r.top);
  E2eExpectTrue("browse button shows its icon alone", !memcmp(shown, withOtherText, n * sizeof shown[0]),
                "its pixels change with its text");
}

const E2eCase kFixedCases[] = {
    // name            procedure      param
    {"version_fixed", FixedVersion, 0},
    {"dialog_names", DialogNames, 0},
};

const E2eTable kResourceTables[] = {
    E2E_ROWS(VersionString, kVersionRows),
    E2E_CASES(kFixedCases),
};

}  // namespace

const E2eGroup g_resourcesGroup = {"resources", kResourceTables, E2E_COUNT(kResourceTables)};
