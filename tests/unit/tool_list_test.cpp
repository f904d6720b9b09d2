#include "host/tool_list.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/tool_list_support.h"

namespace {

// Byte strings with embedded NULs and high bytes kept whole.
#define B(s) std::string(s, sizeof(s) - 1)

// The path holds 表 (0x95 0x5C): its trail byte is a backslash and must pass
// through untouched.
const char kPath[] = "C:\\Tools\\\x95\x5C\\sorvel.exe";
const std::string kOwn =
    B("36\tSorvel\tSorvel(MP3\x91\x7d\x93\xfc)\t\"C:\\Tools\\\x95\x5C\\sorvel.exe\"\r\n");

std::string Hex(const std::string& s) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += digits[c >> 4];
      out += digits[c & 15];
    }
  }
  return out;
}

std::string OwnLine() {
  char line[kToolListLineCap];
  size_t n = FormatToolListLine(kPath, line);
  return std::string(line, n);
}

TEST(ToolList, OwnLineBytes) {
  // The display name must reach the host as code page 932 bytes whatever the
  // compiler's character sets; the path is copied byte for byte, unescaped.
  EXPECT_EQ(Hex(kOwn), Hex(OwnLine()));
  const std::string name = B("Sorvel(MP3\x91\x7d\x93\xfc)");
  EXPECT_NE(std::string::npos, OwnLine().find("\t" + name + "\t"));
}

TEST(ToolList, OwnLinePathLimits) {
  const struct {
    const char* name;
    std::string path;  // without its NUL
    size_t expected;   // line length, 0 for no line
  } cases[] = {
      // name                      path                       expected
      {"empty path",               "",                        0},
      {"255 bytes fit",            std::string(255, 'a'),     27 + 255 + 3},
      {"256 bytes do not fit",     std::string(256, 'a'),     0},
      {"double quote",             "C:\\a\"b.exe",            0},
      {"line feed",                "C:\\a\nb.exe",            0},
      {"carriage return",          "C:\\a\rb.exe",            0},
      {"tab",                      "C:\\a\tb.exe",            0},
      {"double-byte characters",   B("C:\\\x83\x5c\x83\x74\x83\x67.exe"), 27 + 13 + 3},
  };
  for (const auto& c : cases) {
    char line[kToolListLineCap];
    std::string path = c.path;
    size_t n = FormatToolListLine(path.c_str(), line);
    EXPECT_EQ(c.expected, n) << c.name;
    if (n != 0 && n == c.expected) {
      EXPECT_EQ(Hex(B("36\tSorvel\tSorvel(MP3\x91\x7d\x93\xfc)\t\"") + path + "\"\r\n"),
                Hex(std::string(line, n)))
          << c.name;
    }
  }
}

struct RewriteCase {
  const char* name;
  std::string old;       // list content before
  int expected;          // outcome
  std::string expectedNew;  // content to write; empty when nothing is written
};

