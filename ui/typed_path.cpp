#include "ui/typed_path.h"

#include <stddef.h>

namespace {

int IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\x3000';
}

size_t Length(const wchar_t* text) {
  size_t n = 0;
  while (text[n] != L'\0') ++n;
  return n;
}

}  // namespace

void TrimTypedPath(wchar_t* text) {
  size_t end = Length(text);
  size_t start = 0;
  while (start < end && IsBlank(text[start])) ++start;
  while (end > start && IsBlank(text[end - 1])) --end;
  if (end - start >= 2 && text[start] == L'"' && text[end - 1] == L'"') {
    ++start;
    --end;
  }
  for (size_t i = start; i < end; ++i) text[i - start] = text[i];
  text[end - start] = L'\0';
}
