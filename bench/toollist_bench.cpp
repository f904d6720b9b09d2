// Times the first-run tool-list entry, linked from the product's own units,
// against reading and writing the same bytes once, in one process on lists of
// several sizes. Each list has lines of 105 bytes (CR LF included), 10,000
// lines per MiB, ids counting from 1000, and id 36 on the middle line.
//
//   toollist_bench <runs> <MiB>...
//   toollist_bench profile <runs> <MiB>...   (each step of the entry timed apart)
// prints per run
//   time toollist-<MiB> sorvel|floor|floor-flush <milliseconds>
// and fails ("error ...", exit 1) when the entry was not made as expected.
// The list is %APPDATA%\Kx\$exec-list.txt and is restored, untimed, before
// every timed step; the original list is put back at the end.
#include <windows.h>
#include <shlobj.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "host/tool_list.h"
#include "host/tool_list_entry.h"

namespace {

const size_t kLineBytes = 105;
const size_t kLinesPerMiB = 10000;

LARGE_INTEGER g_freq;

double NowMs() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return (double)t.QuadPart * 1000.0 / (double)g_freq.QuadPart;
}

void Fail(const char* what) {
  printf("error %s (last error %lu)\n", what, GetLastError());
  fflush(stdout);
  ExitProcess(1);
}

// A list of lines tool lines, each exactly kLineBytes long; the middle one has id 36.
char* MakeList(size_t lines, size_t* size) {
  *size = lines * kLineBytes;
  char* p = static_cast<char*>(malloc(*size + 1));
  if (!p) Fail("no memory for the list");
  char line[kLineBytes + 64];
  for (size_t i = 0; i < lines; ++i) {
    unsigned id = i == lines / 2 ? 36u : (unsigned)(1000 + i);
    int n = snprintf(line, sizeof line, "%u\tTool%u\tTool %u\t\"C:\\Program Files\\Tools\\tool%u.exe\"", id, id, id, id);
    if (n < 0 || (size_t)n > kLineBytes - 2) Fail("line too long");
    memset(line + n, ' ', kLineBytes - 2 - (size_t)n);
    // Blanks pad every line to the same length.
    line[kLineBytes - 2] = '\r';
    line[kLineBytes - 1] = '\n';
    memcpy(p + i * kLineBytes, line, kLineBytes);
  }
  p[*size] = 0;
  return p;
}

void WriteWhole(const wchar_t* path, const char* data, size_t size) {
  int fd = _wopen(path, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) Fail("cannot write the list");
  if (_write(fd, data, (unsigned)size) != (int)size) Fail("short write");
  _close(fd);
}

// The floor: read the list whole into memory and write the same bytes back once.
void ReadAndWriteOnce(const wchar_t* path, int flush) {
  int fd = _wopen(path, _O_RDONLY | _O_BINARY);
  if (fd < 0) Fail("floor: cannot open");
  long long size = _lseeki64(fd, 0, SEEK_END);
  _lseeki64(fd, 0, SEEK_SET);
  char* bytes = static_cast<char*>(malloc((size_t)size));
  if (!bytes || _read(fd, bytes, (unsigned)size) != (int)size) Fail("floor: short read");
  _close(fd);
  fd = _wopen(path, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0 || _write(fd, bytes, (unsigned)size) != (int)size) Fail("floor: short write");
  if (flush) _commit(fd);
  _close(fd);
  free(bytes);
}

// Reads the list back and checks that only the middle line changed, to Sorvel's own line.
void CheckEntry(const wchar_t* path, const char* old, size_t oldSize, size_t lines) {
  int fd = _wopen(path, _O_RDONLY | _O_BINARY);
  if (fd < 0) Fail("check: cannot open");
  long long size = _lseeki64(fd, 0, SEEK_END);
  _lseeki64(fd, 0, SEEK_SET);
  char* now = static_cast<char*>(malloc((size_t)size + 1));
  if (!now || _read(fd, now, (unsigned)size) != (int)size) Fail("check: short read");
  _close(fd);
  size_t at = (lines / 2) * kLineBytes;
  size_t tail = oldSize - at - kLineBytes;
  const char head[] = "36\tSorvel\t";
  if ((size_t)size <= at + tail || memcmp(now, old, at) != 0 ||
      memcmp(now + at, head, sizeof head - 1) != 0 ||
      memcmp(now + size - tail, old + at + kLineBytes, tail) != 0)
    Fail("the entry did not replace the middle line alone");
  free(now);
}

const size_t kChunk = 1 << 20;

void Row(const char* row, const char* part, double ms) {
  printf("time %s %s %.3f\n", row, part, ms);
  fflush(stdout);
}

// Writes n bytes in calls as large as the entry's own.
void WriteAllBench(int fd, const char* bytes, size_t n) {
  while (n != 0) {
    unsigned part = (unsigned)(n < (1u << 30) ? n : (1u << 30));
    int w = _write(fd, bytes, part);
    if (w <= 0) Fail("profile: short write");
    bytes += w;
    n -= (size_t)w;
  }
}

