#include "base/settings_value.h"

#include <limits.h>
#include <string.h>

int ReadDecimal(const char* text, size_t length) {
  size_t i = 0;
  while (i < length && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  int negative = 0;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = (text[i++] == '-');
  // Accumulate as a negative number so INT_MIN is representable.
  long long value = 0;
  for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 - (text[i] - '0');
    if (value < INT_MIN) return negative ? INT_MIN : INT_MAX;
  }
  if (negative) return static_cast<int>(value);
  return value < -INT_MAX ? INT_MAX : static_cast<int>(-value);
}

int ParseSettingInt(const char* text) { return ReadDecimal(text, strlen(text)); }

int FlagsWithOptions(int flags, int autoplay, int loop) {
  flags &= ~(kFlagAutoplay | kFlagLoop);
  if (autoplay) flags |= kFlagAutoplay;
  if (loop) flags |= kFlagLoop;
  return flags;
}
