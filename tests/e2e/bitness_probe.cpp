// Built only as a 32-bit program: when Wine runs it and it prints its line,
// this machine can run the shipped 32-bit sorvel.exe. A kernel without 32-bit
// execution never gets as far as main.
#include <windows.h>

#include <stdio.h>

int main() {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  printf("32-bit code runs (pointer size %u, WoW64 %d)\n", static_cast<unsigned>(sizeof(void*)), wow64 ? 1 : 0);
  return sizeof(void*) == 4 ? 0 : 1;
}
