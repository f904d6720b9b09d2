// The insert dialog: the program's only window.
#pragma once

// Runs the dialog modally. Returns 0 after a successful send, -1 after Cancel,
// or -1 when the dialog could not be created.
int RunInsertDialog();
