#include "host/send_sequence.h"

#include <gtest/gtest.h>

#include "base/settings_value.h"

#include <string>
#include <vector>
#include <wchar.h>

namespace {

// A scripted host and file system that records every call in order.
struct Fake {
  std::vector<int> hostAtLookup;  // 1 = window there, per look-up; missing entries = there
  int probeAnswered = 1;
  unsigned long probeError = 0;  // what the system says when it is not
  int windowAfterProbe = 1;
  long long probeReply = 1;
  int sourceExists = 1;
  int dataFolderOk = 1;
  std::wstring dataFolder = L"C:\\Users\\u\\AppData\\Roaming\\Kx\\";
  int folderExists = 1;
  int copyOk = 1;
  std::wstring linkTarget;   // what a shortcut stores; empty: it cannot be read
  int abandoned = 0;         // the user gives up waiting on the files
  long long notifyReply = 1;
  int noticeTaken = 1;     // the host took the notice within the bound
  unsigned long noticeError = kErrorTimeout;
  int aliveAfterNotice = 1;  // its window still exists after the notice

  size_t lookups = 0;
  std::string trace;
  std::wstring copiedFrom;
  std::wstring copiedTo;
};

Fake* Of(void* ctx) { return static_cast<Fake*>(ctx); }

void* FindHost(void* ctx) {
  Fake* f = Of(ctx);
  size_t i = f->lookups++;
  f->trace += "find ";
  int there = i < f->hostAtLookup.size() ? f->hostAtLookup[i] : 1;
  return there ? reinterpret_cast<void*>(0x1234) : nullptr;
}

int SendProbe(void* ctx, void* host, unsigned wParam, long lParam, long long* reply) {
  Fake* f = Of(ctx);
  EXPECT_EQ(reinterpret_cast<void*>(0x1234), host);
  f->trace += "send(" + std::to_string(wParam) + "," + std::to_string(lParam) + ") ";
  // As the platform does: the error left and the window's existence decide.
  if (!f->probeAnswered) return FailedSendOutcome(f->probeError, f->windowAfterProbe);
  *reply = f->probeReply;
  return kMessageAnswered;
}

int SendNotice(void* ctx, void* host, unsigned wParam, long lParam, long long* reply) {
  Fake* f = Of(ctx);
  EXPECT_EQ(reinterpret_cast<void*>(0x1234), host);
  f->trace += "notice(" + std::to_string(wParam) + "," + std::to_string(lParam) + ") ";
  if (!f->noticeTaken) return FailedSendOutcome(f->noticeError, f->aliveAfterNotice);
  *reply = f->notifyReply;
  return kMessageAnswered;
}

int PathExists(void* ctx, const wchar_t* path) {
  Fake* f = Of(ctx);
  if (f->dataFolder == path) {
    f->trace += "folder? ";
    return f->folderExists;
  }
  f->trace += "source? ";
  f->copiedFrom = path;
  return f->sourceExists;
}

size_t ReadShortcut(void* ctx, const wchar_t*, wchar_t* target, size_t cap) {
  Fake* f = Of(ctx);
  f->trace += "link ";
  if (f->linkTarget.empty() || f->linkTarget.size() >= cap) return 0;
  f->linkTarget.copy(target, f->linkTarget.size());
  target[f->linkTarget.size()] = L'\0';
  return f->linkTarget.size();
}

int DataFolder(void* ctx, wchar_t* out, size_t cap) {
  Fake* f = Of(ctx);
  f->trace += "appdata ";
  if (!f->dataFolderOk || f->dataFolder.size() >= cap) return 0;
  std::wstring(f->dataFolder).copy(out, f->dataFolder.size());
  out[f->dataFolder.size()] = L'\0';
  return 1;
}

int CopyFile(void* ctx, const wchar_t*, const wchar_t* to) {
  Fake* f = Of(ctx);
  f->trace += "copy ";
  f->copiedTo = to;
  return f->copyOk;
}

// As the dialog runs it: on a worker, unless the user gives up the wait.
int PlaceFile(void* ctx, const wchar_t* source) {
  Fake* f = Of(ctx);
  if (f->abandoned) return kSendAbandoned;
  DropFileOps ops = {f, PathExists, DataFolder, ReadShortcut, CopyFile};
  return PlaceDropFile(&ops, source);
}

int Send(Fake* f, int flags, const wchar_t* source = L"D:\\music\\a.mp3") {
  HostLinkOps ops = {f, FindHost, SendProbe, SendNotice, PlaceFile};
  return RunSendSequence(&ops, source, flags);
}

const char kFullRoad[] = "find find send(1,0) source? appdata folder? copy find notice(2,5) ";
const char kProbeOnly[] = "find find send(1,0) ";

}  // namespace

