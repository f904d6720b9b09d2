// What the cases expect of sorvel, held once: the texts it shows, the line it
// enters in the tool list, and how long anything may take.
#pragma once

#include <windows.h>

#include <stddef.h>

// ---- Texts -------------------------------------------------------------------

extern const wchar_t kWarnNoMemory[];        // メモリが足りません.
extern const wchar_t kWarnAlreadyRunning[];  // 二重起動です.
extern const wchar_t kWarnNotRunning[];      // 『Kobble』が起動していません．
extern const wchar_t kWarnNotEditing[];      // 『Kobble』の編集中ではありません．
extern const wchar_t kWarnCannotCreate[];    // 『Kobble』のファイルが作成できません．
extern const wchar_t kWarnNotAnswering[];    // 『Kobble』が応答していません．...
extern const wchar_t kChooserTitle[];        // the open-file dialog's title
extern const wchar_t kAboutTitle[];          // 『Sorvel』について
extern const wchar_t kTitleLine[];           // the insert dialog's title line
extern const wchar_t kPathLabel[];           // the label of the path field
extern const wchar_t kDialogName[];          // Sorvel: the insert dialog's window text
extern const wchar_t kBrowseName[];          // 参照: the browse button's text and accessible name

// ---- Time bounds, generous for a loaded machine; a correct program meets
// them at once -----------------------------------------------------------------

enum : DWORD {
  kDialogWaitMs = 10000,   // start to the insert dialog, or to the about box
  kExitWaitMs = 10000,     // OK or Cancel to the end of the process
  kWarningWaitMs = 10000,  // OK to the warning box
  kGoneWaitMs = 5000,      // a box closed to its window gone
  kChooserWaitMs = 15000,  // Browse to the open-file dialog
  kQuietMs = 500,          // how long a negative check watches
  kCaptureWaitMs = 5000,   // a drag to start or end
  kMoveWaitMs = 5000,      // the dialog to reach where a drag takes it
};
// A hold drags after 500 ms; a drag seen sooner than this after the press
// came from something else than the hold.
const unsigned long long kHoldFloorMs = 400;
// The tool gives up on a host that does not answer the probe after 10 s, or
// at once when the system sees it hung: its warning comes within these bounds
// after OK (from kHungWarningFromMs on for a host that was answering until
// asked), and within kHungWarningWaitMs at the latest.
const long long kHungWarningFromMs = 9000, kHungWarningToMs = 12000;
const DWORD kHungWarningWaitMs = 20000;
// A host that answers the probe and then reads no messages for kBusyHostMs,
// longer than the probe's bound: the tool waits up to 60 s for it to take the
// notice, so it arrives within kBusyHostNoticeWaitMs of OK.
const DWORD kBusyHostMs = 15000, kBusyHostNoticeWaitMs = 30000;

// ---- The tool list -------------------------------------------------------------

// Writes into out the line sorvel must enter for the program at exe (ended by
// CR LF, no NUL): its path in code page 932, or its short form when some
// character has none there. Returns its length; 0 when it does not fit in cap
// or the path has no code page 932 form, long or short.
size_t E2eOwnListLine(const wchar_t *exe, unsigned char *out, size_t cap);
