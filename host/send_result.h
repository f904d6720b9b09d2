// What sending an MP3 to the host comes to. The failures double as the codes
// of the warnings that report them, so they must not be renumbered.
#pragma once

enum {
  kSendDone = 0,
  kSendNoHost = 3,         // no host window
  kSendNotEditing = 4,     // host gone, not editing a page, not answering in time, or not taking the notice
  kSendCannotCreate = 5,   // the drop file cannot be created
};