const RewriteCase kRewriteCases[] = {
    // name, old content, expected outcome, expected new content
    {"no content", "", kToolListAppended, kOwn},
    {"first line 36", B("36\tOld\tOld\t\"C:\\old.exe\"\r\n1\tA\tA\t\"a\"\r\n"),
     kToolListReplaced, kOwn + B("1\tA\tA\t\"a\"\r\n")},
    {"last line 36 without CR LF", B("1\tA\r\n36\told"),
     kToolListReplaced, B("1\tA\r\n") + kOwn},
    {"last line 36 with CR LF", B("1\tA\r\n36\told\r\n"),
     kToolListReplaced, B("1\tA\r\n") + kOwn},
    {"middle line 36", B("1\tA\r\n36\told\r\n2\tB"),
     kToolListReplaced, B("1\tA\r\n") + kOwn + B("2\tB")},
    {"two lines 36", B("36\tfirst\r\n36\tsecond\r\n"),
     kToolListReplaced, kOwn + B("36\tsecond\r\n")},
    {"leading zero", B("1\tA\r\n036\told\r\n"), kToolListReplaced, B("1\tA\r\n") + kOwn},
    {"leading blank", B(" 36\told\r\n"), kToolListReplaced, kOwn},
    {"blanks and zeros", B("  0036\told\r\n"), kToolListReplaced, kOwn},
    {"plus sign", B("+36\told\r\n"), kToolListReplaced, kOwn},
    {"characters after digits", B("36abc\told\r\n"), kToolListReplaced, kOwn},
    {"vertical tab and form feed", B("\v\f36\told\r\n"), kToolListReplaced, kOwn},
    {"id field only", B("36\t"), kToolListReplaced, kOwn},
    {"minus 36", B("-36\tA\r\n"), kToolListAppended, B("-36\tA\r\n") + kOwn},
    {"136", B("136\tA\r\n"), kToolListAppended, B("136\tA\r\n") + kOwn},
    {"3 6", B("3 6\tA\r\n"), kToolListAppended, B("3 6\tA\r\n") + kOwn},
    {"letter before digits", B("x36\tA\r\n"), kToolListAppended, B("x36\tA\r\n") + kOwn},
    {"36 after a blank id field", B("  \t36\r\n"), kToolListAppended, B("  \t36\r\n") + kOwn},
    {"36 plus 2^32 does not wrap", B("4294967332\tA\r\n"), kToolListAppended,
     B("4294967332\tA\r\n") + kOwn},
    {"many digits", B("99999999999999999999999936\tA"), kToolListAppended,
     B("99999999999999999999999936\tA\r\n") + kOwn},
    {"no 36", B("1\tA\r\n2\tB\r\n"), kToolListAppended, B("1\tA\r\n2\tB\r\n") + kOwn},
    {"no 36, no final CR LF", B("1\tA\r\n2\tB"), kToolListAppended,
     B("1\tA\r\n2\tB\r\n") + kOwn},
    {"final lone CR", B("1\tA\r"), kToolListAppended, B("1\tA\r\r\n") + kOwn},
    {"ends with empty line", B("1\tA\r\n\r\n"), kToolListAppended, B("1\tA\r\n\r\n") + kOwn},
    {"only CR LF", B("\r\n"), kToolListAppended, B("\r\n") + kOwn},
    {"empty line before 36", B("1\tA\r\n\r\n36\told\r\n"), kToolListGap, ""},
    {"empty line between entries", B("1\tA\r\n\r\n2\tB\r\n"), kToolListGap, ""},
    {"line without TAB first", B("note\r\n1\tA"), kToolListGap, ""},
    {"no TAB anywhere", B("abc\r\ndef"), kToolListAppended, B("abc\r\ndef\r\n") + kOwn},
    {"36 without TAB", B("36"), kToolListAppended, B("36\r\n") + kOwn},
    {"TAB-less tail after entries", B("1\tA\r\nnote\r\nmore"), kToolListAppended,
     B("1\tA\r\nnote\r\nmore\r\n") + kOwn},
    // Only CR LF ends a line: LF-only lines are one line for the scan.
    {"LF lines, no match at start", B("1\tA\n36\told\n"), kToolListAppended,
     B("1\tA\n36\told\n\r\n") + kOwn},
    {"lone LF in line to replace", B("36\told\n1\tA\r\n2\tB"), kToolListOutsideFormat, ""},
    {"lone CR in line to replace", B("1\tA\r\n36\told\r1\tA"), kToolListOutsideFormat, ""},
    {"CR before CR LF in line to replace", B("36\told\r\r\n1\tA"), kToolListOutsideFormat, ""},
    {"LF before id", B("\n36\told\r\n"), kToolListOutsideFormat, ""},
    {"lone LF elsewhere kept", B("1\tA\nB\r\n36\told\r\n2\tC\nD"), kToolListReplaced,
     B("1\tA\nB\r\n") + kOwn + B("2\tC\nD")},
    {"NUL before 36", B("1\tA\0\r\n36\told\r\n"), kToolListOutsideFormat, ""},
    {"NUL after 36", B("36\told\r\n1\tA\0B\r\n"), kToolListOutsideFormat, ""},
    {"NUL without 36", B("1\tA\r\n\0"), kToolListOutsideFormat, ""},
    {"double-byte text kept", B("1\t\x83\x5c\x83\x74\x83\x67\r\n36\tx\r\n2\t\x95\x5c"),
     kToolListReplaced, B("1\t\x83\x5c\x83\x74\x83\x67\r\n") + kOwn + B("2\t\x95\x5c")},
};

TEST(ToolList, Rewrite) {
  const std::string own = OwnLine();
  ASSERT_EQ(Hex(kOwn), Hex(own));
  for (const RewriteCase& c : kRewriteCases) {
    ToolListBuffer out = {};
    int outcome = RewriteToolListInto(c.old.data(), c.old.size(), own.data(), own.size(), &out);
    EXPECT_EQ(c.expected, outcome) << c.name;
    EXPECT_EQ(Hex(c.expectedNew), Hex(std::string(out.data ? out.data : "", out.size)))
        << c.name;
    FreeToolListBuffer(&out);
    // The mend reads the line the finder names: the very line replaced here.
    size_t start = 99, end = 99;
    EXPECT_EQ(c.expected, FindOwnToolListLine(c.old.data(), c.old.size(), &start, &end)) << c.name;
    if (c.expected != kToolListReplaced) continue;
    size_t after = end < c.old.size() ? end + 2 : c.old.size();
    EXPECT_EQ(Hex(c.expectedNew), Hex(c.old.substr(0, start) + own + c.old.substr(after))) << c.name;
  }
}

