#include "e2e_report.h"

#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

namespace {

struct Report {
  const char *group;
  const char *name;
  int failed;
};
Report g_report = {"", "", 0};

// The file's own name: the folder it was built from says nothing.
const char *BaseName(const char *path) {
  const char *slash = strrchr(path, '/');
  const char *back = strrchr(path, '\\');
  if (back && (!slash || back > slash)) slash = back;
  return slash ? slash + 1 : path;
}

// Byte text for messages: printable ASCII as is, the rest as \xNN; cut long.
void DescribeBytes(const void *bytes, size_t len, char *out, size_t cap) {
  const unsigned char *b = static_cast<const unsigned char *>(bytes);
  int n = snprintf(out, cap, "%zu bytes \"", len);
  size_t o = n > 0 ? (size_t)n : 0;
  for (size_t i = 0; i < len && o + 8 < cap; ++i) {
    if (i == 48) {
      o += (size_t)snprintf(out + o, cap - o, "...");
      break;
    }
    if (b[i] >= 0x20 && b[i] < 0x7f && b[i] != '"') out[o++] = (char)b[i];
    else o += (size_t)snprintf(out + o, cap - o, "\\x%02x", b[i]);
  }
  if (o + 2 < cap) {
    out[o++] = '"';
    out[o] = 0;
  } else if (cap) {
    out[cap - 1] = 0;
  }
}

}  // namespace

void E2eRunCase(const void *row) {
  const E2eCase *c = static_cast<const E2eCase *>(row);
  c->run(c->param);
}

const char *E2eRowName(const E2eTable *table, int i) {
  const char *row = static_cast<const char *>(table->rows) + table->rowSize * (size_t)i;
  return *reinterpret_cast<const char *const *>(row);
}

void E2eReportBegin(const char *group, const char *name) {
  g_report.group = group;
  g_report.name = name;
  g_report.failed = 0;
}

int E2eReportPassed() { return !g_report.failed; }

int E2eFail_(E2E_LOC, const char *what, const char *expected, const char *found) {
  g_report.failed = 1;
  printf("FAIL %s.%s (%s:%d): %s: expected %s, found %s\n", g_report.group, g_report.name, BaseName(atFile), atLine,
         what, expected, found);
  fflush(stdout);
  return 0;
}

int E2eExpectInt_(E2E_LOC, const char *what, long long expected, long long actual) {
  if (expected == actual) return 1;
  char e[32], a[32];
  snprintf(e, sizeof e, "%lld", expected);
  snprintf(a, sizeof a, "%lld", actual);
  return E2eFail_(E2E_THERE, what, e, a);
}

int E2eExpectTrue_(E2E_LOC, const char *what, int condition, const char *found) {
  if (condition) return 1;
  return E2eFail_(E2E_THERE, what, "true", found ? found : "false");
}

int E2eExpectText_(E2E_LOC, const char *what, const wchar_t *expected, const wchar_t *actual) {
  if (!wcscmp(expected, actual)) return 1;
  char e[1024], a[1024], qe[1100], qa[1100];
  snprintf(qe, sizeof qe, "\"%s\"", E2eUtf8(expected, e, sizeof e));
  snprintf(qa, sizeof qa, "\"%s\"", E2eUtf8(actual, a, sizeof a));
  return E2eFail_(E2E_THERE, what, qe, qa);
}

int E2eExpectBytes_(E2E_LOC, const char *what, const void *expected, size_t expectedLen, const void *actual,
                    size_t actualLen) {
  if (expectedLen == actualLen && (expectedLen == 0 || !memcmp(expected, actual, expectedLen))) return 1;
  char e[256], a[256];
  DescribeBytes(expected, expectedLen, e, sizeof e);
  DescribeBytes(actual, actualLen, a, sizeof a);
  return E2eFail_(E2E_THERE, what, e, a);
}

void E2eNote(const char *format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  printf("     %s.%s: %s\n", g_report.group, g_report.name, text);
  fflush(stdout);
}

char *E2eUtf8(const wchar_t *text, char *out, size_t cap) {
  if (!cap) return out;
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, out, (int)cap, nullptr, nullptr);
  if (n <= 0) snprintf(out, cap, "<text too long>");
  out[cap - 1] = 0;
  return out;
}
