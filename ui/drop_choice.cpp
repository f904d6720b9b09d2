#include "ui/drop_choice.h"

int ChooseDroppedFile(const DropCandidate* candidates, int count, size_t cap) {
  for (int i = 0; i < count; ++i) {
    if (candidates[i].isFile && candidates[i].length < cap) return i;
  }
  return kNoDroppedFile;
}
