#include "ui/drop_choice.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The path field: 255 characters and the NUL.
const size_t kFieldCap = 256;

}  // namespace

TEST(DropChoice, FirstFileThatFitsWins) {
  struct Row {
    const char* name;
    std::vector<DropCandidate> items;  // {isFile, length}
    int chosen;
  };
  const Row rows[] = {
      // name                               items                                    chosen
      {"one file", {{1, 20}}, 0},
      {"nothing dropped", {}, kNoDroppedFile},
      {"folder alone", {{0, 12}}, kNoDroppedFile},
      {"folder, then two files", {{0, 12}, {1, 30}, {1, 31}}, 1},
      {"two files: the first", {{1, 40}, {1, 10}}, 0},
      {"255 characters fit", {{1, 255}}, 0},
      {"256 characters do not", {{1, 256}}, kNoDroppedFile},
      {"long file skipped for the next", {{1, 300}, {0, 5}, {1, 255}}, 2},
      {"folders and long files only", {{0, 3}, {1, 256}, {0, 400}}, kNoDroppedFile},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.chosen, ChooseDroppedFile(row.items.data(), static_cast<int>(row.items.size()), kFieldCap))
        << row.name;
  }
}
