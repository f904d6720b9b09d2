// The tool-list rewrite with its edit joined into one owned buffer, so that
// a test or the fuzzer can compare whole contents and make memory run short.
#pragma once
#include <stddef.h>

#include "host/tool_list.h"

// RewriteToolListInto's outcome when the buffer cannot hold the whole new
// content; numbered after the rewrite's own outcomes.
enum { kToolListNoMemory = 5 };

// Growing byte buffer for a whole content. Zero it before first use; limit,
// when not 0, is the most bytes it may hold, which is how memory runs short.
struct ToolListBuffer {
  char* data;
  size_t size;
  size_t capacity;
  size_t limit;
};

// RewriteToolList with the new content copied whole into out. Returns its
// outcome with out holding the new content for kToolListReplaced or
// kToolListAppended, or kToolListNoMemory when out cannot hold all of it;
// every outcome but those two leaves out empty, its memory released.
int RewriteToolListInto(const char* old, size_t oldSize, const char* line,
                        size_t lineSize, ToolListBuffer* out);

// Releases the buffer's memory and leaves it empty, its limit kept.
void FreeToolListBuffer(ToolListBuffer* buf);
