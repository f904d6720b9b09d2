// The planting cases' control: loads comdlg32.dll by its bare name, as an
// unguarded program does, so that a marker planted beside it must run. If it
// does not, the rig plants nothing and the cases would prove nothing.
// Exit code 0 when a DLL of that name loaded.
#include <windows.h>

int main() { return LoadLibraryW(L"comdlg32.dll") ? 0 : 1; }
