#include "ui/warning.h"

#include "host/send_result.h"

namespace {

struct Warning {
  int code;
  const wchar_t* text;
};

// Shown through the wide API so that the texts read right whatever the
// system's code page is.
const Warning kWarnings[] = {
    {kWarnNoMemory, L"メモリが足りません."},
    {kWarnAlreadyRunning, L"二重起動です."},
    {kSendNoHost, L"『Kobble』が起動していません．"},
    {kSendNotEditing, L"『Kobble』の編集中ではありません．"},
    {kSendCannotCreate, L"『Kobble』のファイルが作成できません．"},
    {kSendRefused, L"『Kobble』が管理者として実行されているため、挿入できません．Sorvelも管理者として実行してください．"},
    {kSendNotAnswering, L"『Kobble』が応答していません．しばらく待ってから、もう一度［OK］を押してください．"},
    {kSendUnconfirmed, L"『Kobble』から挿入の確認がありません．ページに挿入されたかを確かめてください．"},
};

}  // namespace

const wchar_t* WarningText(int code) {
  for (const Warning& w : kWarnings) {
    if (w.code == code) return w.text;
  }
  return nullptr;
}

void ShowWarning(int code, HWND owner) {
  const wchar_t* text = WarningText(code);
  if (!text) return;
  MessageBeep(0);
  MessageBoxW(owner, text, L"Sorvel", MB_OK | MB_ICONWARNING | MB_TOPMOST);
}
