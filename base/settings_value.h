// The flags word and the text form it takes in the settings file.
#pragma once

enum {
  kFlagListEntryMade = 1,  // the tool-list entry has been attempted
  kFlagAutoplay = 2,       // host plays the inserted MP3 by itself
  kFlagLoop = 4,           // host loops the inserted MP3
};

// The settings reader keeps at most this many characters of a value.
enum { kSettingValueChars = 15 };

// Converts a stored value the way atoi does: leading white space, an optional
// sign, decimal digits up to the first other character; no digits give 0.
// Out-of-range values saturate. Never reads past the terminating NUL.
int ParseSettingInt(const char* text);

// Bits 1 and 2 set from the two check boxes; every other bit carried unchanged.
int FlagsWithOptions(int flags, int autoplay, int loop);
