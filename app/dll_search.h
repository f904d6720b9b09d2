// Where the process may load DLLs from.
#pragma once

// Called first in WinMain, before anything can load a DLL: from then on DLLs
// loaded by name come from the system folder, never from the program's folder
// (often a download folder) or the current folder.
void RestrictDllSearch();
