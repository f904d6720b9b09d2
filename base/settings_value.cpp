#include "base/settings_value.h"

#include <limits.h>

int ParseSettingInt(const char* text) {
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  int negative = 0;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  // Accumulate as a negative number so INT_MIN is representable.
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 - (*p - '0');
    if (value < INT_MIN) return negative ? INT_MIN : INT_MAX;
  }
  if (negative) return static_cast<int>(value);
  return value < -INT_MAX ? INT_MAX : static_cast<int>(-value);
}

int FlagsWithOptions(int flags, int autoplay, int loop) {
  flags &= ~(kFlagAutoplay | kFlagLoop);
  if (autoplay) flags |= kFlagAutoplay;
  if (loop) flags |= kFlagLoop;
  return flags;
}
