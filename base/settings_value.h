// The flags word and the text form it takes in the settings file, and the
// decimal reading that the settings and the host's tool list share.
#pragma once
#include <stddef.h>

enum {
  kFlagListEntryMade = 1,  // the tool list holds the own line
  kFlagAutoplay = 2,       // host plays the inserted MP3 by itself
  kFlagLoop = 4,           // host loops the inserted MP3
};

// The settings reader keeps at most this many characters of a value.
enum { kSettingValueChars = 15 };

// Reads the first length bytes of text the way atoi reads text: leading white
// space, an optional sign, decimal digits up to the first other byte; no
// digits give 0. Out-of-range values saturate to INT_MAX or INT_MIN. Reads no
// byte at or past text + length, so text needs no NUL.
int ReadDecimal(const char* text, size_t length);

// Converts a stored value (NUL-terminated) as ReadDecimal does; never reads
// past the terminating NUL.
int ParseSettingInt(const char* text);

// Bits 1 and 2 set from the two check boxes; every other bit carried unchanged.
int FlagsWithOptions(int flags, int autoplay, int loop);
