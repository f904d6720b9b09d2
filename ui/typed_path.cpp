#include "ui/typed_path.h"

#include <stddef.h>

namespace {

int IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\x3000';
}

// Invisible marks of text direction (embeddings, overrides and isolates),
// the zero-width space and the byte order mark. A path copied from a file's
// Properties (Security tab, "Object name") begins with U+202A, text copied
// from a web page or a chat carries isolates or a zero-width space at either
// end; no path begins or ends with one, and the system would take it for part
// of the name.
int IsMark(wchar_t c) {
  return c == L'\x200B' || c == L'\x200E' || c == L'\x200F' || (c >= L'\x202A' && c <= L'\x202E') ||
         (c >= L'\x2066' && c <= L'\x2069') || c == L'\xFEFF';
}

int IsBlankOrMark(wchar_t c) { return IsBlank(c) || IsMark(c); }

size_t Length(const wchar_t* text) {
  size_t n = 0;
  while (text[n] != L'\0') ++n;
  return n;
}

}  // namespace

void TrimTypedPath(wchar_t* text) {
  size_t end = Length(text);
  size_t start = 0;
  while (start < end && IsBlankOrMark(text[start])) ++start;
  while (end > start && IsBlankOrMark(text[end - 1])) --end;
  if (end - start >= 2 && text[start] == L'"' && text[end - 1] == L'"') {
    ++start;
    --end;
    // Blanks inside the quotes may be the name's own; marks never are.
    while (start < end && IsMark(text[start])) ++start;
    while (end > start && IsMark(text[end - 1])) --end;
  }
  for (size_t i = start; i < end; ++i) text[i - start] = text[i];
  text[end - start] = L'\0';
}
