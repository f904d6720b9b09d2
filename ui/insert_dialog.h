// The insert dialog: the program's only window.
#pragma once
#include <windows.h>

// Runs the dialog modally from instance's resources. *flags sets the check
// boxes at the start and takes their state at every OK, before the send; it
// must outlive the dialog. Returns 0 after a successful send, -1 after Cancel,
// or -1 when the dialog could not be created.
int RunInsertDialog(HINSTANCE instance, int* flags);
