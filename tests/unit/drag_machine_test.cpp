// The press-and-hold drag: transitions one message at a time, then sequences.
#include <gtest/gtest.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "window/drag_machine.h"
#include "window/screen.h"

namespace {

using DragMachine::Record;

enum Shown { kNoCursor, kDragCursor, kHoverCursor };

// A monitor of the simulated desktop and its scale.
struct Screen {
  ScreenRect bounds;
  uint32_t dpi;
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
  // The desktop: without screens one endless monitor; with them, Windows'
  // rule that a window takes the scale of the monitor holding the largest
  // part of it, applied after every move and placing, from inside it, with
  // the scale change going to record.
  const Screen* screens;
  int screenCount;
  uint32_t dpi;  // the window's scale
  Record* record;
  int depth;  // scale changes under way
  int scaleChanges;
  int nestedChanges;
};

Desk& D(void* window) { return *static_cast<Desk*>(window); }

extern const DragMachine::Platform kFake;

const ScreenRect kEverywhere = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};

long long Overlap(ScreenRect a, ScreenRect b) {
  long long w = static_cast<long long>(a.right < b.right ? a.right : b.right) - (a.left > b.left ? a.left : b.left);
  long long h = static_cast<long long>(a.bottom < b.bottom ? a.bottom : b.bottom) - (a.top > b.top ? a.top : b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

// The monitor holding the largest part of rect; on a tie, or where none
// holds any, the first listed.
uint32_t MonitorAt(void* w, ScreenRect rect, ScreenRect* bounds) {
  Desk& d = D(w);
  if (d.screenCount == 0) {
    *bounds = kEverywhere;
    return 96;
  }
  int best = 0;
  for (int i = 1; i < d.screenCount; ++i) {
    if (Overlap(rect, d.screens[i].bounds) > Overlap(rect, d.screens[best].bounds)) best = i;
  }
  *bounds = d.screens[best].bounds;
  return d.screens[best].dpi;
}

// The insert dialog's size at a scale.
const int32_t kDialogWidth = 474, kDialogHeight = 210;

ScreenRect SizedAt(uint32_t dpi) {
  const ScreenRect size = {0, 0, static_cast<int32_t>(kDialogWidth * dpi / 96),
                           static_cast<int32_t>(kDialogHeight * dpi / 96)};
  return size;
}

std::string Rect(ScreenRect r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
         std::to_string(r.bottom);
}

// Windows' suggestion for a new scale lies on the monitor of that scale: the
// new size held at a corner of the window, the first corner that leaves it
// there.
ScreenRect Suggestion(Desk& d, ScreenRect monitor, uint32_t dpi) {
  const ScreenRect size = SizedAt(dpi);
  const ScreenRect w = d.window;
  ScreenRect corners[4] = {
      {w.left, w.top, w.left + size.right, w.top + size.bottom},
      {w.right - size.right, w.top, w.right, w.top + size.bottom},
      {w.left, w.bottom - size.bottom, w.left + size.right, w.bottom},
      {w.right - size.right, w.bottom - size.bottom, w.right, w.bottom},
  };
  for (ScreenRect corner : corners) {
    ScreenRect on;
    MonitorAt(&d, corner, &on);
    if (Rect(on) == Rect(monitor)) return corner;
  }
  return corners[0];
}

// Deeper than this, a change is counted and not followed.
const int kMostNesting = 20;

void Rescale(Desk& d) {
  ScreenRect monitor;
  uint32_t dpi = MonitorAt(&d, d.window, &monitor);
  if (d.screenCount == 0 || dpi == d.dpi) return;
  ++d.scaleChanges;
  if (d.depth > 0) ++d.nestedChanges;
  if (d.depth >= kMostNesting) return;
  ScreenRect suggested = Suggestion(d, monitor, dpi);
  d.dpi = dpi;
  ++d.depth;
  ScreenRect applied = DragMachine::ScaleChanged(d.record, &kFake, &d, suggested);
  // The dialog manager's own handling then places the window as handed back.
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

const DragMachine::Platform kFake = {CursorPos,  WindowRect,  CursorInWindow, LeftButtonHeld, SetTimer,
                                     KillTimer,  ShowDrag,    ShowHover,      SetCapture,     ReleaseCapture,
                                     MoveWindow, PlaceWindow, MonitorAt};

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

using DragMachine::kDestroy;
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

// A new scale while the window is dragged (or not) onto another monitor.
struct ScaleCase {
  const char* name;
  int dragging;
  ScreenRect windowRect;  // the record's, before
  ScreenPoint lastCursor;
  ScreenRect suggested;
  ScreenRect expected;    // to apply, and the record's afterwards while dragging
};

const int32_t kMin = INT32_MIN;

// clang-format off
// name                                       drag window rect (record)              cursor                     suggested                                   | rect to apply
const ScaleCase kScales[] = {
  {"twice: a third across, a quarter down",    1,  {100, 100, 400, 300},                {200, 150},                {500, 100, 1100, 500},                      {0, 50, 600, 450}},
  {"half",                                      1,  {100, 100, 400, 300},                {200, 150},                {100, 100, 250, 200},                       {150, 125, 300, 225}},
  {"back again from twice",                     1,  {0, 50, 600, 450},                   {200, 150},                {0, 50, 300, 250},                          {100, 100, 400, 300}},
  {"one and a half, rounded to the pixel",      1,  {100, 100, 401, 301},                {201, 151},                {100, 100, 552, 402},                       {49, 74, 501, 376}},
  {"pointer left of and above the window",      1,  {100, 100, 400, 300},                {40, 70},                  {100, 100, 700, 500},                       {160, 130, 760, 530}},
  {"empty window keeps the suggested place",    1,  {100, 100, 100, 100},                {100, 100},                {300, 300, 500, 400},                       {300, 300, 500, 400}},
  {"far out: 64-bit product, clamped edge",     1,  {-2000000000, -2000000000, -1000000000, -1000000000}, {-1500000000, -1500000000}, {-2000000000, -2000000000, 0, 0}, {kMin, kMin, -147483648, -147483648}},
  {"not dragging: as suggested",                0,  {100, 100, 400, 300},                {200, 150},                {500, 100, 1100, 500},                      {500, 100, 1100, 500}},
};
// clang-format on

TEST(DragMachine, NewScaleKeepsThePointerOverTheSamePoint) {
  for (const ScaleCase& c : kScales) {
    Record r = {};
    r.dragging = c.dragging;
    r.windowRect = c.windowRect;
    r.lastCursor = c.lastCursor;
    Desk d = NewDesk(c.lastCursor, 1);
    EXPECT_EQ(Rect(c.expected), Rect(DragMachine::ScaleChanged(&r, &kFake, &d, c.suggested))) << c.name;
    EXPECT_EQ(Rect(c.expected), Rect(d.window)) << c.name << ": placed";
    EXPECT_EQ(Rect(c.dragging ? c.expected : c.windowRect), Rect(r.windowRect)) << c.name << ": record";
  }
}

// Drags across the border of two monitors of different scales, on a desktop
// that rescales the window by Windows' rule: grabbed at a tenth, a half and
// nine tenths of its width and height, both ways, in steps of 1 to 3 pixels.
// The scale changes once, never from inside another change; the pointer is
// on the dialog after every step and, once the scale has changed, keeps its
// place there; the drag ends at the scale of the monitor it ends on.
struct TwoScreens {
  const char* name;
  Screen screens[2];  // the second right of or below the first
};

// clang-format off
const TwoScreens kTwoScreens[] = {
  // name                      first screen, scale                    second screen, scale
  {"100/200 % side by side",   {{{-1920, 0, 0, 1080}, 96},            {{0, 0, 3840, 2160}, 192}}},
  {"150/100 % side by side",   {{{-2880, 0, 0, 1620}, 144},           {{0, 0, 1920, 1080}, 96}}},
  {"125/175 % one above the other", {{{0, -1350, 2400, 0}, 120},      {{0, 0, 3360, 1890}, 168}}},
};
// clang-format on

TEST(DragMachine, DragAcrossScalesSettlesAtOnce) {
  for (const TwoScreens& layout : kTwoScreens) {
    const int vertical = layout.screens[1].bounds.left == layout.screens[0].bounds.left;
    for (int from = 0; from < 2; ++from) {
      for (int grab : {10, 50, 90}) {
        const std::string name =
            std::string(layout.name) + (from ? ", back" : ", there") + ", grabbed at " + std::to_string(grab) + " %";
        const Screen& start = layout.screens[from];
        const Screen& end = layout.screens[1 - from];
        const int way = from ? -1 : 1;  // along the axis, towards the end screen
        const int32_t border = vertical ? layout.screens[1].bounds.top : layout.screens[1].bounds.left;
        const ScreenRect size = SizedAt(start.dpi);
        // On the start screen, 100 pixels short of the border, 300 pixels in
        // from the screens' shared near edge.
        int32_t alongNear = way > 0 ? border - 100 - (vertical ? size.bottom : size.right) : border + 100;
        int32_t across = (vertical ? start.bounds.left : start.bounds.top) + 300;
        Desk d = NewDesk(kPress, 1);
        d.window = vertical ? ScreenRect{across, alongNear, across + size.right, alongNear + size.bottom}
                            : ScreenRect{alongNear, across, alongNear + size.right, across + size.bottom};
        d.screens = layout.screens;
        d.screenCount = 2;
        d.dpi = start.dpi;
        Record r = {};
        d.record = &r;
        d.cursor = ScreenPoint{d.window.left + size.right * grab / 100, d.window.top + size.bottom * grab / 100};
        DragMachine::Handle(&r, &kFake, &d, kLeftButtonDown, 0);
        DragMachine::Handle(&r, &kFake, &d, kTimer, T);
        ASSERT_EQ(1, r.dragging) << name;
        // Until the pointer is past the border by the dialog's length at the
        // larger scale and more, still on the end screen.
        const ScreenRect larger = SizedAt(start.dpi > end.dpi ? start.dpi : end.dpi);
        const int32_t goal = border + way * ((vertical ? larger.bottom : larger.right) + 100);
        int step = 0;
        int32_t offsetAfterChange = INT32_MIN;
        int32_t* pointer = vertical ? &d.cursor.y : &d.cursor.x;
        while (way > 0 ? *pointer < goal : *pointer > goal) {
          *pointer += way * (1 + step % 3);
          ++step;
          DragMachine::Handle(&r, &kFake, &d, kMouseMove, 0);
          if (!PointInRect(d.cursor, d.window)) {
            ADD_FAILURE() << name << ": step " << step << ": pointer " << d.cursor.x << " " << d.cursor.y
                          << " off the dialog " << Rect(d.window);
            break;
          }
          int32_t offset = vertical ? d.cursor.y - d.window.top : d.cursor.x - d.window.left;
          if (d.scaleChanges == 1 && offsetAfterChange == INT32_MIN) offsetAfterChange = offset;
          if (d.scaleChanges == 1 && offset != offsetAfterChange) {
            ADD_FAILURE() << name << ": step " << step << ": the dialog jumped, pointer at " << offset << " not "
                          << offsetAfterChange;
            break;
          }
        }
        EXPECT_EQ(1, d.scaleChanges) << name << ": scale changes";
        EXPECT_EQ(0, d.nestedChanges) << name << ": changes from inside a change";
        EXPECT_EQ(end.dpi, d.dpi) << name << ": scale at the end";
        ScreenRect on;
        MonitorAt(&d, d.window, &on);
        EXPECT_EQ(Rect(end.bounds), Rect(on)) << name << ": monitor at the end";
      }
    }
  }
}

}  // namespace