// The steps of the entry one by one, with the same calls in the same order as
// host/tool_list_entry.cpp, so that the time can be laid at the right door.
void ProfileOnce(const wchar_t* list, const char* content, size_t size, const char* row) {
  char line[kToolListLineCap];
  size_t lineSize = FormatToolListLine("C:\\bench\\toollist_bench.exe", line);
  WriteWhole(list, content, size);
  Sleep(20);

  double t0 = NowMs();
  int fd = _wopen(list, _O_RDONLY | _O_BINARY);
  long long end = _lseeki64(fd, 0, SEEK_END);
  _lseeki64(fd, 0, SEEK_SET);
  size_t want = (size_t)end, got = 0;
  char* bytes = static_cast<char*>(malloc(want));
  while (got < want) {
    size_t left = want - got;
    int r = _read(fd, bytes + got, (unsigned)(left < kChunk ? left : kChunk));
    if (r <= 0) break;
    got += (size_t)r;
  }
  char extra;
  _read(fd, &extra, 1);
  _close(fd);
  double t1 = NowMs();
  ToolListEdit edit;
  if (RewriteToolList(bytes, want, line, lineSize, &edit) != kToolListReplaced) Fail("profile: no replace");
  double t2 = NowMs();
  wchar_t temp[MAX_PATH];
  _snwprintf(temp, MAX_PATH, L"%ls.%lu.tmp", list, GetCurrentProcessId());
  fd = _wopen(temp, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  for (int i = 0; i < edit.count; ++i) WriteAllBench(fd, edit.pieces[i].bytes, edit.pieces[i].size);
  double t3 = NowMs();
  _commit(fd);
  double t4 = NowMs();
  _close(fd);
  double t5 = NowMs();
  if (!MoveFileExW(temp, list, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) Fail("profile: move");
  double t6 = NowMs();
  free(bytes);
  double t7 = NowMs();
  Row(row, "read", t1 - t0);
  Row(row, "rewrite", t2 - t1);
  Row(row, "write-temp", t3 - t2);
  Row(row, "commit", t4 - t3);
  Row(row, "close", t5 - t4);
  Row(row, "move", t6 - t5);
  Row(row, "free-old", t7 - t6);
  Row(row, "total", t7 - t0);

  // The scan alone on bytes already in memory, and what writing the list in
  // place costs without the temporary file, the flush and the move.
  int fd2 = _wopen(list, _O_RDONLY | _O_BINARY);
  char* again = static_cast<char*>(malloc(size + 64));
  int n = _read(fd2, again, (unsigned)(size + 64));
  _close(fd2);
  double r0 = NowMs();
  RewriteToolList(again, (size_t)n, line, lineSize, &edit);
  double r1 = NowMs();
  int direct = _wopen(list, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (direct < 0) Fail("profile: write");
  for (int i = 0; i < edit.count; ++i) WriteAllBench(direct, edit.pieces[i].bytes, edit.pieces[i].size);
  _close(direct);
  double r2 = NowMs();
  Row(row, "rewrite-again", r1 - r0);
  Row(row, "write-in-place", r2 - r1);
  free(again);
}

}  // namespace

int main(int argc, char** argv) {
  QueryPerformanceFrequency(&g_freq);
  if (argc < 3) {
    printf("usage: toollist_bench <runs> <MiB>...\n");
    return 2;
  }
  int runs = atoi(argv[1]);
  wchar_t appData[MAX_PATH];
  if (!SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, FALSE)) Fail("no AppData");
  wchar_t folder[MAX_PATH], list[MAX_PATH], program[MAX_PATH + 1];
  _snwprintf(folder, MAX_PATH, L"%ls\\Kx", appData);
  _snwprintf(list, MAX_PATH, L"%ls\\$exec-list.txt", folder);
  CreateDirectoryW(folder, nullptr);
  DWORD n = GetModuleFileNameW(nullptr, program, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) Fail("no program path");

  // Keep whatever list was there, to put it back at the end.
  char* saved = nullptr;
  size_t savedSize = 0;
  int hadList = 0;
  {
    int fd = _wopen(list, _O_RDONLY | _O_BINARY);
    if (fd >= 0) {
      hadList = 1;
      savedSize = (size_t)_lseeki64(fd, 0, SEEK_END);
      _lseeki64(fd, 0, SEEK_SET);
      saved = static_cast<char*>(malloc(savedSize + 1));
      if (!saved || _read(fd, saved, (unsigned)savedSize) != (int)savedSize) Fail("cannot keep the old list");
      _close(fd);
    }
  }

  if (!strcmp(argv[1], "profile")) {
    for (int a = 3; a < argc; ++a) {
      int mib = atoi(argv[a]);
      size_t lines = (size_t)mib * kLinesPerMiB, size = 0;
      char* content = MakeList(lines, &size);
      char row[32];
      snprintf(row, sizeof row, "profile-%d", mib);
      for (int i = 0; i < atoi(argv[2]); ++i) ProfileOnce(list, content, size, row);
      free(content);
    }
    runs = 0;
    argc = 2;
  }
  for (int a = 2; a < argc; ++a) {
    int mib = atoi(argv[a]);
    size_t lines = (size_t)mib * kLinesPerMiB, size = 0;
    char* content = MakeList(lines, &size);
    char row[32];
    snprintf(row, sizeof row, "toollist-%d", mib);
    WriteWhole(list, content, size);  // warm the file's blocks once
    for (int i = 0; i < runs; ++i) {
      int swap = (i / 2) % 2;
      for (int k = 0; k < 3; ++k) {
        int which = swap ? 2 - k : k;  // 0 sorvel, 1 floor, 2 floor with flush
        WriteWhole(list, content, size);
        Sleep(20);
        double t0 = NowMs();
        if (which == 0) {
          if (WriteToolListEntry(program) != 1) Fail("WriteToolListEntry did not return 1");
        } else {
          ReadAndWriteOnce(list, which == 2);
        }
        double t1 = NowMs();
        if (which == 0) CheckEntry(list, content, size, lines);
        printf("time %s %s %.3f\n", row, which == 0 ? "sorvel" : which == 1 ? "floor" : "floor-flush", t1 - t0);
        fflush(stdout);
      }
    }
    free(content);
  }

  if (hadList) {
    WriteWhole(list, saved, savedSize);
  } else {
    DeleteFileW(list);
  }
  return 0;
}