TEST(SendSequence, EachFailureStopsAtItsStepWithItsCode) {
  struct Row {
    const char* name;
    void (*setup)(Fake*);
    int expected;
    const char* trace;
  };
  // name, what differs from a host that is running and editing, result, calls made
  const Row rows[] = {
      {"all well", [](Fake*) {}, kSendDone, kFullRoad},
      {"no host window", [](Fake* f) { f->hostAtLookup = {0}; }, kSendNoHost, "find "},
      {"host gone at second look-up", [](Fake* f) { f->hostAtLookup = {1, 0}; }, kSendNotEditing, "find find "},
      {"probe replies zero", [](Fake* f) { f->probeReply = 0; }, kSendNotEditing, "find find send(1,0) "},
      {"probe timed out", [](Fake* f) { f->probeAnswered = 0, f->probeError = kErrorTimeout; }, kSendNotAnswering,
       kProbeOnly},
      {"probe aborted, host seen hung", [](Fake* f) { f->probeAnswered = 0, f->probeError = 0; }, kSendNotAnswering,
       kProbeOnly},
      {"probe refused, host elevated", [](Fake* f) { f->probeAnswered = 0, f->probeError = kErrorAccessDenied; },
       kSendRefused, kProbeOnly},
      {"host closed while the probe waited", [](Fake* f) { f->probeAnswered = 0, f->windowAfterProbe = 0; },
       kSendNotEditing, kProbeOnly},
      {"probe to a handle gone stale",
       [](Fake* f) { f->probeAnswered = 0, f->probeError = kErrorInvalidWindowHandle; }, kSendNotEditing, kProbeOnly},
      {"source missing", [](Fake* f) { f->sourceExists = 0; }, kSendCannotCreate, "find find send(1,0) source? "},
      {"appdata unavailable", [](Fake* f) { f->dataFolderOk = 0; }, kSendCannotCreate, "find find send(1,0) source? appdata "},
      {"data folder missing", [](Fake* f) { f->folderExists = 0; }, kSendCannotCreate,
       "find find send(1,0) source? appdata folder? "},
      {"copy fails", [](Fake* f) { f->copyOk = 0; }, kSendCannotCreate, "find find send(1,0) source? appdata folder? copy "},
      {"host gone before notification", [](Fake* f) { f->hostAtLookup = {1, 1, 0}; }, kSendDone,
       "find find send(1,0) source? appdata folder? copy find "},
      {"notification replies zero", [](Fake* f) { f->notifyReply = 0; }, kSendDone, kFullRoad},
      {"notification replies -1", [](Fake* f) { f->notifyReply = -1; }, kSendDone, kFullRoad},
      {"notice timed out, host still there", [](Fake* f) { f->noticeTaken = 0; }, kSendUnconfirmed, kFullRoad},
      {"notice timed out, host closed while it waited",
       [](Fake* f) { f->noticeTaken = 0, f->aliveAfterNotice = 0; }, kSendDone, kFullRoad},
      {"notice refused", [](Fake* f) { f->noticeTaken = 0, f->noticeError = kErrorAccessDenied; }, kSendRefused,
       kFullRoad},
      {"wait on the files given up", [](Fake* f) { f->abandoned = 1; }, kSendAbandoned, kProbeOnly},
  };
  for (const Row& row : rows) {
    Fake f;
    row.setup(&f);
    EXPECT_EQ(row.expected, Send(&f, kFlagListEntryMade | kFlagAutoplay)) << row.name;
    EXPECT_EQ(std::string(row.trace), f.trace) << row.name;
  }
}

