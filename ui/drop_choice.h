// Which of the items dropped on the insert dialog goes into its path field.
// Pure choice over what the glue learnt of each item, so it is tested natively.
#pragma once
#include <stddef.h>

// One dropped item as the choice sees it.
struct DropCandidate {
  int isFile;     // 1 a file; 0 a folder, a missing item, or one not looked at
  size_t length;  // its full path's length in characters, NUL not counted
};

// ChooseDroppedFile's answer when no item can be taken.
enum { kNoDroppedFile = -1 };

// The index of the first candidate that is a file whose whole path fits in a
// field of cap characters (NUL included), or kNoDroppedFile. A path is never
// cut to fit: a shorter text would name another file.
int ChooseDroppedFile(const DropCandidate* candidates, int count, size_t cap);
