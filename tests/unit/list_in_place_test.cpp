#include "host/list_in_place.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A file held open by another program, whose system fails at chosen calls.
// Each script gives the outcome of one call in order; calls beyond it succeed.
struct FakeFile {
  std::string content;
  size_t pos = 0;
  std::vector<int> emptyOk;   // per call to empty: 1 done, 0 refused
  std::vector<long long> writeTakes;  // per write: bytes it takes at most (-1: fails)
  std::vector<int> flushOk;   // per flush: 1 done, 0 failed
  size_t empties = 0, writes = 0, flushes = 0;
};

FakeFile* Of(void* ctx) { return static_cast<FakeFile*>(ctx); }

int Empty(void* ctx) {
  FakeFile* f = Of(ctx);
  size_t i = f->empties++;
  if (i < f->emptyOk.size() && !f->emptyOk[i]) return 0;
  f->content.clear();
  f->pos = 0;
  return 1;
}

long long Write(void* ctx, const char* bytes, size_t n) {
  FakeFile* f = Of(ctx);
  EXPECT_GT(n, 0u);
  size_t i = f->writes++;
  long long takes = i < f->writeTakes.size() ? f->writeTakes[i] : static_cast<long long>(n);
  if (takes < 0) return -1;
  size_t k = static_cast<size_t>(takes) < n ? static_cast<size_t>(takes) : n;
  f->content.replace(f->pos, k, bytes, k);
  f->pos += k;
  return static_cast<long long>(k);
}

int Flush(void* ctx) {
  FakeFile* f = Of(ctx);
  size_t i = f->flushes++;
  return i < f->flushOk.size() ? f->flushOk[i] : 1;
}

const std::string kOld = "12\tOther\tOther tool\t\"C:\\other.exe\"\r\n36\tOld\tOld\t\"C:\\old.exe\"\r\n";
const std::string kFresh = "12\tOther\tOther tool\t\"C:\\other.exe\"\r\n36\tSorvel\tS\t\"C:\\s.exe\"\r\n";

}  // namespace

TEST(RewriteInPlace, AFailedWriteLeavesTheOldListNotACutOne) {
  struct Row {
    const char* name;
    std::vector<int> emptyOk;
    std::vector<long long> writeTakes;
    std::vector<int> flushOk;
    int expected;
    std::string after;  // the file's content afterwards
  };
  // name, empty calls, write calls, flush calls, result, file afterwards
  const Row rows[] = {
      {"all goes in", {}, {}, {}, kInPlaceWritten, kFresh},
      {"short writes, the rest goes in", {}, {5, 3}, {}, kInPlaceWritten, kFresh},
      {"cannot be cut", {0}, {}, {}, kInPlaceUntouched, kOld},
      {"first write refused", {}, {-1}, {}, kInPlaceRestored, kOld},
      {"first write takes nothing", {}, {0}, {}, kInPlaceRestored, kOld},
      {"short write, the rest refused", {}, {5, -1}, {}, kInPlaceRestored, kOld},
      {"refused after a partial write", {}, {40, 0}, {}, kInPlaceRestored, kOld},
      {"flush fails (quota, lost share)", {}, {}, {0}, kInPlaceRestored, kOld},
      {"restore short, its rest goes in", {}, {-1, 4, 7}, {}, kInPlaceRestored, kOld},
      {"restore cannot cut", {1, 0}, {-1}, {}, kInPlaceCut, ""},
      {"restore refused too", {}, {5, -1, -1}, {}, kInPlaceCut, ""},
      {"restore refused after a partial write", {}, {-1, 9, -1}, {}, kInPlaceCut, kOld.substr(0, 9)},
      {"restore flush fails", {}, {-1}, {0}, kInPlaceCut, kOld},
  };
  for (const Row& row : rows) {
    FakeFile f;
    f.content = kOld;
    f.emptyOk = row.emptyOk;
    f.writeTakes = row.writeTakes;
    f.flushOk = row.flushOk;
    const InPlaceOps ops = {&f, Empty, Write, Flush};
    EXPECT_EQ(row.expected, RewriteInPlace(&ops, kFresh.data(), kFresh.size(), kOld.data(), kOld.size())) << row.name;
    EXPECT_EQ(row.after, f.content) << row.name;
  }
}

TEST(RewriteInPlace, AnEmptyOldListIsPutBackEmpty) {
  FakeFile f;
  f.writeTakes = {7, -1};
  const InPlaceOps ops = {&f, Empty, Write, Flush};
  EXPECT_EQ(kInPlaceRestored, RewriteInPlace(&ops, kFresh.data(), kFresh.size(), nullptr, 0));
  EXPECT_EQ("", f.content);
  EXPECT_EQ(2u, f.empties);
}
