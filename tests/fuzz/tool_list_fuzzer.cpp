// Fuzzes the tool-list rewrite against a reference model that works on whole
// lines (split at CR LF, id read with strtol) instead of offsets, and checks
// that every byte outside the replaced line comes through unchanged. The
// readers that every start runs on the host's bytes go through it too: the
// search for the own line, the path reader (on that line, on the whole input
// and on slices of it) and the test whether an edit changes anything.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "host/tool_list.h"
#include "tests/support/tool_list_support.h"

namespace {

enum { kNone = 0 };

const std::string kHead("36\tSorvel\tSorvel(MP3\x91\x7d\x93\xfc)\t\"");
const std::string kTail("\"\r\n");
const char kPath[] = "C:\\Program Files\\\x95\x5c\\sorvel.exe";

[[noreturn]] void Die(const char* what, const std::string& expected, const std::string& actual) {
  fprintf(stderr, "tool list oracle: %s\n  expected (%zu bytes): ", what, expected.size());
  for (unsigned char c : expected) fprintf(stderr, "%02x ", c);
  fprintf(stderr, "\n  actual   (%zu bytes): ", actual.size());
  for (unsigned char c : actual) fprintf(stderr, "%02x ", c);
  fprintf(stderr, "\n");
  abort();
}

bool EndsInCrLf(const std::string& s) {
  return s.size() >= 2 && s[s.size() - 2] == '\r' && s[s.size() - 1] == '\n';
}

struct Expected {
  int outcome;
  std::string content;
  size_t lineStart;  // the line replaced, without its CR LF, for kToolListReplaced
  size_t lineEnd;
};

// The rules, stated over lines: walk the lines in order; a line with a TAB
// whose first field reads as 36 is replaced (unless it holds a stray CR or
// LF); a line without a TAB ends the walk, in error when a later line has a
// TAB; otherwise the own line goes at the end.
Expected Model(const std::string& old, const std::string& own) {
  if (old.find('\0') != std::string::npos) return {kToolListOutsideFormat, "", 0, 0};
  std::vector<std::string> lines;
  std::vector<size_t> starts;
  for (size_t pos = 0; pos < old.size();) {
    size_t end = old.find("\r\n", pos);
    if (end == std::string::npos) end = old.size();
    lines.push_back(old.substr(pos, end - pos));
    starts.push_back(pos);
    pos = end + 2;
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    size_t tab = lines[i].find('\t');
    if (tab == std::string::npos) {
      for (size_t j = i + 1; j < lines.size(); ++j) {
        if (lines[j].find('\t') != std::string::npos) return {kToolListGap, "", 0, 0};
      }
      break;
    }
    std::string field = lines[i].substr(0, tab);
    if (strtol(field.c_str(), nullptr, 10) != 36) continue;
    if (lines[i].find_first_of("\r\n") != std::string::npos) return {kToolListOutsideFormat, "", 0, 0};
    std::string out;
    for (size_t j = 0; j < i; ++j) out += lines[j] + "\r\n";
    out += own;
    for (size_t j = i + 1; j < lines.size(); ++j) {
      out += lines[j];
      if (j + 1 < lines.size() || EndsInCrLf(old)) out += "\r\n";
    }
    return {kToolListReplaced, out, starts[i], starts[i] + lines[i].size()};
  }
  std::string out = old;
  if (!old.empty() && !EndsInCrLf(old)) out += "\r\n";
  return {kToolListAppended, out + own, 0, 0};
}

// The path of a line by its fields: split at every TAB, exactly four fields,
// the fourth a quote, a non-empty text without quotes, and a quote. Returns
// false for any other line.
bool ModelPath(const std::string& line, size_t* start, size_t* size) {
  std::vector<std::string> fields;
  for (size_t pos = 0;;) {
    size_t tab = line.find('\t', pos);
    fields.push_back(line.substr(pos, tab == std::string::npos ? std::string::npos : tab - pos));
    if (tab == std::string::npos) break;
    pos = tab + 1;
  }
  if (fields.size() != 4) return false;
  const std::string& last = fields[3];
  if (last.size() < 3 || last.front() != '"' || last.back() != '"') return false;
  if (last.find('"', 1) != last.size() - 1) return false;
  *start = line.size() - last.size() + 1;
  *size = last.size() - 2;
  return true;
}

// ReadToolListPath on n bytes, copied into a block of exactly that size so
// that a read past the line's end is caught, against the model; a path read
// must lie between the line's last quotes.
void CheckPath(const char* bytes, size_t n, const char* what) {
  std::unique_ptr<char[]> copy(new char[n]);
  if (n != 0) memcpy(copy.get(), bytes, n);
  const std::string line(bytes, n);
  size_t start = 0, size = 0;
  int got = ReadToolListPath(copy.get(), n, &start, &size);
  size_t wantStart = 0, wantSize = 0;
  bool want = ModelPath(line, &wantStart, &wantSize);
  char label[96];
  snprintf(label, sizeof label, "path of %s: read %d, expected %d", what, got, want ? 1 : 0);
  if (got != (want ? 1 : 0)) Die(label, line, "");
  if (!got) return;
  if (start == 0 || size == 0 || start > n || size > n - start || start + size + 1 != n) {
    Die(label, line.substr(wantStart, wantSize), "(outside the line)");
  }
  if (line[start - 1] != '"' || line[start + size] != '"' || start != wantStart || size != wantSize) {
    Die(label, line.substr(wantStart, wantSize), line.substr(start, size));
  }
}

// The search for the own line against the model's walk: the same outcome,
// and a line found is the model's, a whole line of the input (CR LF or an end
// on each side, none inside) whose first field reads as 36; its path is read
// as the model reads it.
void CheckFind(const std::string& old, const Expected& want) {
  size_t start = 1, end = 1;
  int outcome = FindOwnToolListLine(old.data(), old.size(), &start, &end);
  if (outcome != want.outcome) {
    char what[64];
    snprintf(what, sizeof what, "find outcome %d, expected %d", outcome, want.outcome);
    Die(what, old, "");
  }
  if (outcome != kToolListReplaced) {
    if (start != 0 || end != 0) Die("find left a line behind", "", old);
    return;
  }
  if (start > end || end > old.size()) Die("found line outside the list", old, "");
  const std::string line = old.substr(start, end - start);
  if (start != want.lineStart || end != want.lineEnd) {
    Die("found line", old.substr(want.lineStart, want.lineEnd - want.lineStart), line);
  }
  bool wholeStart = start == 0 || (start >= 2 && old.compare(start - 2, 2, "\r\n") == 0);
  bool wholeEnd = end == old.size() || old.compare(end, 2, "\r\n") == 0;
  size_t tab = line.find('\t');
  if (!wholeStart || !wholeEnd || line.find("\r\n") != std::string::npos || tab == std::string::npos ||
      strtol(line.substr(0, tab).c_str(), nullptr, 10) != 36) {
    Die("found line is no whole line with id 36", old, line);
  }
  CheckPath(old.data() + start, end - start, "the found line");
}

// ToolListEditChanges for the edit that puts own into old: 1 exactly when the
// model's new content is not the input byte for byte.
void CheckChanges(const std::string& old, const std::string& own) {
  ToolListEdit edit;
  int outcome = RewriteToolList(old.data(), old.size(), own.data(), own.size(), &edit);
  if (outcome != kToolListReplaced && outcome != kToolListAppended) return;
  Expected want = Model(old, own);
  int changes = ToolListEditChanges(&edit, old.data(), old.size());
  if (changes != (want.content != old ? 1 : 0)) Die(changes ? "changes, but same" : "no change, but differs", want.content, old);
}

// Independent of the model: whatever is written keeps every byte of the old
// list except one whole line (with its CR LF) that the own line stands for.
void CheckOthersKept(int outcome, const std::string& old, const std::string& own,
                     const std::string& out) {
  if (outcome == kToolListAppended) {
    if (out.compare(0, old.size(), old) != 0 || out.size() < old.size() + own.size() ||
        out.compare(out.size() - own.size(), own.size(), own) != 0) {
      Die("append altered the old content", old, out);
    }
    return;
  }
  if (outcome != kToolListReplaced) return;
  // Some line of the old list, taken with its CR LF, must have made way for
  // the own line, with everything before and after it as it was.
  for (size_t p = 0; p < old.size();) {
    if (out.compare(0, p, old, 0, p) != 0) break;
    size_t end = old.find("\r\n", p);
    size_t next = end == std::string::npos ? old.size() : end + 2;
    if (out.compare(p, std::string::npos, own + old.substr(next)) == 0) return;
    p = next;
  }
  Die("replacement altered more than one line", old, out);
}

// The edit itself, which the program writes straight from the bytes it read:
// at most kToolListPieceCap non-empty pieces, each a slice of the old list,
// the own line, or a CR LF, that together are the expected content.
void CheckEdit(const std::string& old, const std::string& own, const Expected& want) {
  ToolListEdit edit;
  int outcome = RewriteToolList(old.data(), old.size(), own.data(), own.size(), &edit);
  if (outcome != want.outcome) Die("edit outcome", want.content, "");
  if (edit.count < 0 || edit.count > kToolListPieceCap) Die("edit piece count", "", "");
  std::string joined;
  size_t total = 0;
  for (int i = 0; i < edit.count; ++i) {
    const ToolListPiece& p = edit.pieces[i];
    // Addresses compared as integers: the piece may lie in another object.
    uintptr_t at = reinterpret_cast<uintptr_t>(p.bytes);
    uintptr_t o = reinterpret_cast<uintptr_t>(old.data());
    bool inOld = at >= o && p.size <= old.size() && at - o <= old.size() - p.size;
    bool isOwn = p.bytes == own.data() && p.size == own.size();
    bool isCrLf = p.size == 2 && p.bytes[0] == '\r' && p.bytes[1] == '\n';
    if (p.size == 0 || !(inOld || isOwn || isCrLf)) {
      Die("edit piece from elsewhere", want.content, joined);
    }
    joined.append(p.bytes, p.size);
    total += p.size;
  }
  if (total != edit.size) Die("edit size", want.content, joined);
  if (joined != want.content) Die("edit content", want.content, joined);
}

void CheckOwnLine(const uint8_t* data, size_t size) {
  char path[kToolListPathCap + 8] = {};
  size_t n = size < sizeof path - 1 ? size : sizeof path - 1;
  for (size_t i = 0; i < n; ++i) path[i] = static_cast<char>(data[i]);
  std::string text(path);  // up to the first NUL
  bool fits = !text.empty() && text.size() < kToolListPathCap;
  for (unsigned char c : text) fits = fits && c >= 0x20 && c != '"';
  char line[kToolListLineCap];
  size_t got = FormatToolListLine(path, line);
  std::string expected = fits ? kHead + text + kTail : "";
  std::string actual(line, got);
  if (actual != expected) Die("own line", expected, actual);
}

uint32_t Hash(const uint8_t* data, size_t size) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
  return h;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckOwnLine(data, size);

