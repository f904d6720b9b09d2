/* Drops files on the X window under a screen point, as a file manager does:
 * the sender's side of the XDND protocol (version 5), for the e2e tests.
 *
 *   xdnd_drop X Y FILE...
 *
 * X, Y are root-window coordinates; each FILE is an absolute Unix path. Offers
 * the files as text/uri-list (percent-encoded UTF-8 file:// URIs, each line
 * ended by CR LF) with the copy action. Prints "taken" and exits 0 when the
 * target accepts the drop and reports it finished; prints "refused" and exits
 * 1 when its XdndStatus refuses it; prints "error: ..." and exits 2 otherwise
 * (no XDND-aware window there, no answer in time, bad arguments). */
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <time.h>

enum { kProtocolVersion = 5, kWaitMs = 5000, kUriListCap = 1 << 16 };
enum { kTaken = 0, kRefused = 1, kError = 2 };

static Display *g_display;
static Window g_source;
static Atom g_xdndAware, g_xdndSelection, g_xdndEnter, g_xdndPosition, g_xdndStatus, g_xdndLeave, g_xdndDrop,
    g_xdndFinished, g_xdndActionCopy, g_uriList, g_targets, g_timeProbe;

/* The text/uri-list served for the selection. */
static char g_uriListText[kUriListCap];
static size_t g_uriListLength;

static int Fail(const char *what) {
  printf("error: %s\n", what);
  return kError;
}

static unsigned long long NowMs(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (unsigned long long)t.tv_sec * 1000u + (unsigned long long)t.tv_nsec / 1000000u;
}

/* Appends path as a file:// URI and CR LF to the list; 0 when it does not fit.
 * Bytes other than unreserved ones and the slash are percent-encoded, so any
 * UTF-8 name travels as plain ASCII. */
static int AppendUri(const char *path) {
  static const char kHex[] = "0123456789ABCDEF";
  const char *prefix = "file://";
  size_t need = strlen(prefix) + 3 * strlen(path) + 2;
  if (path[0] != '/' || g_uriListLength + need >= kUriListCap) return 0;
  char *out = g_uriListText + g_uriListLength;
  out += sprintf(out, "%s", prefix);
  for (const unsigned char *p = (const unsigned char *)path; *p; ++p) {
    unsigned char c = *p;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~' || c == '/') {
      *out++ = (char)c;
    } else {
      *out++ = '%';
      *out++ = kHex[c >> 4];
      *out++ = kHex[c & 15];
    }
  }
  *out++ = '\r';
  *out++ = '\n';
  *out = '\0';
  g_uriListLength = (size_t)(out - g_uriListText);
  return 1;
}

/* The XDND version that window announces, 0 when it is not XDND-aware. */
static int AwareVersion(Window window) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char *data = NULL;
  int version = 0;
  if (XGetWindowProperty(g_display, window, g_xdndAware, 0, 1, False, XA_ATOM, &type, &format, &count, &after,
                         &data) == Success &&
      type == XA_ATOM && format == 32 && count == 1) {
    version = (int)*(unsigned long *)data;
  }
  if (data) XFree(data);
  return version;
}

/* The outermost XDND-aware window under the root point (x, y), walking down
 * from the root; None when there is none. */
static Window TargetAt(int x, int y, int *version) {
  Window root = DefaultRootWindow(g_display), window = root;
  for (;;) {
    int wx, wy;
    Window child = None;
    if (!XTranslateCoordinates(g_display, root, window, x, y, &wx, &wy, &child) || child == None) return None;
    window = child;
    *version = AwareVersion(window);
    if (*version > 0) return window;
  }
}

/* The next event, waiting until deadline (NowMs); 0 when none came in time. */
static int NextEvent(unsigned long long deadline, XEvent *event) {
  while (!XPending(g_display)) {
    unsigned long long now = NowMs();
    if (now >= deadline) return 0;
    unsigned long long left = deadline - now;
    struct timeval wait = {(time_t)(left / 1000u), (suseconds_t)(left % 1000u * 1000u)};
    fd_set fds;
    FD_ZERO(&fds);
    FD_SET(ConnectionNumber(g_display), &fds);
    if (select(ConnectionNumber(g_display) + 1, &fds, NULL, NULL, &wait) < 0 && errno != EINTR) return 0;
  }
  XNextEvent(g_display, event);
  return 1;
}

/* A server time stamp, learnt from a property change on the source window:
 * the selection is owned, and the drop stamped, with a real time. */
static Time ServerTime(void) {
  unsigned char none = 0;
  XChangeProperty(g_display, g_source, g_timeProbe, XA_STRING, 8, PropModeReplace, &none, 0);
  unsigned long long deadline = NowMs() + kWaitMs;
  XEvent event;
  while (NextEvent(deadline, &event)) {
    if (event.type == PropertyNotify && event.xproperty.window == g_source && event.xproperty.atom == g_timeProbe)
      return event.xproperty.time;
  }
  return CurrentTime;
}

/* Serves the dragged data: text/uri-list, and TARGETS for a target that asks
 * what is offered; any other target is refused. */
static void AnswerSelectionRequest(const XSelectionRequestEvent *request) {
  XSelectionEvent reply;
  memset(&reply, 0, sizeof reply);
  reply.type = SelectionNotify;
  reply.display = request->display;
  reply.requestor = request->requestor;
  reply.selection = request->selection;
  reply.target = request->target;
  reply.time = request->time;
  /* A requestor of the old kind names no property: the target stands for it. */
  Atom property = request->property != None ? request->property : request->target;
  reply.property = None;
  if (request->selection == g_xdndSelection && request->target == g_uriList) {
    XChangeProperty(g_display, request->requestor, property, g_uriList, 8, PropModeReplace,
                    (const unsigned char *)g_uriListText, (int)g_uriListLength);
    reply.property = property;
  } else if (request->selection == g_xdndSelection && request->target == g_targets) {
    Atom offered[2] = {g_targets, g_uriList};
    XChangeProperty(g_display, request->requestor, property, XA_ATOM, 32, PropModeReplace,
                    (const unsigned char *)offered, 2);
    reply.property = property;
  }
  XSendEvent(g_display, request->requestor, False, NoEventMask, (XEvent *)&reply);
  XFlush(g_display);
}

