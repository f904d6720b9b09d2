#include "ui/typed_path.h"

#include <gtest/gtest.h>

#include <wchar.h>

TEST(TypedPath, BlanksAndOneEnclosingPairOfQuotesGo) {
  struct Row {
    const char* name;
    const wchar_t* typed;
    const wchar_t* used;
  };
  const Row rows[] = {
      // name                          typed                                  used
      {"plain path", L"C:\\a\\song.mp3", L"C:\\a\\song.mp3"},
      {"copied as path", L"\"C:\\a\\song.mp3\"", L"C:\\a\\song.mp3"},
      {"blanks around", L"  C:\\a\\song.mp3\t\r\n", L"C:\\a\\song.mp3"},
      {"quoted, blanks outside", L" \"C:\\a\\song.mp3\"  ", L"C:\\a\\song.mp3"},
      {"ideographic spaces", L"\x3000\"C:\\曲\\歌.mp3\"\x3000", L"C:\\曲\\歌.mp3"},
      {"blanks inside quotes kept", L"\" C:\\a\\song.mp3 \"", L" C:\\a\\song.mp3 "},
      {"blanks inside the path kept", L"C:\\my music\\a b.mp3", L"C:\\my music\\a b.mp3"},
      {"only one pair goes", L"\"\"C:\\a.mp3\"\"", L"\"C:\\a.mp3\""},
      {"lone opening quote", L"\"C:\\a\\song.mp3", L"\"C:\\a\\song.mp3"},
      {"lone closing quote", L"C:\\a\\song.mp3\"", L"C:\\a\\song.mp3\""},
      {"quote inside the name", L"C:\\a\\so\"ng.mp3", L"C:\\a\\so\"ng.mp3"},
      {"quotes around a part", L"\"C:\\a\"\\song.mp3", L"\"C:\\a\"\\song.mp3"},
      {"one quote alone", L"\"", L"\""},
      {"only quotes", L"\"\"", L""},
      {"empty", L"", L""},
      {"only blanks", L" \t \x3000 ", L""},
      {"mark in front (Properties)", L"\x202A" L"C:\\a\\song.mp3", L"C:\\a\\song.mp3"},
      {"every mark, both ends", L"\x200E\x200F\x202A\x202B\x202C\x202D\x202E\xFEFF" L"C:\\a.mp3\x202C\x200F",
       L"C:\\a.mp3"},
      {"marks and blanks mixed", L" \x202A\x3000\x200E\"C:\\a.mp3\"\x202C \t", L"C:\\a.mp3"},
      {"marks inside the quotes", L"\"\x202A" L"C:\\a.mp3\x202C\"", L"C:\\a.mp3"},
      {"mark inside the path kept", L"\x202A" L"C:\\a\x202E" L"b\\song.mp3", L"C:\\a\x202E" L"b\\song.mp3"},
      {"isolates and zero-width space at the ends", L"\x2066\x200B\x2067" L"C:\\a.mp3\x2068\x2069\x200B", L"C:\\a.mp3"},
      {"isolate and zero-width space inside kept", L"C:\\a\x2066" L"b\x200B\\c.mp3", L"C:\\a\x2066" L"b\x200B\\c.mp3"},
      {"near-marks kept", L"\x200D" L"C:\\a.mp3\x2060\x2065\x206A", L"\x200D" L"C:\\a.mp3\x2060\x2065\x206A"},
      {"only marks", L"\x202A\xFEFF", L""},
  };
  for (const Row& row : rows) {
    wchar_t text[64];
    wcscpy(text, row.typed);
    TrimTypedPath(text);
    EXPECT_STREQ(row.used, text) << row.name;
  }
}