  char lineBytes[kToolListLineCap];
  size_t lineSize = FormatToolListLine(kPath, lineBytes);
  const std::string own(lineBytes, lineSize);
  if (own != kHead + kPath + kTail) Die("own line for the fixed path", kHead + kPath + kTail, own);

  const std::string old(reinterpret_cast<const char*>(data), size);
  Expected want = Model(old, own);

  // One input in four also runs short of memory somewhere on the way.
  uint32_t h = Hash(data, size);
  ToolListBuffer out = {};
  if (h % 4 == 0) out.limit = h / 4 % (want.content.size() + 2);
  bool starved = out.limit != kNone && out.limit < want.content.size();
  if (starved && (want.outcome == kToolListReplaced || want.outcome == kToolListAppended)) {
    want = {kToolListNoMemory, "", 0, 0};
  }

  int outcome = RewriteToolListInto(old.data(), old.size(), own.data(), own.size(), &out);
  std::string got(out.data != nullptr ? out.data : "", out.size);
  if (outcome != want.outcome) {
    char what[64];
    snprintf(what, sizeof what, "outcome %d, expected %d", outcome, want.outcome);
    Die(what, want.content, got);
  }
  if (got != want.content) Die("new content", want.content, got);
  if (outcome != kToolListReplaced && outcome != kToolListAppended && out.data != nullptr) {
    Die("buffer kept after a failure", "", got);
  }
  CheckOthersKept(outcome, old, own, got);
  FreeToolListBuffer(&out);
  CheckEdit(old, own, Model(old, own));

