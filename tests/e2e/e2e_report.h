// Case tables and reporting for the end-to-end driver.
//
// Every check returns 1 when it holds; otherwise it prints
//   FAIL <group>.<case> (<file>:<line>): <what>: expected <e>, found <a>
// marks the case failed and returns 0, so a case can stop where going on
// makes no sense. A check is called through its macro, which passes the
// caller's file and line; a helper that checks on its caller's behalf takes
// E2E_LOC itself and hands E2E_THERE on, so the line named is the case's.
#pragma once

#include <stddef.h>

#define E2E_LOC const char *atFile, int atLine
#define E2E_HERE __FILE__, __LINE__
#define E2E_THERE atFile, atLine

// ---- Case tables -----------------------------------------------------------
// A table is an array of rows of one type, each row beginning with its case
// name (const char *), run by one procedure that is handed the row.

struct E2eTable {
  void (*run)(const void *row);
  const void *rows;
  size_t rowSize;
  int count;
};

// Cases that need nothing but a number: a name, a procedure, its argument.
struct E2eCase {
  const char *name;
  void (*run)(int param);
  int param;
};
void E2eRunCase(const void *row);

struct E2eGroup {
  const char *name;
  const E2eTable *tables;
  int count;
};

#define E2E_COUNT(table) ((int)(sizeof(table) / sizeof((table)[0])))
#define E2E_ROWS(run, rows) {run, rows, sizeof((rows)[0]), E2E_COUNT(rows)}
#define E2E_CASES(cases) {E2eRunCase, cases, sizeof((cases)[0]), E2E_COUNT(cases)}

// The name of row i of table.
const char *E2eRowName(const E2eTable *table, int i);

// ---- Reporting -------------------------------------------------------------

// Starts reporting for a case: clears the failure mark.
void E2eReportBegin(const char *group, const char *name);
// 1 when no check of the current case failed.
int E2eReportPassed();

// Marks the case failed with the texts given.
int E2eFail_(E2E_LOC, const char *what, const char *expected, const char *found);
int E2eExpectInt_(E2E_LOC, const char *what, long long expected, long long actual);
int E2eExpectTrue_(E2E_LOC, const char *what, int condition, const char *found);
int E2eExpectText_(E2E_LOC, const char *what, const wchar_t *expected, const wchar_t *actual);
int E2eExpectBytes_(E2E_LOC, const char *what, const void *expected, size_t expectedLen, const void *actual,
                    size_t actualLen);
#define E2eFail(what, expected, found) E2eFail_(E2E_HERE, what, expected, found)
#define E2eExpectInt(what, expected, actual) E2eExpectInt_(E2E_HERE, what, expected, actual)
#define E2eExpectTrue(what, condition, found) E2eExpectTrue_(E2E_HERE, what, condition, found)
#define E2eExpectText(what, expected, actual) E2eExpectText_(E2E_HERE, what, expected, actual)
#define E2eExpectBytes(what, expected, expectedLen, actual, actualLen) \
  E2eExpectBytes_(E2E_HERE, what, expected, expectedLen, actual, actualLen)

// Prints an informative line for the current case (not a failure).
void E2eNote(const char *format, ...);
// UTF-16 to UTF-8 for printing; returns out.
char *E2eUtf8(const wchar_t *text, char *out, size_t cap);
