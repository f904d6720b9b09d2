// Unix programs run from the driver, on files it knows by Windows paths.
// Wine starts a Unix program without a process handle, so each run leaves a
// mark file with its exit status behind, and the driver waits for that.
#pragma once

#include <windows.h>

#include <stddef.h>

#include "e2e_report.h"

// The Unix name (UTF-8) of a Windows path into out; 1 done, 0 when there is
// none, it does not fit, or it holds a single quote (so '...' always quotes it).
int E2eUnixName(const wchar_t *path, char *out, size_t cap);
// Runs command (UTF-8 shell text, no double quote in it) with /bin/sh and
// waits up to timeoutMs for it to end. 1 ended, its exit status in *status;
// 0 when it could not be started or did not end in time.
int E2eRunUnix(const char *command, DWORD timeoutMs, int *status);

// The widths of the icons that a desktop's taskbar is given for the
// top-level window hwnd: Wine hands the window's big and small icons to the
// X server as its _NET_WM_ICON property, read here with xprop. Fills up to
// cap widths in order; returns how many, or -1 when it could not be read.
int E2eTaskbarIconSizes(HWND hwnd, int *widths, int cap);

// Drops the files at paths (count of them) at screen point p as a file
// manager does, through the XDND sender that E2E_XDND_DROP names; 1 when it
// says the window there took the drop (taken 1) or refused it (taken 0).
// What it said is named on failure.
int E2eDropFiles_(E2E_LOC, POINT p, const wchar_t *const *paths, int count, int taken);
#define E2eDropFiles(p, paths, count, taken) E2eDropFiles_(E2E_HERE, p, paths, count, taken)
