#include "host/tool_list.h"

#include <stdint.h>
#include <string.h>

#include "base/settings_value.h"

namespace {

// "36" TAB "Sorvel" TAB "Sorvel(MP3挿入)" TAB and the opening quote; the two
// Japanese characters are written as their code page 932 bytes so the line
// does not depend on the compiler's source or execution character set.
const char kLineHead[] = "36\tSorvel\tSorvel(MP3\x91\x7d\x93\xfc)\t\"";
const char kLineTail[] = "\"\r\n";
const char kCrLf[] = "\r\n";

enum { kOwnToolId = 36 };

// Adds a piece to the edit unless it is empty: an empty write is a call for
// nothing, and an empty slice of the list has no bytes to point at.
void AddPiece(ToolListEdit* edit, const char* bytes, size_t n) {
  if (n == 0) return;
  edit->pieces[edit->count].bytes = bytes;
  edit->pieces[edit->count].size = n;
  edit->count++;
  edit->size += n;
}

// First byte c in [p, p + n), or null. The list is looked through a machine
// word at a time: the run-time library's memchr of some systems (Wine's among
// them) goes byte by byte, which made the scan of a long list cost as much as
// writing it. A word holds c where (x - ones) & ~x & highs is not 0, with x
// the word XOR c in every byte; the bytes are then found one by one.
const char* FindByte(const char* p, size_t n, char c) {
  const uintptr_t ones = ~uintptr_t{0} / 0xFF;
  const uintptr_t highs = ones << 7;
  const uintptr_t pattern = ones * static_cast<unsigned char>(c);
  size_t i = 0;
  for (; n - i >= sizeof(uintptr_t); i += sizeof(uintptr_t)) {
    uintptr_t word;
    memcpy(&word, p + i, sizeof word);
    uintptr_t x = word ^ pattern;
    if (((x - ones) & ~x & highs) != 0) break;
  }
  for (; i < n; ++i) {
    if (p[i] == c) return p + i;
  }
  return nullptr;
}

// Offset of the first CR LF at or after from, or size when none follows.
size_t LineEnd(const char* text, size_t from, size_t size) {
  // Only a CR with room for an LF behind it can start a line end.
  for (size_t i = from; i + 1 < size;) {
    const char* cr = FindByte(text + i, size - 1 - i, '\r');
    if (cr == nullptr) break;
    size_t at = static_cast<size_t>(cr - text);
    if (text[at + 1] == '\n') return at;
    i = at + 1;
  }
  return size;
}

}  // namespace

size_t FormatToolListLine(const char* programPath, char line[kToolListLineCap]) {
  const void* nul = memchr(programPath, '\0', kToolListPathCap);
  if (nul == nullptr) return 0;
  size_t pathSize = static_cast<size_t>(static_cast<const char*>(nul) - programPath);
  if (pathSize == 0) return 0;
  // Code page 932 trail bytes are 0x40 and above, so a byte test cannot
  // mistake half of a double-byte character for a quote or a line end.
  for (size_t i = 0; i < pathSize; ++i) {
    unsigned char c = static_cast<unsigned char>(programPath[i]);
    if (c < 0x20 || c == '"') return 0;
  }
  size_t head = sizeof kLineHead - 1;
  size_t tail = sizeof kLineTail - 1;
  memcpy(line, kLineHead, head);
  memcpy(line + head, programPath, pathSize);
  memcpy(line + head + pathSize, kLineTail, tail);
  return head + pathSize + tail;
}

int FindOwnToolListLine(const char* old, size_t oldSize, size_t* start, size_t* end) {
  *start = 0;
  *end = 0;
  // Behind a NUL a text-based reader of the list sees nothing; such a list is
  // not ours to judge, and rewriting it could lose what follows the NUL.
  if (FindByte(old, oldSize, '\0') != nullptr) return kToolListOutsideFormat;

  for (size_t from = 0; from < oldSize;) {
    size_t to = LineEnd(old, from, oldSize);
    // The TAB is looked for through the rest of the list, not just this line,
    // so a TAB further down tells a stray line apart from the list's tail.
    const char* lineStart = old + from;
    const char* tab = FindByte(lineStart, oldSize - from, '\t');
    if (tab == nullptr) break;
    if (tab > old + to) return kToolListGap;
    // The id field ends at its TAB, not at a NUL, so it is read with bounds.
    // The reading saturates instead of wrapping, so no digit string other
    // than 36 itself (leading zeros aside) reads as 36, nor does "-36".
    if (ReadDecimal(lineStart, static_cast<size_t>(tab - lineStart)) == kOwnToolId) {
      // A lone CR or LF means the "line" may really be several entries written
      // with another line end; replacing it would drop other tools.
      if (FindByte(lineStart, to - from, '\r') != nullptr || FindByte(lineStart, to - from, '\n') != nullptr) {
        return kToolListOutsideFormat;
      }
      *start = from;
      *end = to;
      return kToolListReplaced;
    }
    from = to + 2;
  }
  return kToolListAppended;
}

int ReadToolListPath(const char* line, size_t size, size_t* pathStart, size_t* pathSize) {
  *pathStart = 0;
  *pathSize = 0;
  // Code page 932 trail bytes are 0x40 and above, so neither a TAB nor a
  // quote found here can be half of a double-byte character.
  size_t at = 0;
  for (int tabs = 0; tabs < 3; ++tabs) {
    const char* tab = FindByte(line + at, size - at, '\t');
    if (tab == nullptr) return 0;
    at = static_cast<size_t>(tab - line) + 1;
  }
  // A line with more fields, or a path not quoted as the own line quotes it,
  // is not one this program wrote: its path is not ours to judge.
  size_t n = size - at;
  if (FindByte(line + at, n, '\t') != nullptr) return 0;
  if (n < 3 || line[at] != '"' || line[size - 1] != '"') return 0;
  if (FindByte(line + at + 1, n - 2, '"') != nullptr) return 0;
  *pathStart = at + 1;
  *pathSize = n - 2;
  return 1;
}

int RewriteToolList(const char* old, size_t oldSize, const char* line,
                    size_t lineSize, ToolListEdit* edit) {
  edit->count = 0;
  edit->size = 0;
  size_t start = 0;
  size_t end = 0;
  int outcome = FindOwnToolListLine(old, oldSize, &start, &end);
  if (outcome == kToolListReplaced) {
    size_t after = end < oldSize ? end + 2 : oldSize;
    AddPiece(edit, old, start);
    AddPiece(edit, line, lineSize);
    AddPiece(edit, old + after, oldSize - after);
    return kToolListReplaced;
  }
  if (outcome != kToolListAppended) return outcome;

  int endsInCrLf = oldSize >= 2 && old[oldSize - 2] == '\r' && old[oldSize - 1] == '\n';
  AddPiece(edit, old, oldSize);
  if (oldSize != 0 && !endsInCrLf) AddPiece(edit, kCrLf, 2);
  AddPiece(edit, line, lineSize);
  return kToolListAppended;
}

int ToolListEditChanges(const ToolListEdit* edit, const char* old, size_t oldSize) {
  if (edit->size != oldSize) return 1;
  size_t at = 0;
  for (int i = 0; i < edit->count; ++i) {
    if (memcmp(old + at, edit->pieces[i].bytes, edit->pieces[i].size) != 0) return 1;
    at += edit->pieces[i].size;
  }
  return 0;
}

void JoinToolListEdit(const ToolListEdit* edit, char* out) {
  size_t at = 0;
  for (int i = 0; i < edit->count; ++i) {
    memcpy(out + at, edit->pieces[i].bytes, edit->pieces[i].size);
    at += edit->pieces[i].size;
  }
}