TEST(SendSequence, OnlyTheOptionBitsReachTheHost) {
  struct Row {
    int flags;
    const char* notification;
  };
  // flags word, notification sent
  const Row rows[] = {
      {0, "notice(0,5) "},  {1, "notice(0,5) "},  {2, "notice(2,5) "},  {4, "notice(4,5) "},
      {6, "notice(6,5) "},  {7, "notice(6,5) "},  {-1, "notice(6,5) "}, {0x7FFFFFF9, "notice(0,5) "},
  };
  for (const Row& row : rows) {
    Fake f;
    EXPECT_EQ(kSendDone, Send(&f, row.flags)) << "flags " << row.flags;
    std::string tail = f.trace.substr(f.trace.rfind("notice("));
    EXPECT_EQ(std::string(row.notification), tail) << "flags " << row.flags;
  }
}

TEST(SendSequence, DropFileLandsInTheDataFolderOnlyWhenItsPathFits) {
  struct Row {
    size_t folderChars;  // length of the data folder, trailing backslash included
    int expected;
  };
  // data folder length, result (the drop path and its NUL must fit in 256)
  const Row rows[] = {{30, kSendDone}, {244, kSendDone}, {245, kSendCannotCreate}, {255, kSendCannotCreate}};
  for (const Row& row : rows) {
    Fake f;
    f.dataFolder = std::wstring(row.folderChars - 1, L'x') + L"\\";
    EXPECT_EQ(row.expected, Send(&f, 0)) << "folder of " << row.folderChars;
    if (row.expected == kSendDone) {
      EXPECT_EQ(f.dataFolder + L"$kobble.mp3", f.copiedTo) << "folder of " << row.folderChars;
    } else {
      EXPECT_EQ(std::string::npos, f.trace.find("copy")) << "folder of " << row.folderChars;
    }
  }
}

TEST(SendSequence, ShortcutsAndDevicesAreResolvedAfterTheHostChecks) {
  struct Row {
    const wchar_t* typed;
    const wchar_t* linkTarget;  // what a shortcut stores; empty: unreadable
    int expected;
    const char* fileSteps;      // the calls after the probe
    const wchar_t* copied;      // the file copied, when one is
  };
  // typed path, shortcut's target, result, calls after the probe, file copied
  const Row rows[] = {
      {L"D:\\m\\夏.lnk", L"E:\\曲\\夏.mp3", kSendDone, "link source? appdata folder? copy ", L"E:\\曲\\夏.mp3"},
      {L"D:\\m\\x.lnk", L"", kSendCannotCreate, "link ", nullptr},
      {L"D:\\m\\x.lnk", L"x.mp3", kSendCannotCreate, "link ", nullptr},
      {L"D:\\m\\site.url", L"", kSendCannotCreate, "", nullptr},
      {L"\\\\.\\pipe\\x", L"", kSendCannotCreate, "", nullptr},
  };
  for (const Row& row : rows) {
    Fake f;
    f.linkTarget = row.linkTarget;
    std::string name(row.typed, row.typed + wcslen(row.typed));
    EXPECT_EQ(row.expected, Send(&f, 0, row.typed)) << name;
    std::string steps = f.trace.substr(0, f.trace.find("find notice"));
    EXPECT_EQ(std::string(kProbeOnly) + row.fileSteps, steps) << name;
    if (row.copied) {
      EXPECT_EQ(std::wstring(row.copied), f.copiedFrom) << name;
    }
  }
}
