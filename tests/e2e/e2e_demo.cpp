// The headless demo: one insertion of a generated sample with autoplay ticked,
// then what the host received and what kx.ini holds.
#include <stdio.h>
#include <string.h>

#include "e2e_harness.h"

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

  E2eProc host, sorvel;
  if (!E2eResetDataFolder(nullptr) || !E2eStartHost(L"", &host) || !E2eStartSorvel(&sorvel)) return;
  HWND dlg = E2eFindInsertDialog(sorvel.pid, 10000);
  if (!E2eExpectTrue("insert dialog shown", dlg != nullptr, "none")) return;
  E2eSetControlText(dlg, 1001, path);
  E2eSetCheck(dlg, 1003, 1);
  E2eSetCheck(dlg, 1004, 0);
  E2eClick(dlg, IDOK);
  DWORD code = 0;
  if (!E2eExpectTrue("sorvel ended", E2eWaitExit(&sorvel, 10000, &code), "still running")) return;
  E2eExpectInt("exit code", 0, code);

  char p8[MAX_PATH * 3];
  printf("---- sample %s: %zu bytes, fnv1a %016llx\n", E2eUtf8(path, p8, sizeof p8), sizeof sample,
         E2eFnv1a(sample, sizeof sample));
  E2eHostLog log;
  E2eReadHostLog(&log);
  PrintFile("what the host received", E2eHostLogPath());
  wchar_t ini[MAX_PATH];
  PrintFile("kx.ini", E2eDataFile(ini, MAX_PATH, L"kx.ini"));
  const unsigned long long w[] = {1, 2};
  const long long l[] = {0, 5};
  if (E2eExpectHostMessages(&log, w, l, 2)) {
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
  E2eMoveCursor(640, 512);
  const E2eSeed seed = {"[sorvel]\r\nflags=3\r\n", nullptr, nullptr, 0};
  E2eProc host, sorvel;
  if (!E2eResetDataFolder(&seed) || !E2eStartHost(L"", &host) || !E2eStartSorvel(&sorvel)) return;
  HWND dlg = E2eFindInsertDialog(sorvel.pid, 10000);
  if (!E2eExpectTrue("insert dialog shown", dlg != nullptr, "none")) return;
  wchar_t path[MAX_PATH];
  E2eSetControlText(dlg, 1001, E2ePath(path, MAX_PATH, g_musicDir, L"春の歌.mp3"));
  Sleep(500);
  RECT r;
  E2eWindowRect(dlg, &r);
  char text[64];
  snprintf(text, sizeof text, "%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  if (!E2eExpectTrue("rectangle written", E2eWriteFile(rectPath, text, strlen(text)), "write failed")) return;
  unsigned long long end = E2eNowMs() + 120000;
  while (!E2eFileExists(donePath) && E2eNowMs() < end) Sleep(50);
  E2eClick(dlg, IDCANCEL);
  DWORD code = 0;
  E2eExpectTrue("sorvel ended", E2eWaitExit(&sorvel, 10000, &code), "still running");
}

const E2eCase kDemoCases[] = {
    // name                   procedure           param
    {"insert_autoplay", InsertSample, 0},
    {"hold_for_screenshot", HoldForScreenshot, 0},
};

}  // namespace

const E2eGroup g_demoGroup = {"demo", kDemoCases, E2E_COUNT(kDemoCases)};
