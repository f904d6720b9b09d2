// End-to-end runner: runs the case tables of the selected groups against
// sorvel.exe and the stand-in host, which it expects next to itself.
//
//   e2e_driver.exe [--sorvel PATH] [--standin PATH] [--list] [SELECTOR...]
//
// A selector picks every case whose "group.case" name starts with it
// ("spine" or "spine.browse"). Without one, every group except demo runs.
// Prints "N passed, N failed" at the end; exits 0 only when nothing failed.
#include <stdio.h>
#include <string.h>

#include "e2e_groups.h"
#include "e2e_session.h"

namespace {

const E2eGroup *const kGroups[] = {
    &g_spineGroup, &g_inputGroup, &g_resourcesGroup, &g_demoGroup, &g_placementGroup,
    &g_dragGroup,  &g_aboutGroup, &g_toolListGroup,  &g_faultsGroup, &g_dropGroup,
    &g_plantingGroup, &g_dpiGroup, &g_waitsGroup,
};

// Groups that run only when named: the demo; the display scales, each row
// of which needs a session started at its own scale; the waits, which need
// the slow share that run_e2e.sh mounts for them.
int RunsOnlyWhenNamed(const E2eGroup *group) {
  return !strcmp(group->name, "demo") || !strcmp(group->name, "dpi") || !strcmp(group->name, "waits");
}

int Selected(const E2eGroup *group, const char *name, char **selectors, int count) {
  if (count == 0) return !RunsOnlyWhenNamed(group);
  char full[256];
  snprintf(full, sizeof full, "%s.%s", group->name, name);
  for (int i = 0; i < count; ++i) {
    if (!strncmp(full, selectors[i], strlen(selectors[i]))) return 1;
  }
  return 0;
}

void Widen(const char *text, wchar_t *out, int cap) {
  if (!MultiByteToWideChar(CP_ACP, 0, text, -1, out, cap)) out[0] = 0;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc >= 2 && !strcmp(argv[1], E2E_INPUT_PROBE_ARG)) return E2eInputProbeMain();
  E2eBecomeDpiAware();

  wchar_t sorvel[MAX_PATH] = L"", standin[MAX_PATH] = L"";
  char *selectors[64];
  int selectorCount = 0, list = 0;
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--sorvel") && i + 1 < argc) Widen(argv[++i], sorvel, MAX_PATH);
    else if (!strcmp(argv[i], "--standin") && i + 1 < argc) Widen(argv[++i], standin, MAX_PATH);
    else if (!strcmp(argv[i], "--list")) list = 1;
    else if (selectorCount < 64) selectors[selectorCount++] = argv[i];
  }

  if (list) {
    for (const E2eGroup *group : kGroups)
      for (int t = 0; t < group->count; ++t)
        for (int i = 0; i < group->tables[t].count; ++i) printf("%s.%s\n", group->name, E2eRowName(&group->tables[t], i));
    return 0;
  }
  if (!E2eInit(sorvel[0] ? sorvel : nullptr, standin[0] ? standin : nullptr)) {
    printf("0 passed, 1 failed\n");
    return 1;
  }

  int passed = 0, failed = 0, serial = 0;
  for (const E2eGroup *group : kGroups) {
    for (int t = 0; t < group->count; ++t) {
      const E2eTable *table = &group->tables[t];
      for (int i = 0; i < table->count; ++i) {
        const char *name = E2eRowName(table, i);
        if (!Selected(group, name, selectors, selectorCount)) continue;
        unsigned long long start = E2eNowMs();
        E2eReportBegin(group->name, name);
        E2eHostBeginCase(++serial);
        table->run(static_cast<const char *>(table->rows) + table->rowSize * (size_t)i);
        E2eEndAll();
        int ok = E2eReportPassed();
        printf("%s %s.%s (%.1f s)\n", ok ? "ok  " : "FAIL", group->name, name, (double)(E2eNowMs() - start) / 1000.0);
        fflush(stdout);
        if (ok) ++passed;
        else ++failed;
      }
    }
  }
  if (passed + failed == 0) {
    printf("no case matches the selection\n");
    failed = 1;
  }
  printf("%d passed, %d failed\n", passed, failed);
  fflush(stdout);
  return failed ? 1 : 0;
}
