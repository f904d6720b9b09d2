// Path text: bounded copies in fixed buffers, and where a path lies.
#pragma once
#include <stddef.h>

// Appends tail to the NUL-terminated text in buf (capacity cap, NUL included).
// Returns 1 when all of tail fits; 0 leaves buf unchanged.
int AppendBounded(wchar_t* buf, size_t cap, const wchar_t* tail);

// Copies src into buf (capacity cap, NUL included).
// Returns 1 when all of src fits; 0 leaves buf holding the empty text.
int CopyBounded(wchar_t* buf, size_t cap, const wchar_t* src);

// Returns 1 when path names something inside folder (given with or without its
// trailing backslash), at a folder boundary: "C:\T" holds "C:\T\a" but neither
// "C:\T2\a" nor "C:\T" itself. The texts are compared code unit by code unit,
// so bring both to one case and form first; an empty folder holds nothing.
int PathLiesUnder(const wchar_t* path, const wchar_t* folder);

// What a path names by its extension: no shortcut, a shell link (.lnk) or an
// Internet shortcut (.url).
enum ShortcutKind { kNoShortcut = 0, kShellLink = 1, kInternetShortcut = 2 };

// Returns the ShortcutKind that path names by its extension, in any letter
// case; dots and blanks after it count for nothing, as Windows drops them.
int ShortcutKindOf(const wchar_t* path);

// Answers 1 when the drive of letter ('A' to 'Z') is a network drive; context
// is what the caller handed along with it.
typedef int (*DriveIsRemoteFn)(wchar_t letter, void* context);

// Returns 1 when looking path up may wait on a network that does not answer:
// two leading separators of either kind (\\server\share, //server/share, or
// just "\\"), \\?\UNC\ and any other \\?\, \??\ or \\.\ path that names no
// drive letter, or a drive letter, bare or behind one of those, that
// driveIsRemote reports as remote. driveIsRemote is asked for drive-letter
// paths only. 0 for every other path: local drives, relative and empty paths.
int PathMayWaitOnNetwork(const wchar_t* path, DriveIsRemoteFn driveIsRemote, void* context);

// Returns 1 when path names a device rather than a file: anything behind
// \\.\, anything behind \\?\ or \??\ but a drive, UNC\ or a volume, and a
// last part that is a reserved name (CON, NUL, COM1, LPT1 and the like, with
// any extension). Reading one may block for good.
int PathNamesDevice(const wchar_t* path);

// Returns 1 when the target a shortcut stores can stand for a file to send:
// an absolute path (from a drive's root or a share, never resolved against
// whatever folder is current) that names no device and no other shortcut.
int ShortcutTargetUsable(const wchar_t* target);