  // The readers. The path reader also takes the whole input as one line,
  // each of its lines, and a few slices anywhere in it.
  Expected found = Model(old, own);
  CheckFind(old, found);
  CheckPath(old.data(), old.size(), "the whole input");
  size_t lines = 0;
  for (size_t pos = 0; pos < old.size() && lines < 64; ++lines) {
    size_t end = old.find("\r\n", pos);
    if (end == std::string::npos) end = old.size();
    CheckPath(old.data() + pos, end - pos, "a line");
    pos = end + 2;
  }
  for (uint32_t k = 0, mix = h; k < 4; ++k, mix = mix * 2654435761u + k) {
    size_t from = mix % (size + 1);
    size_t n = (mix >> 11) % (size - from + 1);
    CheckPath(old.data() + from, n, "a slice");
  }

  // Whether an edit changes the list, for own lines that give the same list
  // (the line found put back with its CR LF), one of the same size with other
  // bytes, the fixed one and none at all.
  CheckChanges(old, own);
  CheckChanges(old, "");
  if (found.outcome == kToolListReplaced) {
    std::string same = old.substr(found.lineStart, found.lineEnd - found.lineStart) + "\r\n";
    CheckChanges(old, same);
    same[h % (same.size() - 2)] ^= static_cast<char>(1 + h / 7 % 255);
    CheckChanges(old, same);
  }
  return 0;
}