static void SendXdnd(Window target, Atom type, long l1, long l2, long l3, long l4) {
  XEvent event;
  memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.display = g_display;
  event.xclient.window = target;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  event.xclient.data.l[0] = (long)g_source;
  event.xclient.data.l[1] = l1;
  event.xclient.data.l[2] = l2;
  event.xclient.data.l[3] = l3;
  event.xclient.data.l[4] = l4;
  XSendEvent(g_display, target, False, NoEventMask, &event);
  XFlush(g_display);
}

/* Waits for the client message of type from target, answering selection
 * requests meanwhile; 1 with the message in *out, 0 when none came in time. */
static int AwaitXdnd(Window target, Atom type, XClientMessageEvent *out) {
  unsigned long long deadline = NowMs() + kWaitMs;
  XEvent event;
  while (NextEvent(deadline, &event)) {
    if (event.type == SelectionRequest) {
      AnswerSelectionRequest(&event.xselectionrequest);
    } else if (event.type == ClientMessage && event.xclient.message_type == type &&
               (Window)event.xclient.data.l[0] == target) {
      *out = event.xclient;
      return 1;
    }
  }
  return 0;
}

static int Drop(int x, int y) {
  int version = 0;
  Window target = TargetAt(x, y, &version);
  if (target == None) return Fail("no XDND-aware window at the point");
  if (version > kProtocolVersion) version = kProtocolVersion;
  if (version < 2) return Fail("the window speaks an XDND version older than 2");

  Time now = ServerTime();
  XSetSelectionOwner(g_display, g_xdndSelection, g_source, now);
  if (XGetSelectionOwner(g_display, g_xdndSelection) != g_source) return Fail("cannot own XdndSelection");

  /* One type, so it travels in the message itself and no type list is needed. */
  SendXdnd(target, g_xdndEnter, (long)version << 24, (long)g_uriList, None, None);
  SendXdnd(target, g_xdndPosition, 0, ((long)x << 16) | (long)(y & 0xFFFF), (long)now, (long)g_xdndActionCopy);
  XClientMessageEvent status;
  if (!AwaitXdnd(target, g_xdndStatus, &status)) {
    SendXdnd(target, g_xdndLeave, 0, 0, 0, 0);
    return Fail("no XdndStatus in time");
  }
  if (!(status.data.l[1] & 1)) {
    SendXdnd(target, g_xdndLeave, 0, 0, 0, 0);
    printf("refused\n");
    return kRefused;
  }

  SendXdnd(target, g_xdndDrop, 0, (long)now, 0, 0);
  XClientMessageEvent finished;
  if (!AwaitXdnd(target, g_xdndFinished, &finished)) return Fail("no XdndFinished in time");
  /* Before version 5 XdndFinished carries no verdict: the status had it. */
  if (version >= 5 && !(finished.data.l[1] & 1)) {
    printf("refused\n");
    return kRefused;
  }
  printf("taken\n");
  return kTaken;
}

int main(int argc, char **argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: xdnd_drop X Y FILE...\n");
    return kError;
  }
  char *end;
  long x = strtol(argv[1], &end, 10);
  if (*end || x < 0 || x > 0x7FFF) return Fail("bad X");
  long y = strtol(argv[2], &end, 10);
  if (*end || y < 0 || y > 0x7FFF) return Fail("bad Y");
  for (int i = 3; i < argc; ++i) {
    if (!AppendUri(argv[i])) return Fail("a file is not an absolute path, or the list is too long");
  }

  g_display = XOpenDisplay(NULL);
  if (!g_display) return Fail("cannot open the display");
  g_xdndAware = XInternAtom(g_display, "XdndAware", False);
  g_xdndSelection = XInternAtom(g_display, "XdndSelection", False);
  g_xdndEnter = XInternAtom(g_display, "XdndEnter", False);
  g_xdndPosition = XInternAtom(g_display, "XdndPosition", False);
  g_xdndStatus = XInternAtom(g_display, "XdndStatus", False);
  g_xdndLeave = XInternAtom(g_display, "XdndLeave", False);
  g_xdndDrop = XInternAtom(g_display, "XdndDrop", False);
  g_xdndFinished = XInternAtom(g_display, "XdndFinished", False);
  g_xdndActionCopy = XInternAtom(g_display, "XdndActionCopy", False);
  g_uriList = XInternAtom(g_display, "text/uri-list", False);
  g_targets = XInternAtom(g_display, "TARGETS", False);
  g_timeProbe = XInternAtom(g_display, "XDND_DROP_TIME", False);

  /* Never mapped: it only owns the selection and receives the answers. */
  XSetWindowAttributes attributes;
  memset(&attributes, 0, sizeof attributes);
  attributes.event_mask = PropertyChangeMask;
  g_source = XCreateWindow(g_display, DefaultRootWindow(g_display), -10, -10, 1, 1, 0, CopyFromParent, InputOnly,
                           CopyFromParent, CWEventMask, &attributes);
  int result = Drop((int)x, (int)y);
  fflush(stdout);
  XDestroyWindow(g_display, g_source);
  XCloseDisplay(g_display);
  return result;
}