TEST(ToolList, PathReadFromLine) {
  const struct {
    const char* name;
    std::string line;  // without CR LF
    std::string path;  // "" when it cannot be read
  } cases[] = {
      // name                  line                                            path
      {"own line",             kOwn.substr(0, kOwn.size() - 2),                kPath},
      {"trail byte 0x5C last", B("36\tA\tB\t\"C:\\\x95\x5C\""),                B("C:\\\x95\x5C")},
      {"no fourth field",      B("36\tA\tB"),                                  ""},
      {"empty fourth field",   B("36\tA\tB\t"),                                ""},
      {"unquoted",             B("36\tA\tB\tC:\\s.exe"),                        ""},
      {"only one quote",       B("36\tA\tB\t\"C:\\s.exe"),                      ""},
      {"a quote alone",        B("36\tA\tB\t\""),                               ""},
      {"empty quotes",         B("36\tA\tB\t\"\""),                             ""},
      {"quote inside",         B("36\tA\tB\t\"C:\\a\"b\""),                     ""},
      {"blank after quote",    B("36\tA\tB\t\"C:\\s.exe\" "),                   ""},
      {"extra field after",    B("36\tA\tB\t\"C:\\s.exe\"\tC"),                 ""},
  };
  for (const auto& c : cases) {
    size_t at = 99, size = 99;
    int read = ReadToolListPath(c.line.data(), c.line.size(), &at, &size);
    EXPECT_EQ(!c.path.empty(), read == 1) << c.name;
    EXPECT_EQ(Hex(c.path), Hex(read ? c.line.substr(at, size) : "")) << c.name;
  }
}

TEST(ToolList, RewriteNeverYieldsPartialContent) {
  // With room for one byte less than the whole new content the rewrite must
  // report the shortage and hand back nothing; with exactly enough room it
  // must succeed. Each written case is tried both ways.
  const std::string own = OwnLine();
  for (const RewriteCase& c : kRewriteCases) {
    if (c.expectedNew.empty()) continue;
    for (size_t limit : {c.expectedNew.size() - 1, c.expectedNew.size() / 2, size_t{1}}) {
      ToolListBuffer out = {};
      out.limit = limit;
      int outcome = RewriteToolListInto(c.old.data(), c.old.size(), own.data(), own.size(), &out);
      EXPECT_EQ(kToolListNoMemory, outcome) << c.name << ", limit " << limit;
      EXPECT_EQ(0u, out.size) << c.name << ", limit " << limit;
      EXPECT_EQ(nullptr, out.data) << c.name << ", limit " << limit;
      FreeToolListBuffer(&out);
    }
    ToolListBuffer out = {};
    out.limit = c.expectedNew.size();
    int outcome = RewriteToolListInto(c.old.data(), c.old.size(), own.data(), own.size(), &out);
    EXPECT_EQ(c.expected, outcome) << c.name << ", exact room";
    EXPECT_EQ(Hex(c.expectedNew), Hex(std::string(out.data ? out.data : "", out.size)))
        << c.name << ", exact room";
    FreeToolListBuffer(&out);
  }
}

// The edit is written straight from the bytes read, so its pieces must be
// slices of the old list itself (not of a copy), the own line, or a CR LF.
// Each piece is described as a source and a range:
//   o<from>-<to>  old list bytes [from, to)
//   L             the whole own line
//   N             a CR LF that is in neither
std::string DescribeEdit(const ToolListEdit& edit, const std::string& old, const std::string& own) {
  std::string text;
  for (int i = 0; i < edit.count; ++i) {
    const ToolListPiece& p = edit.pieces[i];
    const char* o = old.data();
    if (!text.empty()) text += " ";
    if (p.bytes >= o && p.bytes + p.size <= o + old.size() && p.size != 0) {
      text += "o" + std::to_string(p.bytes - o) + "-" + std::to_string(p.bytes - o + p.size);
    } else if (p.bytes == own.data() && p.size == own.size()) {
      text += "L";
    } else if (p.size == 2 && p.bytes[0] == '\r' && p.bytes[1] == '\n') {
      text += "N";
    } else {
      text += "?" + std::to_string(p.size);
    }
  }
  return text;
}

