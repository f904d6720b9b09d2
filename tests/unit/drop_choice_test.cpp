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
    std::vector<DropCandidate> items;  // {isFile, length}, a shortcut's {kind, target is a file, target length}
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
      {"link to a file", {{0, 3}, {1, 20, kShellLink, 1, 30}}, 1},
      {"link to a folder", {{1, 20, kShellLink, 0, 12}}, kNoDroppedFile},
      {"link to a missing file, then a file", {{1, 20, kShellLink, 0, 30}, {1, 9}}, 1},
      {"link not readable", {{1, 20, kShellLink, 1, 0}}, kNoDroppedFile},
      {"link to 255 characters", {{1, 300, kShellLink, 1, 255}}, 0},
      {"link to 256 characters", {{1, 20, kShellLink, 1, 256}}, kNoDroppedFile},
      {"link to a link", {{1, 20, kShellLink, 0, 25}}, kNoDroppedFile},
      {"internet shortcut, then a file", {{1, 20, kInternetShortcut, 0, 0}, {1, 9}}, 1},
      {"internet shortcut alone", {{1, 20, kInternetShortcut, 1, 30}}, kNoDroppedFile},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.chosen, ChooseDroppedFile(row.items.data(), static_cast<int>(row.items.size()), kFieldCap))
        << row.name;
  }
}
