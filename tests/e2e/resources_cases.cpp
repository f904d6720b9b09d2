// Facts of the program file that other programs (Explorer's properties, the
// about box) read: the version resource, read the way Explorer reads it.
#include <stdio.h>

#include "e2e_groups.h"
#include "e2e_session.h"

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

const E2eCase kFixedCases[] = {
    // name            procedure      param
    {"version_fixed", FixedVersion, 0},
};

const E2eTable kResourceTables[] = {
    E2E_ROWS(VersionString, kVersionRows),
    E2E_CASES(kFixedCases),
};

}  // namespace

const E2eGroup g_resourcesGroup = {"resources", kResourceTables, E2E_COUNT(kResourceTables)};
