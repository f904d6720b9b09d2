// The headless demo: one insertion of a generated sample with autoplay ticked,
// then what the host received and what kx.ini holds.
#include <stdio.h>
#include <string.h>

#include "e2e_groups.h"
#include "e2e_session.h"

namespace {

// Prints a text file line by line under a heading.
void PrintFile(const char *heading, const wchar_t *path) {
  static char text[8192];
  size_t len = 0;
  printf("---- %s\n", heading);
  if (!E2eReadFile(path, text, sizeof text - 1, &len)) {
    printf("(missing)\n");
    return;
  }
  if (len > sizeof text - 1) len = sizeof text - 1;
  text[len] = 0;
  fwrite(text, 1, len, stdout);
  if (len && text[len - 1] != '\n') printf("\n");
  fflush(stdout);
}

void InsertSample(int) {
  // An MP3-looking sample: an ID3 header, then frame headers with filler.
  static unsigned char sample[6000];
  E2eFillPattern(sample, sizeof sample, 2024);
  memcpy(sample, "ID3\x03\x00\x00\x00\x00\x00\x00", 10);
  for (size_t at = 10; at + 4 < sizeof sample; at += 418) memcpy(sample + at, "\xFF\xFB\x90\x64", 4);
  wchar_t path[MAX_PATH];
  E2ePath(path, MAX_PATH, g_workDir, L"demo-sample.mp3");
  if (!E2eExpectTrue("sample written", E2eWriteFile(path, sample, sizeof sample), "write failed")) return;

  E2eProc host;
  E2eSession s;
  if (!E2eStartHost(L"", &host) || !E2eOpenDialog(&s, nullptr)) return;
  E2eFillAndOk(s.dlg, path, 1, 0);
  if (!E2eExpectExitZero(&s)) return;

  char p8[MAX_PATH * 3];
  printf("---- sample %s: %zu bytes, fnv1a %016llx\n", E2eUtf8(path, p8, sizeof p8), sizeof sample,
         E2eFnv1a(sample, sizeof sample));
  E2eHostLog log;
  E2eReadHostLog(&log);
  PrintFile("what the host received", E2eHostLogPath());
  wchar_t ini[MAX_PATH];
  PrintFile("kx.ini", E2eDataFile(ini, MAX_PATH, kSettingsName));
  const E2eSent sent[] = {{1, 0}, {2, 5}};
  if (E2eExpectHostMessages(&log, sent, 2)) {
    E2eExpectInt("host saw the sample's size", (long long)sizeof sample, (long long)log.msg[1].dropSize);
    E2eExpectInt("host saw the sample's hash", (long long)E2eFnv1a(sample, sizeof sample),
                 (long long)log.msg[1].dropHash);
  }
}

// For screenshot.sh: shows the dialog with a path and autoplay ticked, writes
// its rectangle ("left top right bottom") to %E2E_SHOT_RECT% and keeps it up
// until %E2E_SHOT_DONE% exists (at most two minutes).
void HoldForScreenshot(int) {
  wchar_t rectPath[MAX_PATH], donePath[MAX_PATH];
  DWORD n1 = GetEnvironmentVariableW(L"E2E_SHOT_RECT", rectPath, MAX_PATH);
  DWORD n2 = GetEnvironmentVariableW(L"E2E_SHOT_DONE", donePath, MAX_PATH);
  if (!E2eExpectTrue("E2E_SHOT_RECT and E2E_SHOT_DONE set", n1 && n1 < MAX_PATH && n2 && n2 < MAX_PATH, "unset"))
    return;
  const E2eSeed seed = {"[sorvel]\r\nflags=3\r\n", nullptr, nullptr, 0};
  E2eProc host;
  E2eSession s;
  if (!E2eStartHost(L"", &host) || !E2eOpenDialogAt(&s, &seed, 640, 512)) return;
  wchar_t path[MAX_PATH];
  E2eSetControlText(s.dlg, IDC_PATH, E2ePath(path, MAX_PATH, g_musicDir, L"春の歌.mp3"));
  Sleep(500);
  RECT r;
  E2eWindowRect(s.dlg, &r);
  char text[64];
  snprintf(text, sizeof text, "%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  if (!E2eExpectTrue("rectangle written", E2eWriteFile(rectPath, text, strlen(text)), "write failed")) return;
  unsigned long long end = E2eNowMs() + 120000;
  while (!E2eFileExists(donePath) && E2eNowMs() < end) Sleep(50);
  E2eClick(s.dlg, IDCANCEL);
  DWORD code = 0;
  E2eExpectTrue("sorvel ended", E2eWaitExit(&s.sorvel, kExitWaitMs, &code), "still running");
}

const E2eCase kDemoCases[] = {
    // name                   procedure           param
    {"insert_autoplay", InsertSample, 0},
    {"hold_for_screenshot", HoldForScreenshot, 0},
};

const E2eTable kDemoTables[] = {
    E2E_CASES(kDemoCases),
};

}  // namespace

const E2eGroup g_demoGroup = {"demo", kDemoTables, E2E_COUNT(kDemoTables)};
