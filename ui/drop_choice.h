// Which of the items dropped on the insert dialog goes into its path field.
// Pure choice over what the glue learnt of each item, so it is tested natively.
#pragma once
#include <stddef.h>

#include "base/path_text.h"

// One dropped item as the choice sees it. A shell link stands for its target;
// an item given as {isFile, length} alone is no shortcut.
struct DropCandidate {
  int isFile;                  // 1 a file; 0 a folder, a missing item, or one not looked at
  size_t length;               // its full path's length in characters, NUL not counted
  int shortcut = kNoShortcut;  // the ShortcutKind its path names
  int targetIsFile = 0;        // a shell link: 1 when its target is usable and an existing file
  size_t targetLength = 0;     // a shell link: its target's length, 0 when it could not be read
};

// ChooseDroppedFile's answer when no item can be taken.
enum { kNoDroppedFile = -1 };

// The index of the first candidate that is a file whose whole path fits in a
// field of cap characters (NUL included), or a shell link whose target is such
// a file; or kNoDroppedFile.
// An Internet shortcut is never taken. A path is never cut to fit: a shorter
// text would name another file.
int ChooseDroppedFile(const DropCandidate* candidates, int count, size_t cap);
