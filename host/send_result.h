// What sending an MP3 to the host comes to. The failures double as the codes
// of the warnings that report them, so they must not be renumbered.
#pragma once

enum {
  kSendAbandoned = -1,     // the user gave up waiting on the file system: nothing was sent
  kSendDone = 0,
  kSendNoHost = 3,         // no host window
  kSendNotEditing = 4,     // host gone at the probe, or not editing a page
  kSendCannotCreate = 5,   // the drop file cannot be created
  kSendRefused = 6,        // the host runs with more rights and refuses our messages
  kSendNotAnswering = 7,   // the host did not answer the probe: hung, or busy beyond its bound
  kSendUnconfirmed = 8,    // the file is in place but the host never confirmed the notice
};
