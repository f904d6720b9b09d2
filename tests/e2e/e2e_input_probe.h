// A second process that reports what it sees of the shared input state, so
// the input cases can check what another program (sorvel) would see.
#pragma once

#define E2E_INPUT_PROBE_ARG "--input-probe"

// Exit code of the probe: bit 30 always set, bit 24 the left button held
// (GetAsyncKeyState), bits 12..23 the cursor y, bits 0..11 the cursor x.
int E2eInputProbeMain();
// Runs the probe as its own process and decodes its answer; 1 when it answered.
int E2eRunInputProbe(int *x, int *y, int *leftHeld);
