#include "tests/support/tool_list_support.h"

#include <stdlib.h>

namespace {

// Gives buf room for need bytes in one step; 0 when it cannot.
int Reserve(ToolListBuffer* buf, size_t need) {
  if (buf->limit != 0 && need > buf->limit) return 0;
  if (need <= buf->capacity) return 1;
  char* grown = static_cast<char*>(realloc(buf->data, need));
  if (grown == nullptr) return 0;
  buf->data = grown;
  buf->capacity = need;
  return 1;
}

}  // namespace

int RewriteToolListInto(const char* old, size_t oldSize, const char* line,
                        size_t lineSize, ToolListBuffer* out) {
  out->size = 0;
  ToolListEdit edit;
  int outcome = RewriteToolList(old, oldSize, line, lineSize, &edit);
  if (outcome != kToolListReplaced && outcome != kToolListAppended) {
    FreeToolListBuffer(out);
    return outcome;
  }
  // All the room at once: the whole content or none of it.
  if (!Reserve(out, edit.size)) {
    FreeToolListBuffer(out);
    return kToolListNoMemory;
  }
  JoinToolListEdit(&edit, out->data);
  out->size = edit.size;
  return outcome;
}

void FreeToolListBuffer(ToolListBuffer* buf) {
  free(buf->data);
  buf->data = nullptr;
  buf->size = 0;
  buf->capacity = 0;
}
