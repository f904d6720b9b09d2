// The file a Windows shortcut (.lnk) stands for.
#pragma once
#include <stddef.h>

// A target is read into this much room, so that a long one is never cut to
// a shorter path that names another file.
enum { kShortcutTargetCap = 1024 };

// Loads what reading a shortcut needs, once per process. Called on the
// dialog's thread before a worker may read one, so no two threads load it.
void ReadyShortcutReading();

// Reads the target path stored in the shell link at link into target
// (capacity cap, NUL included), never searching for a target that moved.
// Returns the path's length when it was read whole, else 0 (target then
// holds nothing to use), also for an advertised (installer) shortcut, whose
// path names no target. link may be target's own buffer: it is read first.
// Any thread may read, once ReadyShortcutReading has run.
size_t ReadShortcutTarget(const wchar_t* link, wchar_t* target, size_t cap);
