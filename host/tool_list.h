// The host's tool list as bytes: Sorvel's own line and the rewrite that puts it
// in the list. No file access here; the caller reads and writes the list.
#pragma once
#include <stddef.h>

enum {
  kToolListPathCap = 256,  // program path in code page 932, NUL included
  kToolListLineCap = 320,  // own line: fixed fields, quoted path, CR LF
};

// What the rewrite found; only the first two give content to write.
enum {
  kToolListReplaced = 1,    // the first line with id 36 now holds the own line
  kToolListAppended = 2,    // own line added at the end (alone for an empty list)
  kToolListGap = 3,         // a line without TAB before a later line with one
  kToolListOutsideFormat = 4,  // a NUL byte, or a lone CR or LF in the line to replace
};

enum { kToolListPieceCap = 4 };

// A run of bytes of the new content, lying in the old list, in the own line or
// in a constant CR LF; never empty.
struct ToolListPiece {
  const char* bytes;
  size_t size;
};

// The new content as the old list with the own line put in: its pieces in
// order, and their total size. Nothing is copied, so it stays valid only as
// long as the old list and the own line it was made from.
struct ToolListEdit {
  ToolListPiece pieces[kToolListPieceCap];
  int count;
  size_t size;
};

// Writes Sorvel's own line for programPath (NUL-terminated, code page 932):
// 36 TAB Sorvel TAB display name TAB quoted path CR LF, no NUL after it.
// Returns its length, or 0 when the path is empty, does not fit in
// kToolListPathCap with its NUL, or holds a double quote or control byte.
size_t FormatToolListLine(const char* programPath, char line[kToolListLineCap]);

// Finds the line that the own line replaces in the list old (oldSize bytes,
// any content): the first line whose id reads as 36. Returns
// kToolListReplaced with [*start, *end) that line without its CR LF,
// kToolListAppended when no line has id 36, or kToolListGap or
// kToolListOutsideFormat for a list not to be rewritten (*start, *end 0).
int FindOwnToolListLine(const char* old, size_t oldSize, size_t* start, size_t* end);

// Finds the program path in a line of the list (size bytes, without CR LF):
// the bytes between the double quotes of its fourth and last TAB-separated
// field. Returns 1 with the path at line + *pathStart, *pathSize bytes; 0 when
// that field is missing, is not exactly one quoted text, holds an empty path,
// or has another field behind it.
int ReadToolListPath(const char* line, size_t size, size_t* pathStart, size_t* pathSize);

// Decides how line goes into the list old (oldSize bytes, any content):
// replacing the first line whose id reads as 36, else added at the end.
// Returns kToolListReplaced or kToolListAppended with edit holding the pieces
// of the whole new content; any other outcome leaves edit without pieces
// (count and size 0): nothing is to be written. Allocates nothing.
int RewriteToolList(const char* old, size_t oldSize, const char* line,
                    size_t lineSize, ToolListEdit* edit);

// 1 when the content the edit stands for differs from old (oldSize bytes),
// the list it was made from; 0 when writing it would give the same bytes.
int ToolListEditChanges(const ToolListEdit* edit, const char* old, size_t oldSize);

// Copies the edit's pieces in order into out, which has room for edit->size
// bytes: the whole new content in one run. Cannot fail.
void JoinToolListEdit(const ToolListEdit* edit, char* out);
