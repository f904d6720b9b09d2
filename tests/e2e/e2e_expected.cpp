#include "e2e_expected.h"

#include <string.h>

const wchar_t kWarnNoMemory[] = L"メモリが足りません.";
const wchar_t kWarnAlreadyRunning[] = L"二重起動です.";
const wchar_t kWarnNotRunning[] = L"『Kobble』が起動していません．";
const wchar_t kWarnNotEditing[] = L"『Kobble』の編集中ではありません．";
const wchar_t kWarnCannotCreate[] = L"『Kobble』のファイルが作成できません．";
const wchar_t kWarnNotAnswering[] = L"『Kobble』が応答していません．しばらく待ってから、もう一度［OK］を押してください．";
const wchar_t kChooserTitle[] = L"Kobbleに挿入するMP3ファイルを選択する";
const wchar_t kAboutTitle[] = L"『Sorvel』について";
const wchar_t kTitleLine[] = L"Sorvel (KobbleにMP3を挿入する)";
const wchar_t kPathLabel[] = L"MP3ファイル";
const wchar_t kDialogName[] = L"Sorvel";
const wchar_t kBrowseName[] = L"参照";

namespace {

// "36" TAB "Sorvel" TAB "Sorvel(MP3挿入)" TAB and the opening quote, the two
// Japanese characters in code page 932.
const unsigned char kOwnHead[] = {0x33, 0x36, 0x09, 0x53, 0x6f, 0x72, 0x76, 0x65, 0x6c, 0x09, 0x53, 0x6f, 0x72, 0x76,
                                  0x65, 0x6c, 0x28, 0x4d, 0x50, 0x33, 0x91, 0x7d, 0x93, 0xfc, 0x29, 0x09, 0x22};

// Code page 932 form of text when every character has an exact one; 0 when not.
int ExactCp932(const wchar_t *text, char *out, int cap) {
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text, -1, out, cap, nullptr, &usedDefault);
  return n > 0 && !usedDefault ? n - 1 : 0;
}

}  // namespace

size_t E2eOwnListLine(const wchar_t *exe, unsigned char *out, size_t cap) {
  char path[MAX_PATH * 2];
  int n = ExactCp932(exe, path, sizeof path);
  if (n == 0) {
    wchar_t shortPath[MAX_PATH];
    DWORD got = GetShortPathNameW(exe, shortPath, MAX_PATH);
    if (got == 0 || got >= MAX_PATH) return 0;
    n = ExactCp932(shortPath, path, sizeof path);
    if (n == 0) return 0;
  }
  size_t len = sizeof kOwnHead + (size_t)n + 3;
  if (len > cap) return 0;
  memcpy(out, kOwnHead, sizeof kOwnHead);
  memcpy(out + sizeof kOwnHead, path, (size_t)n);
  memcpy(out + sizeof kOwnHead + n, "\"\r\n", 3);
  return len;
}
