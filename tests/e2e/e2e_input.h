// Real input through the system's input queue, as a user's mouse and keyboard
// give it, and a second process that reports what it sees of that input.
#pragma once

#include <windows.h>

#include "e2e_report.h"

// SetCursorPos; 1 done.
int E2eMoveCursor(int x, int y);
// Real left or right button input (SendInput); 1 sent.
int E2eMouseLeft(int down);
int E2eMouseRight(int down);
// Real mouse motion to (x, y) through the input queue (SendInput, absolute),
// which reaches the window under the cursor (or holding the capture) as
// WM_MOUSEMOVE. 1 sent.
int E2eMouseMoveTo(int x, int y);
// Real motion to (x, y) that waits for the pointer to land there; a pointer
// elsewhere after a second fails the case. 1 landed.
int E2eExpectPointerMovedTo_(E2E_LOC, int x, int y);
#define E2eExpectPointerMovedTo(x, y) E2eExpectPointerMovedTo_(E2E_HERE, x, y)
// A real key press and release (SendInput); it reaches the focus of the
// foreground thread. 1 sent.
int E2eKeyTap(WORD vk);

// The driver started with this argument is the probe.
#define E2E_INPUT_PROBE_ARG "--input-probe"
// The probe's whole run: its exit code has bit 30 set, bit 24 the left button
// held (GetAsyncKeyState), bits 12..23 the cursor y, bits 0..11 the cursor x.
int E2eInputProbeMain();
// Runs the probe as its own process and decodes its answer; 1 when it answered.
int E2eRunInputProbe(int *x, int *y, int *leftHeld);
