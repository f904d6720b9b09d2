// How a proposed path is handed to the open-file dialog: the folder it opens
// in and the name it proposes. Pure text work, so it is tested natively.
#pragma once

// What the open-file dialog is told its path, folder and name buffers hold,
// NUL included.
enum { kChooserCap = 256 };

// Splits path (folder, backslash, name) at its last backslash. folder gets
// the part before it ("C:\" for a drive's root, where "C:" alone would mean
// the drive's current folder) and title the part after it, each only when it
// fits in kChooserCap, else the empty text. path is emptied when it does not
// fit in kChooserCap as a whole, so the dialog opens in the folder with an
// empty name rather than failing. Without a backslash, folder is empty and
// title holds path. Returns 1 when folder was set.
int SplitChooserProposal(wchar_t* path, wchar_t folder[kChooserCap], wchar_t title[kChooserCap]);
