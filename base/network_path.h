// Whether looking a path up on this machine may wait on a network.
#pragma once

// Returns 1 when looking path up may wait on a network that does not answer:
// a share, or a drive letter this machine maps to one (PathMayWaitOnNetwork of
// base/path_text.h, with the system's drive types); 0 for every other path.
int LookupMayWaitOnNetwork(const wchar_t* path);
