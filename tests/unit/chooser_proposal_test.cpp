#include "ui/chooser_proposal.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// "C:\" followed by n - 3 letters: a folder path of n characters.
std::wstring FolderOf(size_t n) { return L"C:\\" + std::wstring(n - 3, L'f'); }

}  // namespace

TEST(ChooserProposal, FolderIsUsedWheneverItFits) {
  struct Row {
    const char* name;
    std::wstring path;
    std::wstring folder;  // initial folder handed to the dialog
    std::wstring title;   // name moved to the file-title buffer
    std::wstring after;   // path as the dialog gets it
    int result;
  };
  const std::wstring f250 = FolderOf(250), f254 = FolderOf(254), f255 = FolderOf(255), f256 = FolderOf(256);
  const Row rows[] = {
      // name                  path                     folder        title       path after          result
      {"fits", L"C:\\Music\\無題", L"C:\\Music", L"無題", L"C:\\Music\\無題", 1},
      {"fits to the last char", f250 + L"\\abcd", f250, L"abcd", f250 + L"\\abcd", 1},
      {"name does not fit", f254 + L"\\無題", f254, L"無題", L"", 1},
      {"folder alone fills the buffer", f255 + L"\\無題", f255, L"無題", L"", 1},
      {"folder does not fit", f256 + L"\\無題", L"", L"無題", L"", 0},
      {"no backslash", L"song.mp3", L"", L"song.mp3", L"song.mp3", 0},
      {"drive root keeps its backslash", L"C:\\無題", L"C:\\", L"無題", L"C:\\無題", 1},
      {"empty", L"", L"", L"", L"", 0},
  };
  for (const Row& row : rows) {
    wchar_t path[300];
    row.path.copy(path, 299);
    path[row.path.size()] = L'\0';
    wchar_t folder[kChooserCap] = L"junk";
    wchar_t title[kChooserCap] = L"junk";
    EXPECT_EQ(row.result, SplitChooserProposal(path, folder, title)) << row.name;
    EXPECT_EQ(row.folder, std::wstring(folder)) << row.name;
    EXPECT_EQ(row.title, std::wstring(title)) << row.name;
    EXPECT_EQ(row.after, std::wstring(path)) << row.name;
  }
}
