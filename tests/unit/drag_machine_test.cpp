// The press-and-hold drag: transitions one message at a time, then sequences.
#include <gtest/gtest.h>

#include <stdint.h>

#include <cmath>
#include <string>
#include <vector>

#include "window/drag_machine.h"
#include "window/screen.h"

namespace {

using DragMachine::Record;

enum Shown { kNoCursor, kDragCursor, kHoverCursor };

// How the simulated Windows suggests a rectangle for a new scale: on the new
// monitor at the first corner of the window that leaves it there (as observed),
// or at the window's top-left corner wherever that lies.
enum Suggests { kOnNewMonitor, kTopLeftKept };
// How the dialog manager sizes the dialog at a new scale: as the rectangle
// handed back, whose size Windows asked of it; or at its own size from the
// handed-back top-left corner, where Windows suggested a size in proportion.
enum Manager { kAsHandedBack, kOwnSize };

// The dialog's size at the scales of the desktop's first and second monitor,
// in percent of its size in proportion, or as measured under Wine.
struct Sizes {
  const char* name;
  int percentAtFirst;
  int percentAtSecond;
  int measured;
};

// The window and the mouse as the platform calls see them, and what was done.
struct Desk {
  ScreenPoint cursor;
  ScreenRect window;
  int buttonHeld;
  uint32_t timerResult;  // what the timer start returns
  // Effects.
  std::vector<uint32_t> timersSet;
  std::vector<uint32_t> timerDelays;
  std::vector<uint32_t> timersKilled;
  int captures;
  int releases;
  Shown shown;
  int moves;
  // The desktop: without screens, monitors the system cannot list; with them,
  // Windows' rule that a window takes the scale of the monitor holding the
  // largest part of it, applied after every move and placing, from inside it,
  // with the scale change going to record.
  const Monitor* screens;
  int screenCount;
  uint32_t dpi;  // the window's scale
  Record* record;
  Suggests suggests;
  Manager manager;
  const Sizes* sizes;
  uint32_t firstDpi;  // the scale of the desktop's first monitor, for sizes
  int depth;  // scale changes under way
  int scaleChanges;
  int nestedChanges;
  int queries;  // monitors the system was asked about
};

Desk& D(void* window) { return *static_cast<Desk*>(window); }

extern const DragMachine::Platform kFake;

long long Overlap(ScreenRect a, ScreenRect b) {
  long long w = static_cast<long long>(a.right < b.right ? a.right : b.right) - (a.left > b.left ? a.left : b.left);
  long long h = static_cast<long long>(a.bottom < b.bottom ? a.bottom : b.bottom) - (a.top > b.top ? a.top : b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

// Windows' choice: the monitor holding the largest part of rect; on a tie,
// or where none holds any, the first listed.
const Monitor& MonitorAt(const Desk& d, ScreenRect rect) {
  int best = 0;
  for (int i = 1; i < d.screenCount; ++i) {
    if (Overlap(rect, d.screens[i].bounds) > Overlap(rect, d.screens[best].bounds)) best = i;
  }
  return d.screens[best];
}

// The insert dialog's size at 96 dpi, and as Wine lays it out at 144 and 192.
const int32_t kDialogWidth = 559, kDialogHeight = 200;
const int32_t kMeasured[][3] = {{144, 796, 280}, {192, 954, 361}};

// The dialog's size at a scale.
ScreenRect SizedAt(const Desk& d, uint32_t dpi) {
  double width = kDialogWidth * dpi / 96.0;
  double height = kDialogHeight * dpi / 96.0;
  int percent = 100;
  if (d.sizes) {
    for (const int32_t* m : kMeasured) {
      if (d.sizes->measured && static_cast<uint32_t>(m[0]) == dpi) {
        width = m[1];
        height = m[2];
      }
    }
    percent = dpi == d.firstDpi ? d.sizes->percentAtFirst : d.sizes->percentAtSecond;
  }
  const ScreenRect size = {0, 0, static_cast<int32_t>(width * percent / 100), static_cast<int32_t>(height * percent / 100)};
  return size;
}

std::string Rect(ScreenRect r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
         std::to_string(r.bottom);
}

// Windows' suggestion for a new scale.
ScreenRect Suggestion(Desk& d, const Monitor& monitor) {
  ScreenRect size = SizedAt(d, monitor.dpi);
  const ScreenRect w = d.window;
  if (d.manager == kOwnSize) {
    size.right = static_cast<int32_t>(static_cast<long long>(w.right - w.left) * monitor.dpi / d.dpi);
    size.bottom = static_cast<int32_t>(static_cast<long long>(w.bottom - w.top) * monitor.dpi / d.dpi);
  }
  ScreenRect corners[4] = {
      {w.left, w.top, w.left + size.right, w.top + size.bottom},
      {w.right - size.right, w.top, w.right, w.top + size.bottom},
      {w.left, w.bottom - size.bottom, w.left + size.right, w.bottom},
      {w.right - size.right, w.bottom - size.bottom, w.right, w.bottom},
  };
  if (d.suggests == kOnNewMonitor) {
    for (ScreenRect corner : corners) {
      if (&MonitorAt(d, corner) == &monitor) return corner;
    }
  }
  return corners[0];
}

// Deeper than this, a change is counted and not followed.
const int kMostNesting = 20;

void Rescale(Desk& d) {
  if (d.screenCount == 0) return;
  const Monitor& monitor = MonitorAt(d, d.window);
  if (monitor.dpi == d.dpi) return;
  ++d.scaleChanges;
  if (d.depth > 0) ++d.nestedChanges;
  if (d.depth >= kMostNesting) return;
  ScreenRect suggested = Suggestion(d, monitor);
  d.dpi = monitor.dpi;
  ++d.depth;
  ScreenRect applied = DragMachine::ScaleChanged(d.record, &kFake, &d, monitor.dpi, suggested);
  // The dialog manager's own handling then places the window.
  if (d.manager == kOwnSize) {
    const ScreenRect size = SizedAt(d, monitor.dpi);
    applied.right = applied.left + size.right;
    applied.bottom = applied.top + size.bottom;
  }
  if (Rect(applied) != Rect(d.window)) {
    d.window = applied;
    Rescale(d);
  }
  --d.depth;
}

ScreenPoint CursorPos(void* w) { return D(w).cursor; }
ScreenRect WindowRect(void* w) { return D(w).window; }
int CursorInWindow(void* w) { return PointInRect(D(w).cursor, D(w).window); }
int LeftButtonHeld(void* w) { return D(w).buttonHeld; }
uint32_t SetTimer(void* w, uint32_t id, uint32_t ms) {
  D(w).timersSet.push_back(id);
  D(w).timerDelays.push_back(ms);
  return D(w).timerResult;
}
void KillTimer(void* w, uint32_t id) { D(w).timersKilled.push_back(id); }
void ShowDrag(void* w) { D(w).shown = kDragCursor; }
void ShowHover(void* w) { D(w).shown = kHoverCursor; }
void SetCapture(void* w) { ++D(w).captures; }
void ReleaseCapture(void* w) { ++D(w).releases; }
void MoveWindow(void* w, int32_t left, int32_t top) {
  Desk& d = D(w);
  ++d.moves;
  d.window.right += left - d.window.left;
  d.window.bottom += top - d.window.top;
  d.window.left = left;
  d.window.top = top;
  Rescale(d);
}
void PlaceWindow(void* w, ScreenRect rect) {
  D(w).window = rect;
  Rescale(D(w));
}
// The desk whose monitors the system lists, while a Listing lives: the call
// has no window to find it by.
Desk* g_listed;
struct Listing {
  explicit Listing(Desk* d) { g_listed = d; }
  ~Listing() { g_listed = nullptr; }
};
int MonitorsOfDesk(ScreenRect nearest, MonitorList* list) {
  list->count = 0;
  for (int i = 0; g_listed && i < g_listed->screenCount; ++i) AddToMonitors(list, g_listed->screens[i], nearest);
  if (g_listed) g_listed->queries += g_listed->screenCount;
  return list->count;
}

const DragMachine::Platform kFake = {CursorPos,  WindowRect,  CursorInWindow, LeftButtonHeld, SetTimer,
                                     KillTimer,  ShowDrag,    ShowHover,      SetCapture,     ReleaseCapture,
                                     MoveWindow, PlaceWindow, MonitorsOfDesk};

// A 300 x 200 window at (100, 100); presses land at (200, 150).
const ScreenRect kWindow = {100, 100, 400, 300};
const ScreenPoint kPress = {200, 150};

Desk NewDesk(ScreenPoint cursor, int held) {
  Desk d = {};
  d.cursor = cursor;
  d.window = kWindow;
  d.buttonHeld = held;
  d.timerResult = DragMachine::kHoldTimerId;
  return d;
}

enum From { kIdle, kHold, kDragging, kDraggingWithHold };

Record Start(From from) {
  Record r = {};
  r.pressPoint = kPress;
  if (from == kHold || from == kDraggingWithHold) r.holdTimerId = DragMachine::kHoldTimerId;
  if (from == kDragging || from == kDraggingWithHold) {
    r.dragging = 1;
    r.lastCursor = kPress;
    r.windowRect = kWindow;
  }
  return r;
}

std::string Ids(const std::vector<uint32_t>& ids) {
  std::string text;
  for (uint32_t id : ids) text += std::to_string(id) + " ";
  return text.empty() ? "none" : text;
}

struct TransitionCase {
  const char* name;
  From from;
  DragMachine::Message message;
  ScreenPoint cursor;
  int held;
  uint64_t timerId;     // for the timer message
  uint32_t timerResult; // what starting a timer returns
  // Expected.
  int dragging;
  uint32_t holdTimerId;
  ScreenPoint pressPoint;
  int timerStarted;
  int timerKilled;
  int captured;
  int released;
  Shown shown;
  ScreenPoint windowAt;  // top-left afterwards
};

using DragMachine::kCancelMode;
using DragMachine::kCaptureLost;
using DragMachine::kDestroy;
using DragMachine::kDisplayChange;
using DragMachine::kLeftButtonDown;
using DragMachine::kLeftButtonUp;
using DragMachine::kMouseMove;
using DragMachine::kOther;
using DragMachine::kTimer;
const uint32_t T = DragMachine::kHoldTimerId;

// clang-format off
// name                                          from      message          cursor      held wParam timer  | drag hold press       start kill capt rel  cursor        window at
const TransitionCase kTransitions[] = {
  {"idle: press inside starts a hold",           kIdle,    kLeftButtonDown, {250, 160}, 1,   0,     T,       0,   T,   {250, 160}, 1,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"idle: press on the right-bottom corner",     kIdle,    kLeftButtonDown, {400, 300}, 1,   0,     T,       0,   T,   {400, 300}, 1,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"idle: press just right of the window",       kIdle,    kLeftButtonDown, {401, 150}, 1,   0,     T,       0,   0,   {401, 150}, 0,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"idle: press just below the window",          kIdle,    kLeftButtonDown, {200, 301}, 1,   0,     T,       0,   0,   {200, 301}, 0,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"idle: press just left of the window",        kIdle,    kLeftButtonDown, {99, 150},  1,   0,     T,       0,   0,   {99, 150},  0,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"idle: press, timer cannot start",            kIdle,    kLeftButtonDown, {250, 160}, 1,   0,     0,       0,   0,   {250, 160}, 1,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"idle: press, timer returns another id",      kIdle,    kLeftButtonDown, {250, 160}, 1,   0,     7,       0,   7,   {250, 160}, 1,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"idle: move shows the hover cursor",          kIdle,    kMouseMove,      {250, 160}, 1,   0,     T,       0,   0,   kPress,     0,    0,   0,   0,   kHoverCursor, {100, 100}},
  {"idle: button up does nothing",               kIdle,    kLeftButtonUp,   {250, 160}, 0,   0,     T,       0,   0,   kPress,     0,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"idle: hold timer id, none pending",          kIdle,    kTimer,          {250, 160}, 1,   T,     T,       0,   0,   kPress,     0,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"idle: timer id 0 starts no drag",            kIdle,    kTimer,          {250, 160}, 1,   0,     T,       0,   0,   kPress,     0,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"idle: destroy does nothing",                 kIdle,    kDestroy,        {250, 160}, 1,   0,     T,       0,   0,   kPress,     0,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"idle: other messages are ignored",           kIdle,    kOther,          {250, 160}, 1,   0,     T,       0,   0,   kPress,     0,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"hold: second press cancels it",              kHold,    kLeftButtonDown, {260, 170}, 1,   0,     T,       0,   0,   {260, 170}, 0,    1,   0,   0,   kNoCursor,    {100, 100}},
  {"hold: timer, held, inside: drag",            kHold,    kTimer,          {250, 160}, 1,   T,     T,       1,   0,   kPress,     0,    1,   1,   0,   kDragCursor,  {100, 100}},
  {"hold: timer, held, on the bottom row",       kHold,    kTimer,          {250, 300}, 1,   T,     T,       1,   0,   kPress,     0,    1,   1,   0,   kDragCursor,  {100, 100}},
  {"hold: timer, held, one past the bottom",     kHold,    kTimer,          {250, 301}, 1,   T,     T,       0,   0,   kPress,     0,    1,   0,   0,   kNoCursor,    {100, 100}},
  {"hold: timer, button up",                     kHold,    kTimer,          {250, 160}, 0,   T,     T,       0,   0,   kPress,     0,    1,   0,   0,   kNoCursor,    {100, 100}},
  {"hold: timer, cursor outside",                kHold,    kTimer,          {450, 160}, 1,   T,     T,       0,   0,   kPress,     0,    1,   0,   0,   kNoCursor,    {100, 100}},
  {"hold: someone else's timer",                 kHold,    kTimer,          {250, 160}, 1,   T + 1, T,       0,   T,   kPress,     0,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"hold: timer id with high bits set",          kHold,    kTimer,          {250, 160}, 1,   (1ull << 32) + T, T, 0, T, kPress,  0,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"hold: move within slop (+2, -2)",            kHold,    kMouseMove,      {202, 148}, 1,   0,     T,       0,   T,   kPress,     0,    0,   0,   0,   kHoverCursor, {100, 100}},
  {"hold: move within slop (-2, +2)",            kHold,    kMouseMove,      {198, 152}, 1,   0,     T,       0,   T,   kPress,     0,    0,   0,   0,   kHoverCursor, {100, 100}},
  {"hold: move 3 right, held: drag",             kHold,    kMouseMove,      {203, 150}, 1,   0,     T,       1,   0,   kPress,     0,    1,   1,   0,   kDragCursor,  {100, 100}},
  {"hold: move 3 left, held: drag",              kHold,    kMouseMove,      {197, 150}, 1,   0,     T,       1,   0,   kPress,     0,    1,   1,   0,   kDragCursor,  {100, 100}},
  {"hold: move 3 up, held: drag",                kHold,    kMouseMove,      {200, 147}, 1,   0,     T,       1,   0,   kPress,     0,    1,   1,   0,   kDragCursor,  {100, 100}},
  {"hold: move 3 down, held: drag",              kHold,    kMouseMove,      {200, 153}, 1,   0,     T,       1,   0,   kPress,     0,    1,   1,   0,   kDragCursor,  {100, 100}},
  {"hold: move out of window, held",             kHold,    kMouseMove,      {450, 150}, 1,   0,     T,       0,   0,   kPress,     0,    1,   0,   0,   kNoCursor,    {100, 100}},
  {"hold: move out of slop, button up",          kHold,    kMouseMove,      {230, 150}, 0,   0,     T,       0,   T,   kPress,     0,    0,   0,   0,   kHoverCursor, {100, 100}},
  {"hold: button up keeps it pending",           kHold,    kLeftButtonUp,   {200, 150}, 0,   0,     T,       0,   T,   kPress,     0,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"hold: destroy kills the timer",              kHold,    kDestroy,        {200, 150}, 1,   0,     T,       0,   T,   kPress,     0,    1,   0,   0,   kNoCursor,    {100, 100}},
  {"drag: move, held: window follows",           kDragging, kMouseMove,     {210, 145}, 1,   0,     T,       1,   0,   kPress,     0,    0,   0,   0,   kDragCursor,  {110, 95}},
  {"drag: move off screen is not pulled back",   kDragging, kMouseMove,     {-300, -400}, 1, 0,     T,       1,   0,   kPress,     0,    0,   0,   0,   kDragCursor,  {-400, -450}},
  {"drag: move to the same spot moves nothing",  kDragging, kMouseMove,     {200, 150}, 1,   0,     T,       1,   0,   kPress,     0,    0,   0,   0,   kDragCursor,  {100, 100}},
  {"drag: move with the button up ends it",      kDragging, kMouseMove,     {210, 145}, 0,   0,     T,       0,   0,   kPress,     0,    0,   0,   1,   kNoCursor,    {100, 100}},
  {"drag: button up ends it",                    kDragging, kLeftButtonUp,  {210, 145}, 0,   0,     T,       0,   0,   kPress,     0,    0,   0,   1,   kNoCursor,    {100, 100}},
  {"drag: press inside starts a hold",           kDragging, kLeftButtonDown, {250, 160}, 1,  0,     T,       1,   T,   {250, 160}, 1,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"drag: press outside starts none",            kDragging, kLeftButtonDown, {500, 160}, 1,  0,     T,       1,   0,   {500, 160}, 0,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"drag: destroy releases the capture",         kDragging, kDestroy,       {210, 145}, 1,   0,     T,       1,   0,   kPress,     0,    0,   0,   1,   kNoCursor,    {100, 100}},
  {"drag+hold: timer only kills it",             kDraggingWithHold, kTimer, {250, 160}, 1,   T,     T,       1,   0,   kPress,     0,    1,   0,   0,   kNoCursor,    {100, 100}},
  {"drag+hold: move, held: window follows",      kDraggingWithHold, kMouseMove, {205, 150}, 1, 0,   T,       1,   T,   kPress,     0,    0,   0,   0,   kDragCursor,  {105, 100}},
  {"drag+hold: destroy kills and releases",      kDraggingWithHold, kDestroy, {205, 150}, 1, 0,     T,       1,   T,   kPress,     0,    1,   0,   1,   kNoCursor,    {100, 100}},
  {"drag+hold: capture taken ends both",         kDraggingWithHold, kCaptureLost, {205, 150}, 1, 0, T,       0,   0,   kPress,     0,    1,   0,   0,   kNoCursor,    {100, 100}},
  {"hold: cancel mode ends it",                  kHold,    kCancelMode,     {200, 150}, 1,   0,     T,       0,   0,   kPress,     0,    1,   0,   0,   kNoCursor,    {100, 100}},
  {"hold: capture let go keeps it",              kHold,    kCaptureLost,    {200, 150}, 1,   0,     T,       0,   T,   kPress,     0,    0,   0,   0,   kNoCursor,    {100, 100}},
  {"idle: cancel mode does nothing",             kIdle,    kCancelMode,     {250, 160}, 1,   0,     T,       0,   0,   kPress,     0,    0,   0,   0,   kNoCursor,    {100, 100}},
};
// clang-format on

TEST(DragMachine, TransitionTable) {
  for (const TransitionCase& c : kTransitions) {
    Record r = Start(c.from);
    Desk d = NewDesk(c.cursor, c.held);
    d.timerResult = c.timerResult;
    DragMachine::Handle(&r, &kFake, &d, c.message, c.timerId);
    EXPECT_EQ(c.dragging, r.dragging) << c.name << ": dragging";
    EXPECT_EQ(c.holdTimerId, r.holdTimerId) << c.name << ": holdTimerId";
    EXPECT_EQ(c.pressPoint.x, r.pressPoint.x) << c.name << ": pressPoint.x";
    EXPECT_EQ(c.pressPoint.y, r.pressPoint.y) << c.name << ": pressPoint.y";
    if (c.timerStarted) {
      EXPECT_EQ("120 ", Ids(d.timersSet)) << c.name << ": timers started";
      EXPECT_EQ("500 ", Ids(d.timerDelays)) << c.name << ": timer delay";
    } else {
      EXPECT_EQ("none", Ids(d.timersSet)) << c.name << ": timers started";
    }
    EXPECT_EQ(c.timerKilled ? "120 " : "none", Ids(d.timersKilled)) << c.name << ": timers killed";
    EXPECT_EQ(c.captured, d.captures) << c.name << ": captures";
    EXPECT_EQ(c.released, d.releases) << c.name << ": releases";
    EXPECT_EQ(c.shown, d.shown) << c.name << ": cursor shown";
    EXPECT_EQ(c.windowAt.x, d.window.left) << c.name << ": window left";
    EXPECT_EQ(c.windowAt.y, d.window.top) << c.name << ": window top";
    EXPECT_EQ(c.windowAt.x != kWindow.left || c.windowAt.y != kWindow.top, d.moves) << c.name << ": moves";
    if (c.dragging && c.from != kDragging && c.from != kDraggingWithHold) {
      // The drag starts from where window and cursor are now.
      EXPECT_EQ(c.cursor.x, r.lastCursor.x) << c.name << ": lastCursor.x";
      EXPECT_EQ(c.cursor.y, r.lastCursor.y) << c.name << ": lastCursor.y";
      EXPECT_EQ(kWindow.left, r.windowRect.left) << c.name << ": windowRect.left";
      EXPECT_EQ(kWindow.bottom, r.windowRect.bottom) << c.name << ": windowRect.bottom";
    }
    if (c.dragging && d.moves) {
      // The rectangle is read back after each step, so the next step builds on it.
      EXPECT_EQ(d.window.left, r.windowRect.left) << c.name << ": windowRect re-read";
      EXPECT_EQ(d.window.bottom, r.windowRect.bottom) << c.name << ": windowRect re-read";
      EXPECT_EQ(c.cursor.x, r.lastCursor.x) << c.name << ": lastCursor.x";
    }
  }
}

// Sequences: a desk and a record that live across several messages.
class DragSequence : public ::testing::Test {
 protected:
  Record r = {};
  Desk d = NewDesk(kPress, 1);
  void Send(DragMachine::Message message, uint64_t timerId = 0) { DragMachine::Handle(&r, &kFake, &d, message, timerId); }
  void MoveTo(int x, int y) {
    d.cursor = ScreenPoint{x, y};
    Send(kMouseMove);
  }
  void PressAt(int x, int y) {
    d.cursor = ScreenPoint{x, y};
    d.buttonHeld = 1;
    Send(kLeftButtonDown);
  }
  void Release() {
    d.buttonHeld = 0;
    Send(kLeftButtonUp);
  }
};

TEST_F(DragSequence, HoldStillThenFollowUntilRelease) {
  PressAt(200, 150);
  Send(kTimer, T);
  EXPECT_EQ(1, r.dragging) << "after 500 ms";
  EXPECT_EQ(kDragCursor, d.shown) << "after 500 ms";
  MoveTo(210, 155);
  EXPECT_EQ(110, d.window.left) << "first move";
  EXPECT_EQ(105, d.window.top) << "first move";
  MoveTo(190, 140);
  EXPECT_EQ(90, d.window.left) << "second move";
  EXPECT_EQ(90, d.window.top) << "second move";
  Release();
  EXPECT_EQ(0, r.dragging) << "after release";
  EXPECT_EQ(1, d.releases) << "after release";
  MoveTo(195, 145);
  EXPECT_EQ(kHoverCursor, d.shown) << "move after release";
  EXPECT_EQ(90, d.window.left) << "move after release";
}

TEST_F(DragSequence, TwoByTwoStaysInSlopUntilTheTimer) {
  PressAt(200, 150);
  MoveTo(202, 152);
  EXPECT_EQ(0, r.dragging) << "within slop";
  EXPECT_EQ(kHoverCursor, d.shown) << "within slop";
  Send(kTimer, T);
  EXPECT_EQ(1, r.dragging) << "at 500 ms";
  EXPECT_EQ(100, d.window.left) << "drag start moves nothing";
  MoveTo(203, 152);
  EXPECT_EQ(101, d.window.left) << "travel counts from the drag's start";
}

TEST_F(DragSequence, ThreePixelsStartTheDragButAreNeverApplied) {
  PressAt(200, 150);
  MoveTo(203, 150);
  EXPECT_EQ(1, r.dragging) << "3 px right";
  EXPECT_EQ(0, d.moves) << "3 px right";
  MoveTo(204, 151);
  EXPECT_EQ(101, d.window.left) << "next move";
  EXPECT_EQ(101, d.window.top) << "next move";
  Send(kTimer, T);
  EXPECT_EQ(1u, d.timersKilled.size()) << "timer killed once, when the drag started";
  EXPECT_EQ(1, r.dragging) << "stale timer message";
}

TEST_F(DragSequence, QuickClickDoesNothingAndTheTimerFiresOnce) {
  PressAt(200, 150);
  Release();
  EXPECT_EQ(T, r.holdTimerId) << "release leaves the hold pending";
  Send(kTimer, T);
  EXPECT_EQ(0, r.dragging) << "timer after release";
  EXPECT_EQ(0u, r.holdTimerId) << "timer after release";
  EXPECT_EQ("120 ", Ids(d.timersKilled)) << "timer after release";
  d.buttonHeld = 1;
  Send(kTimer, T);
  EXPECT_EQ(0, r.dragging) << "a second timer message";
  EXPECT_EQ("120 ", Ids(d.timersKilled)) << "a second timer message";
  EXPECT_EQ(0, d.captures);
}

TEST_F(DragSequence, SecondPressCancelsTheHold) {
  PressAt(200, 150);
  Release();
  PressAt(201, 151);
  EXPECT_EQ(0u, r.holdTimerId) << "second press";
  EXPECT_EQ("120 ", Ids(d.timersKilled)) << "second press";
  EXPECT_EQ("120 ", Ids(d.timersSet)) << "second press starts no timer";
  Send(kTimer, T);
  MoveTo(220, 170);
  EXPECT_EQ(0, r.dragging) << "holding and moving after the cancel";
  EXPECT_EQ(0, d.captures) << "holding and moving after the cancel";
  PressAt(220, 170);
  EXPECT_EQ(T, r.holdTimerId) << "the next press holds again";
}

TEST_F(DragSequence, RightAndBottomBoundCountAsInsideAtExpiry) {
  PressAt(399, 299);
  d.cursor = ScreenPoint{400, 300};
  Send(kTimer, T);
  EXPECT_EQ(1, r.dragging) << "cursor on the right-bottom bound";
}

TEST_F(DragSequence, FailedTimerStartMeansNoHold) {
  d.timerResult = 0;
  PressAt(200, 150);
  EXPECT_EQ(0u, r.holdTimerId) << "after the press";
  Send(kTimer, 0);
  EXPECT_EQ(0, r.dragging) << "timer message with id 0";
  MoveTo(210, 150);
  EXPECT_EQ(0, r.dragging) << "moving 10 px with the button held";
  EXPECT_EQ(kHoverCursor, d.shown);
  EXPECT_EQ(0, d.captures);
}

TEST_F(DragSequence, ReleaseOutsideTheDialogEndsTheDrag) {
  PressAt(200, 150);
  MoveTo(205, 150);
  MoveTo(900, 700);
  EXPECT_EQ(795, d.window.left) << "dragged far";
  // The button-up went elsewhere; the next move finds the button up.
  d.buttonHeld = 0;
  MoveTo(901, 700);
  EXPECT_EQ(0, r.dragging);
  EXPECT_EQ(1, d.releases);
  EXPECT_EQ(795, d.window.left) << "the final move is not applied";
}

// Windows sends the dialog WM_CANCELMODE when a box of its own takes the
// mouse (a warning opened by Enter while dragging): the drag is over, and with
// the button still held the dialog no longer follows the pointer.
TEST_F(DragSequence, CancelModeEndsTheDrag) {
  PressAt(200, 150);
  MoveTo(205, 150);
  MoveTo(215, 160);
  EXPECT_EQ(110, d.window.left) << "dragged";
  Send(kCancelMode);
  EXPECT_EQ(0, r.dragging) << "after the cancel";
  EXPECT_EQ(1, d.releases) << "after the cancel";
  MoveTo(260, 200);
  EXPECT_EQ(110, d.window.left) << "a move with the button held";
  EXPECT_EQ(kHoverCursor, d.shown) << "a move with the button held";
}

// On Windows the release after a lost capture goes to the window under the
// pointer, so the dialog may never hear of it; it must not follow the
// pointer with no button held.
TEST_F(DragSequence, LostCaptureEndsTheDrag) {
  PressAt(200, 150);
  MoveTo(205, 150);
  Send(kCaptureLost);
  EXPECT_EQ(0, r.dragging) << "after the capture was taken";
  EXPECT_EQ(0, d.releases) << "the capture is not taken from its new holder";
  d.buttonHeld = 0;
  MoveTo(300, 250);
  EXPECT_EQ(100, d.window.left) << "a move with no button held";
  EXPECT_EQ(0, d.moves) << "a move with no button held";
}

// A new scale while the window is dragged (or not) onto another monitor.
// Desktops of monitors of different scales. Two: the second right of or below
// the first, dragged across with the window's top (or left) edge at across.
// Three: an L, the second over the third, the first left of one of them.
// farFirst: that many monitors far off, listed by the system before these.
struct Desktop {
  const char* name;
  Monitor screens[3];
  int32_t across;
  int farFirst;
};

// clang-format off
const Desktop kDesktops[] = {
  // name                             first monitor, scale          second monitor, scale          third monitor, scale         across far first
  {"100 % | 200 % side by side",      {{{-1920, 0, 0, 1080}, 96},   {{0, 0, 3840, 2160}, 192}},                                 300,   0},
  {"150 % | 100 % side by side",      {{{-2880, 0, 0, 1620}, 144},  {{0, 0, 1920, 1080}, 96}},                                  300,   0},
  {"125 % over 175 %",                {{{0, -1350, 2400, 0}, 120},  {{0, 0, 3360, 1890}, 168}},                                 300,   0},
  {"100 % | 300 % side by side",      {{{-1920, 0, 0, 1080}, 96},   {{0, 0, 3840, 2160}, 288}},                                 300,   0},
  {"100 % | 150 % a third lower",     {{{-1920, 0, 0, 1080}, 96},   {{0, 700, 2880, 2320}, 144}},                               760,   0},
  {"L 100 % by 150 %, 200 % under",   {{{-1920, -1080, 0, 0}, 96},  {{0, -1620, 2880, 0}, 144},   {{0, 0, 3840, 2160}, 192}},   0,     0},
  {"L 200 % by 150 %, 100 % under",   {{{-3840, -2160, 0, 0}, 192}, {{0, -1620, 2880, 0}, 144},   {{0, 0, 1920, 1080}, 96}},    0,     0},
  {"L 200 % by 100 %, 150 % over",    {{{-3840, 0, 0, 2160}, 192},  {{0, -1620, 2880, 0}, 144},   {{0, 0, 1920, 1080}, 96}},    0,     0},
  {"100 % | 200 % after 18 far off",  {{{-1920, 0, 0, 1080}, 96},   {{0, 0, 3840, 2160}, 192}},                                 300,   18},
};
// clang-format on
// The pointer's way into an L: from the corner into the first monitor, at
// 100 % there, and as far beyond the corner.
const ScreenPoint kIntoTheCorner[] = {{-800, 350}, {-1400, 450}, {-600, 1050}, {-400, 650}};

// A new scale while the window is dragged (or not), with the rectangle
// Windows suggests: dragged, the pointer stays over the same point at the
// new size, moved towards the middle of the new scale's monitor where that
// leaves the window's largest part on the wrong monitor (with room for
// another size); not dragged, or where the pointer cannot stay on it, the
// suggestion moved so by the least amount.
struct ScaleCase {
  const char* name;
  const Desktop* desktop;  // null: monitors the system cannot list
  int dragging;
  int placing;            // the change meets the window being placed for another
  ScreenRect windowRect;  // the record's and the window's, before
  ScreenPoint lastCursor;
  uint32_t dpi;
  ScreenRect suggested;
  ScreenRect expected;    // to apply, and the record's afterwards while dragging
};

const int32_t kMin = INT32_MIN;
const Desktop* const k100_200 = &kDesktops[0];
const Desktop* const k150_100 = &kDesktops[1];

// clang-format off
// name                                       desktop    drag placing window rect (record)   cursor      dpi  suggested                                   | rect to apply
const ScaleCase kScales[] = {
  {"twice: a third across, a quarter down",    nullptr,   1,  0,  {100, 100, 400, 300},       {200, 150}, 192, {500, 100, 1100, 500},                      {0, 50, 600, 450}},
  {"half",                                      nullptr,   1,  0,  {100, 100, 400, 300},       {200, 150}, 48,  {100, 100, 250, 200},                       {150, 125, 300, 225}},
  {"back again from twice",                     nullptr,   1,  0,  {0, 50, 600, 450},          {200, 150}, 96,  {0, 50, 300, 250},                          {100, 100, 400, 300}},
  {"one and a half, rounded to the pixel",      nullptr,   1,  0,  {100, 100, 401, 301},       {201, 151}, 144, {100, 100, 552, 402},                       {49, 74, 501, 376}},
  {"pointer left of and above the window",      nullptr,   1,  0,  {100, 100, 400, 300},       {40, 70},   192, {100, 100, 700, 500},                       {160, 130, 760, 530}},
  {"empty window keeps the suggested place",    nullptr,   1,  0,  {100, 100, 100, 100},       {100, 100}, 192, {300, 300, 500, 400},                       {300, 300, 500, 400}},
  {"far out: 64-bit product, clamped edge",     nullptr,   1,  0,  {-2000000000, -2000000000, -1000000000, -1000000000}, {-1500000000, -1500000000}, 192, {-2000000000, -2000000000, 0, 0}, {kMin, kMin, -147483648, -147483648}},
  {"not dragging: as suggested",                nullptr,   0,  0,  {100, 100, 400, 300},       {200, 150}, 192, {500, 100, 1100, 500},                      {500, 100, 1100, 500}},
  {"met while placing: left to the system",     k100_200,  1,  1,  {-200, 300, 359, 500},      {-100, 400}, 192, {-200, 300, 918, 700},                     {-200, 300, 918, 700}},
  {"onto 150 %, suggested on 100 %",            k150_100,  1,  0,  {-300, 300, 259, 500},      {200, 400}, 144, {-300, 300, 538, 600},                      {-550, 250, 288, 550}},
  {"onto 200 %, too small to keep the pointer", k100_200,  1,  0,  {-250, 300, 309, 500},      {-250, 400}, 192, {-250, 300, -50, 400},                     {-80, 360, 120, 460}},
  {"not dragging, suggested on 100 %",          k150_100,  0,  0,  {-300, 300, 259, 500},      {200, 400}, 144, {-300, 300, 538, 600},                      {-498, 346, 340, 646}},
};
// clang-format on

TEST(DragMachine, NewScaleKeepsThePointerOverTheSamePoint) {
  for (const ScaleCase& c : kScales) {
    Record r = {};
    r.dragging = c.dragging;
    r.placingForScale = c.placing;
    r.windowRect = c.windowRect;
    r.lastCursor = c.lastCursor;
    // Outside a drag the list may be one taken before the displays changed:
    // here, one monitor of the new scale over everything.
    if (!c.dragging) r.monitors = MonitorList{1, {{{-5000, -5000, 5000, 5000}, c.dpi}}};
    Desk d = NewDesk(c.lastCursor, 1);
    const Listing listing(&d);
    d.window = c.windowRect;
    d.record = &r;
    if (c.desktop) {
      d.screens = c.desktop->screens;
      d.screenCount = 2;
      d.dpi = c.dpi;
    }
    EXPECT_EQ(Rect(c.expected), Rect(DragMachine::ScaleChanged(&r, &kFake, &d, c.dpi, c.suggested))) << c.name;
    EXPECT_EQ(Rect(c.placing ? c.windowRect : c.expected), Rect(d.window)) << c.name << ": placed";
    EXPECT_EQ(Rect(c.dragging && !c.placing ? c.expected : c.windowRect), Rect(r.windowRect)) << c.name << ": record";
    EXPECT_EQ(0, d.scaleChanges) << c.name << ": placed where the scale changes again";
  }
}

// Drags over the borders of monitors of different scales, on a desktop
// that rescales the window by Windows' rule, from inside the move, in every
// shape the rule's details may take: Windows' suggestion on the new monitor
// or at the window's top-left corner, the dialog's size at each scale in
// proportion or not, the dialog manager sizing it as handed back or as it
// lays it out. Both ways (or into the corner from several points), grabbed
// from near one edge to near the other, in steps of 1 to 40 pixels. No step
// changes the scale twice, none from inside another change; a drag across
// two monitors changes it once. The pointer is off the dialog at no step, but
// for a change's when the dialog takes another size than suggested, and after
// the step that follows the last change it keeps its place on the dialog;
// the monitors are listed when the drag starts, the displays change and the
// scale changes, never more than 8 in a step; the drag ends at the scale of
// the monitor holding most of the dialog, across two monitors the end one.
const Sizes kSizes[] = {
    // name                              % at the first  % at the second  measured
    {"sizes in proportion", 100, 100, 0},
    {"8 % over, then 8 % under", 108, 92, 0},
    {"8 % under, then 8 % over", 92, 108, 0},
    {"sizes measured under Wine", 100, 100, 1},
};
const int kGrabs[] = {2, 25, 50, 75, 98};  // percent of the width and height
// Pixels along the drag and across it, back and forth, in each step: a hand
// that wobbles moves across more than along at every step.
const ScreenPoint kSteps[] = {{1, 0}, {7, 0}, {40, 0}, {7, 15}};
const int kMostQueriesInAStep = 8;

struct Drag {
  const Desktop* desktop;
  int from;  // 0 from the first monitor to the second, 1 back; into an L's
             // corner, the point of kIntoTheCorner it starts from
  int grab;
  ScreenPoint step;
  const Sizes* sizes;
  Suggests suggests;
  Manager manager;
  int plugged;  // 1: the other monitors are plugged in as the window nears them
};

std::string Named(const Drag& g) {
  return std::string(g.plugged ? "plugged in: " : "") + g.desktop->name + ", from " + std::to_string(g.from) +
         ", grabbed at " + std::to_string(g.grab) + " %, " + std::to_string(g.step.x) + " px steps" +
         (g.step.y ? " wobbling " + std::to_string(g.step.y) + " px" : "") + ", " + g.sizes->name +
         (g.suggests == kOnNewMonitor ? ", suggested on the new monitor" : ", suggested at the top-left corner") +
         (g.manager == kAsHandedBack ? ", sized as handed back" : ", sized by the dialog manager");
}

// Runs one drag; "" when it settled as it must, else what went wrong first.
std::string DragAcross(const Drag& g) {
  Monitor all[kMostMonitors + 4];
  int count = 0;
  for (; count < g.desktop->farFirst; ++count) {
    all[count] = Monitor{{-40000 + 1920 * count, -20000, -38080 + 1920 * count, -18920}, 120};
  }
  const Monitor* screens = all + count;
  for (const Monitor& own : g.desktop->screens) {
    if (own.dpi) all[count++] = own;
  }
  const int owned = g.desktop->screens[2].dpi ? 3 : 2;
  const Monitor& start = screens[owned == 3 ? 0 : g.from];
  const Monitor* end = owned == 3 ? nullptr : &screens[1 - g.from];
  Record r = {};
  Desk d = NewDesk(kPress, 1);
  const Listing listing(&d);
  d.screens = g.plugged ? &start : all;
  d.screenCount = g.plugged ? 1 : count;
  d.dpi = start.dpi;
  d.record = &r;
  d.sizes = g.sizes;
  d.firstDpi = screens[0].dpi;
  d.suggests = g.suggests;
  d.manager = g.manager;
  const ScreenRect size = SizedAt(d, start.dpi);
  ScreenPoint from;  // the pointer's way
  ScreenPoint to;
  if (end) {
    // The window on the start monitor, 100 pixels short of the border; the
    // pointer goes on until it is past the border by the dialog's length at
    // the larger scale and more, still on the end monitor.
    const int vertical = screens[1].bounds.left == screens[0].bounds.left;
    const int way = g.from ? -1 : 1;
    const int32_t border = vertical ? screens[1].bounds.top : screens[1].bounds.left;
    const int32_t length = vertical ? size.bottom : size.right;
    const int32_t alongNear = way > 0 ? border - 100 - length : border + 100;
    const ScreenRect larger = SizedAt(d, start.dpi > end->dpi ? start.dpi : end->dpi);
    const int32_t goal = border + way * ((vertical ? larger.bottom : larger.right) + 100);
    const int32_t across = g.desktop->across;
    from = vertical ? ScreenPoint{across + size.right * g.grab / 100, alongNear + size.bottom * g.grab / 100}
                    : ScreenPoint{alongNear + size.right * g.grab / 100, across + size.bottom * g.grab / 100};
    to = vertical ? ScreenPoint{from.x, goal} : ScreenPoint{goal, from.y};
  } else {
    const ScreenPoint corner = {screens[1].bounds.left, screens[1].bounds.bottom};
    const int32_t side = start.bounds.top < corner.y ? -1 : 1;  // of the corner, the first monitor
    const ScreenPoint offset = {kIntoTheCorner[g.from].x, kIntoTheCorner[g.from].y * side};
    const int32_t scale = static_cast<int32_t>(start.dpi / 96);
    from = ScreenPoint{corner.x + offset.x * scale, corner.y + offset.y * scale};
    to = ScreenPoint{corner.x - offset.x, corner.y - offset.y};
  }
  d.cursor = from;
  d.window = ScreenRect{from.x - size.right * g.grab / 100, from.y - size.bottom * g.grab / 100, 0, 0};
  d.window.right = d.window.left + size.right;
  d.window.bottom = d.window.top + size.bottom;
  const ScreenRect started = d.window;
  DragMachine::Handle(&r, &kFake, &d, kLeftButtonDown, 0);
  DragMachine::Handle(&r, &kFake, &d, kTimer, T);
  if (!r.dragging) return "no drag";
  const double dx = to.x - from.x;
  const double dy = to.y - from.y;
  const double length = std::sqrt(dx * dx + dy * dy);
  int lastChange = 0;
  int32_t settled = INT32_MIN;
  std::string jumped;  // since the last change
  for (int step = 1; (step - 1) * g.step.x < length; ++step) {
    const double along = step * g.step.x;
    const double side = step % 2 ? g.step.y : 0;
    const ScreenPoint previous = d.cursor;
    d.cursor = ScreenPoint{from.x + static_cast<int32_t>(std::lround((dx * along - dy * side) / length)),
                           from.y + static_cast<int32_t>(std::lround((dy * along + dx * side) / length))};
    if (d.cursor.x == previous.x && d.cursor.y == previous.y) continue;  // no move, as rounded
    const ScreenRect nearby = {d.window.left - 10, d.window.top - 10, d.window.right + 10, d.window.bottom + 10};
    for (int i = 0; i < owned && d.screenCount == 1; ++i) {
      if (&screens[i] == &start || Overlap(nearby, screens[i].bounds) == 0) continue;
      d.screens = all;
      d.screenCount = count;
      DragMachine::Handle(&r, &kFake, &d, kDisplayChange, 0);
    }
    const int changes = d.scaleChanges;
    const int nested = d.nestedChanges;
    d.queries = 0;
    DragMachine::Handle(&r, &kFake, &d, kMouseMove, 0);
    const std::string at = "step " + std::to_string(step) + ": ";
    if (d.scaleChanges > changes + 1 || d.nestedChanges > nested)
      return at + "changes " + std::to_string(d.scaleChanges - changes) + " in one step, nesting " +
             std::to_string(d.nestedChanges - nested);
    const int changed = d.scaleChanges > changes;
    if (changed) {
      lastChange = step;
      settled = INT32_MIN;
      jumped.clear();
    }
    if (d.queries > kMostQueriesInAStep || (d.queries > 0 && !changed))
      return at + std::to_string(d.queries) + " monitors queried";
    // Only a change may leave the pointer off, across two monitors only where
    // the dialog takes another size than suggested.
    if (!PointInRect(d.cursor, d.window) && (!changed || (end && g.manager == kAsHandedBack)))
      return at + "pointer " + std::to_string(d.cursor.x) + " " + std::to_string(d.cursor.y) + " off the dialog " +
             Rect(d.window) + (d.scaleChanges == 0 ? ", before a change" : ", after a change");
    // Until the change, a straight drag across two monitors moves the dialog
    // along its line only, also while it waits at the border.
    if (end && !g.step.y && d.scaleChanges == 0 &&
        (from.y == to.y ? d.window.top != started.top : d.window.left != started.left))
      return at + "the dialog left the drag's line: " + Rect(d.window);
    const int32_t offset = d.cursor.x - d.window.left + 65536 * (d.cursor.y - d.window.top);
    if (lastChange > 0 && step > lastChange + 1) {
      if (settled == INT32_MIN) {
        settled = offset;
      } else if (offset != settled && jumped.empty()) {
        jumped = at + "the dialog jumped after the last change, pointer at " + std::to_string(offset) + " not " +
                 std::to_string(settled);
      }
    }
  }
  if (!jumped.empty()) return jumped;
  // At an L's corner a hand that wobbles may take the dialog back and forth
  // over a border, and its scale with it, one change a step.
  if (d.scaleChanges == 0 || (d.scaleChanges > owned - 1 && !(owned == 3 && g.step.y)))
    return std::to_string(d.scaleChanges) + " scale changes, window at " + Rect(d.window);
  const Monitor& holding = MonitorAt(d, d.window);
  if (d.dpi != holding.dpi) return "scale " + std::to_string(d.dpi) + " at the end on " + std::to_string(holding.dpi);
  if (end && &holding != end) return "largest part off the end monitor: " + Rect(d.window);
  return "";
}

TEST(DragMachine, DragAcrossScalesSettlesAtOnce) {
  int drags = 0;
  int failed = 0;
  for (const Desktop& desktop : kDesktops) {
    for (const Sizes& sizes : kSizes) {
      for (Suggests suggests : {kOnNewMonitor, kTopLeftKept}) {
        for (Manager manager : {kAsHandedBack, kOwnSize}) {
          for (int from = 0; from < (desktop.screens[2].dpi ? 4 : 2); ++from) {
            for (int grab : kGrabs) {
              for (ScreenPoint step : kSteps) {
                // The monitors are listed again when the displays change: one
                // plugged in as the dialog nears it is crossed onto as one
                // that was there from the start.
                for (int plugged = 0; plugged < 2; ++plugged) {
                  const Drag g = {&desktop, from, grab, step, &sizes, suggests, manager, plugged};
                  const std::string wrong = DragAcross(g);
                  ++drags;
                  if (wrong.empty()) continue;
                  // The first few say what went wrong; the count says how often.
                  if (++failed <= 12) ADD_FAILURE() << Named(g) << ": " << wrong;
                }
              }
            }
          }
        }
      }
    }
  }
  EXPECT_EQ(0, failed) << "of " << drags << " drags";
}

// The monitor Windows counts a rectangle on.
TEST(DragMachine, MonitorHolding) {
  const MonitorList desk = {2, {k100_200->screens[0], k100_200->screens[1]}};
  const struct {
    const char* name;
    ScreenRect rect;
    int expected;
  } holdings[] = {
      {"more on the second", {-100, 0, 101, 100}, 1},
      {"a tie goes to the first listed", {-100, 0, 100, 100}, 0},
      {"on none: the nearest", {100, 2500, 300, 2600}, 1},
  };
  for (const auto& c : holdings) EXPECT_EQ(c.expected, MonitorHolding(&desk, c.rect)) << c.name;
  const MonitorList none = {};
  EXPECT_EQ(-1, MonitorHolding(&none, holdings[0].rect)) << "no monitors";
}

}  // namespace