TEST(ToolList, EditPiecesPointIntoTheOldList) {
  const struct {
    const char* name;
    std::string old;
    int expected;        // outcome
    const char* pieces;  // as DescribeEdit writes them; "" for no edit
    int changes;         // the new content differs from the old
  } cases[] = {
      // name                        old                              expected             pieces           changes
      {"no content",                 "",                              kToolListAppended,   "L",             1},
      {"only line is 36",            B("36\told\r\n"),                kToolListReplaced,   "L",             1},
      {"first line 36",              B("36\told\r\n1\tA"),            kToolListReplaced,   "L o8-11",       1},
      {"middle line 36",             B("1\tA\r\n36\told\r\n2\tB"),    kToolListReplaced,   "o0-5 L o13-16", 1},
      {"last line 36 without CR LF", B("1\tA\r\n36\told"),            kToolListReplaced,   "o0-5 L",        1},
      {"no 36",                      B("1\tA\r\n"),                   kToolListAppended,   "o0-5 L",        1},
      {"no 36, no final CR LF",      B("1\tA"),                       kToolListAppended,   "o0-3 N L",      1},
      {"own line in place",          B("1\tA\r\n") + kOwn + B("2\tB"), kToolListReplaced,   "o0-5 L o57-60", 0},
      {"own line twice",             kOwn + kOwn,                     kToolListReplaced,   "L o52-104",     0},
      {"own line without CR LF",     kOwn.substr(0, 50),              kToolListReplaced,   "L",             1},
      {"gap",                        B("1\tA\r\n\r\n2\tB"),           kToolListGap,        "",              1},
      {"NUL",                        B("36\told\0\r\n"),              kToolListOutsideFormat, "",           1},
  };
  const std::string own = OwnLine();
  for (const auto& c : cases) {
    ToolListEdit edit;
    edit.count = 3;  // stale values from an earlier use must not survive
    edit.size = 99;
    int outcome = RewriteToolList(c.old.data(), c.old.size(), own.data(), own.size(), &edit);
    EXPECT_EQ(c.expected, outcome) << c.name;
    EXPECT_EQ(std::string(c.pieces), DescribeEdit(edit, c.old, own)) << c.name;
    EXPECT_EQ(c.changes, ToolListEditChanges(&edit, c.old.data(), c.old.size())) << c.name;
    size_t total = 0;
    for (int i = 0; i < edit.count; ++i) total += edit.pieces[i].size;
    EXPECT_EQ(total, edit.size) << c.name;
  }
}

TEST(ToolList, RewriteSeesBytesAtEveryOffset) {
  // The list is searched a machine word at a time; a TAB, CR LF or NUL must
  // be seen wherever it falls within or across the words.
  const std::string own = OwnLine();
  for (size_t pad = 0; pad < 24; ++pad) {
    const std::string head = "1\t" + std::string(pad, 'a') + "\r\n";
    const std::string old = head + "36\told\r\n2\tB";
    ToolListBuffer out = {};
    int outcome = RewriteToolListInto(old.data(), old.size(), own.data(), own.size(), &out);
    EXPECT_EQ(kToolListReplaced, outcome) << "pad " << pad;
    EXPECT_EQ(Hex(head + own + "2\tB"), Hex(std::string(out.data ? out.data : "", out.size)))
        << "pad " << pad;
    FreeToolListBuffer(&out);
    for (size_t at = 0; at < old.size(); ++at) {
      std::string spoilt = old;
      spoilt[at] = '\0';
      int got = RewriteToolListInto(spoilt.data(), spoilt.size(), own.data(), own.size(), &out);
      EXPECT_EQ(kToolListOutsideFormat, got) << "pad " << pad << ", NUL at " << at;
      FreeToolListBuffer(&out);
    }
  }
}

TEST(ToolList, RewriteLargeListKeepsEveryByte) {
  // A list of many lines with the match deep inside: every other tool's line
  // must survive.
  std::string old;
  for (int i = 0; i < 5000; ++i) old += std::to_string(100 + i) + "\tTool\tTool\t\"C:\\t.exe\"\r\n";
  const std::string own = OwnLine();
  std::string list = old;
  list.insert(old.find("3100\t"), "36\told\r\n");
  ToolListBuffer out = {};
  int outcome = RewriteToolListInto(list.data(), list.size(), own.data(), own.size(), &out);
  std::string expected = old;
  expected.insert(old.find("3100\t"), own);
  EXPECT_EQ(kToolListReplaced, outcome);
  EXPECT_TRUE(expected == std::string(out.data ? out.data : "", out.size))
      << "sizes " << expected.size() << " / " << out.size;
  FreeToolListBuffer(&out);
}

}  // namespace
