// Facts of the program file that other programs (Explorer's properties, the
// about box) read: the version resource, read the way Explorer reads it.
#include <stdio.h>

#include "e2e_harness.h"

namespace {

struct VersionRow {
  const wchar_t *key;
  const wchar_t *value;
};
const VersionRow kVersionRows[] = {
    // key                 value (Japanese, Unicode: block 041104b0)
    {L"ProductName", L"Sorvel"},
    {L"InternalName", L"Sorvel"},
    {L"OriginalFilename", L"sorvel.exe"},
    {L"FileDescription", L"インライン・ミュージック作成プログラム"},
    {L"Comments", L"KobbleにMP3を挿入する"},
    {L"FileVersion", L"1, 0, 0, 1"},
};

void VersionString(int row) {
  const VersionRow *r = &kVersionRows[row];
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

const E2eCase kResourceCases[] = {
    // name                          procedure       param
    {"version_product_name", VersionString, 0},
    {"version_internal_name", VersionString, 1},
    {"version_original_filename", VersionString, 2},
    {"version_file_description", VersionString, 3},
    {"version_comments", VersionString, 4},
    {"version_file_version_text", VersionString, 5},
    {"version_fixed", FixedVersion, 0},
};

}  // namespace

const E2eGroup g_resourcesGroup = {"resources", kResourceCases, E2E_COUNT(kResourceCases)};
