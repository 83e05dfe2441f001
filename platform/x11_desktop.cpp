#include "x11_desktop.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "app.h"
#include "drag.h"
#include "event.h"
#include "gestures.h"
#include "view.h"
#include "window.h"

// The X headers last: their macros (None, Above...) would clash with names
// in the headers above.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace plat {

namespace {

using XWin = ::Window;

const long kXdndVersion = 5;

// file:// URIs with the bytes that URIs may not hold written as %XX.
std::string fileUri(const std::string& path) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out = "file://";
  for (unsigned char c : path) {
    if (isalnum(c) || strchr("/-_.~!$&'()*+,;=:@", c)) {
      out += char(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

// The path of a file:// URI ("file:///p" or "file://host/p"), "" otherwise.
std::string uriPath(const std::string& uri) {
  if (uri.compare(0, 7, "file://") != 0) return "";
  size_t slash = uri.find('/', 7);
  if (slash == std::string::npos) return "";
  std::string out;
  for (size_t i = slash; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() && isxdigit((unsigned char)uri[i + 1]) &&
        isxdigit((unsigned char)uri[i + 2])) {
      out += char(strtol(uri.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += uri[i];
    }
  }
  return out;
}

std::vector<std::string> parseUriList(const std::string& text) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (line.empty() || line[0] == '#') continue;
    std::string p = uriPath(line);
    if (!p.empty()) out.push_back(p);
  }
  return out;
}

uint32_t modifiersFromX(unsigned state) {
  uint32_t f = 0;
  if (state & ShiftMask) f |= kModShift;
  if (state & ControlMask) f |= kModCommand;  // as the presenter maps the keys
  if (state & Mod4Mask) f |= kModControl;
  if (state & Mod1Mask) f |= kModOption;
  if (state & LockMask) f |= kModCapsLock;
  return f;
}

class X11DesktopImpl : public X11Desktop {
public:
  explicit X11DesktopImpl(Lookup lookup) : m_lookup(std::move(lookup)) {
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    SDL_AddEventWatch(&X11DesktopImpl::watch, this);
  }

  ~X11DesktopImpl() override {
    SDL_DelEventWatch(&X11DesktopImpl::watch, this);
    if (m_dpy && m_helper) XDestroyWindow(m_dpy, m_helper);
    if (m_dpy) XFlush(m_dpy);
  }

  void windowCreated(SDL_Window* sw) override {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(sw, &info) || info.subsystem != SDL_SYSWM_X11) return;
    if (!m_dpy) start(info.info.x11.display);
    XWin xw = info.info.x11.window;
    m_windows[xw] = sw;
    if (m_xiGestures) selectGestures(xw);
  }

  void windowDestroyed(SDL_Window* sw) override {
    for (auto it = m_windows.begin(); it != m_windows.end(); ++it)
      if (it->second == sw) {
        if (m_in.target == it->first) m_in = Incoming();
        m_windows.erase(it);
        return;
      }
  }

  bool runFileDrag(const FileDrag& drag, SDL_Window* from) override;

  void runPending() override {
    // One at a time: an action may run a nested loop that comes back here.
    while (!m_pending.empty()) {
      std::function<void()> f = std::move(m_pending.front());
      m_pending.pop_front();
      f();
    }
  }

private:
  struct Incoming {
    XWin source = 0, target = 0;
    std::vector<Atom> types;
    bool fromUs = false;
    bool asked = false, answered = false;
    std::vector<std::string> files;
    double askedAt = 0;
    bool havePosition = false;
    int x = 0, y = 0;  // last position, window pixels
  };

  struct Outgoing {
    bool active = false;
    FileDrag drag;
    std::vector<Atom> types;
    XWin target = 0;
    long version = 0;
    bool accepted = false, waitingStatus = false, moved = false;
    bool released = false, dropped = false, finished = false;
    int rx = 0, ry = 0;
    Time time = CurrentTime;
    std::string tempFolder;
    std::vector<std::string> promisedPaths;  // written for text/uri-list
    std::string name;                        // of the promised file
  };

  static int watch(void* self, SDL_Event* e) {
    if (e->type != SDL_SYSWMEVENT || !e->syswm.msg || e->syswm.msg->subsystem != SDL_SYSWM_X11)
      return 0;
    static_cast<X11DesktopImpl*>(self)->handle(e->syswm.msg->msg.x11.event);
    return 0;
  }

  void start(Display* dpy) {
    m_dpy = dpy;
    auto atom = [&](const char* n) { return XInternAtom(dpy, n, False); };
    A.aware = atom("XdndAware");
    A.enter = atom("XdndEnter");
    A.position = atom("XdndPosition");
    A.status = atom("XdndStatus");
    A.leave = atom("XdndLeave");
    A.drop = atom("XdndDrop");
    A.finished = atom("XdndFinished");
    A.selection = atom("XdndSelection");
    A.typeList = atom("XdndTypeList");
    A.actionCopy = atom("XdndActionCopy");
    A.directSave = atom("XdndDirectSave0");
    A.uriList = atom("text/uri-list");
    A.textPlain = atom("text/plain");
    A.targets = atom("TARGETS");
    A.incoming = atom("HARSHBLOOM_XDND_IN");
    XSetWindowAttributes a;
    memset(&a, 0, sizeof a);
    a.override_redirect = True;
    // Source of our drags and requestor of incoming drags' data: not an SDL
    // window, so SDL's own selection answers never get in the way.
    m_helper = XCreateWindow(dpy, DefaultRootWindow(dpy), -100, -100, 1, 1, 0, CopyFromParent,
                             InputOnly, CopyFromParent, CWOverrideRedirect, &a);
    int ev, err;
    if (XQueryExtension(dpy, "XInputExtension", &m_xiOpcode, &ev, &err)) {
      int major = 2, minor = 4;
      if (XIQueryVersion(dpy, &major, &minor) == Success && (major > 2 || (major == 2 && minor >= 4)))
        m_xiGestures = true;
    }
  }

  void selectGestures(XWin w) {
#ifdef XI_GesturePinchBegin
    // Add the gesture events to whatever SDL selected on the window.
    int n = 0;
    XIEventMask* old = XIGetSelectedEvents(m_dpy, w, &n);
    unsigned char bits[XIMaskLen(XI_LASTEVENT)];
    memset(bits, 0, sizeof bits);
    for (int i = 0; old && i < n; ++i)
      if (old[i].deviceid == XIAllMasterDevices)
        memcpy(bits, old[i].mask, std::min(size_t(old[i].mask_len), sizeof bits));
    if (old) XFree(old);
    for (int t : {XI_GesturePinchBegin, XI_GesturePinchUpdate, XI_GesturePinchEnd, XI_GestureSwipeBegin,
                  XI_GestureSwipeUpdate, XI_GestureSwipeEnd})
      XISetMask(bits, t);
    XIEventMask m;
    m.deviceid = XIAllMasterDevices;
    m.mask_len = sizeof bits;
    m.mask = bits;
    XISelectEvents(m_dpy, w, &m, 1);
#else
    (void)w;
#endif
  }

  // Program window, strip and window base point of window pixels (x, y) of
  // an SDL window's X window; null when it is none of ours.
  Window* windowAt(XWin xw, int x, int y, Point* base) {
    auto it = m_windows.find(xw);
    if (it == m_windows.end()) return nullptr;
    int strip = 0;
    Window* w = m_lookup(it->second, &strip);
    if (!w) return nullptr;
    *base = {double(x), w->frame().h - double(y - strip)};
    return y >= strip ? w : nullptr;
  }

  void handle(XEvent& ev) {
    if (!m_dpy) return;
    switch (ev.type) {
      case GenericEvent: handleGeneric(ev.xcookie); return;
      case ClientMessage: handleClientMessage(ev.xclient); return;
      case SelectionNotify:
        if (ev.xselection.requestor == m_helper) incomingData(ev.xselection);
        return;
      case SelectionRequest:
        if (ev.xselectionrequest.owner == m_helper) {
          XSelectionRequestEvent req = ev.xselectionrequest;
          // Writing a promised file may ask the user: not inside SDL's pump.
          m_pending.push_back([this, req] { answerRequest(req); });
        }
        return;
      case MotionNotify:
        if (m_out.active) {
          m_out.rx = ev.xmotion.x_root;
          m_out.ry = ev.xmotion.y_root;
          m_out.time = ev.xmotion.time;
          m_out.moved = true;
        }
        return;
      case ButtonRelease:
        if (m_out.active && ev.xbutton.button <= 3) {
          m_out.rx = ev.xbutton.x_root;
          m_out.ry = ev.xbutton.y_root;
          m_out.time = ev.xbutton.time;
          m_out.released = true;
        }
        return;
      default: return;
    }
  }

  void handleGeneric(XGenericEventCookie& c) {
#ifdef XI_GesturePinchBegin
    if (!m_xiGestures || c.extension != m_xiOpcode || !c.data) return;
    if (c.evtype >= XI_GesturePinchBegin && c.evtype <= XI_GesturePinchEnd) {
      auto* g = static_cast<XIGesturePinchEvent*>(c.data);
      Point at;
      Window* w = windowAt(g->event, int(g->event_x), int(g->event_y), &at);
      int type = c.evtype;
      double scale = g->scale, angle = g->delta_angle;
      uint32_t mods = modifiersFromX(unsigned(g->mods.effective));
      Ref<Window> hold(w);
      m_pending.push_back([this, hold, at, type, scale, angle, mods] {
        if (type == XI_GesturePinchBegin) m_touchpad.pinchBegin();
        else if (hold && !hold->isClosed()) m_touchpad.pinchUpdate(hold.get(), at, scale, angle, mods);
      });
    } else if (c.evtype >= XI_GestureSwipeBegin && c.evtype <= XI_GestureSwipeEnd) {
      auto* g = static_cast<XIGestureSwipeEvent*>(c.data);
      Point at;
      Window* w = windowAt(g->event, int(g->event_x), int(g->event_y), &at);
      int type = c.evtype;
      double dx = g->delta_x, dy = g->delta_y;
      bool cancelled = (g->flags & XIGestureSwipeEventCancelled) != 0;
      uint32_t mods = modifiersFromX(unsigned(g->mods.effective));
      Ref<Window> hold(w);
      m_pending.push_back([this, hold, at, type, dx, dy, cancelled, mods] {
        if (type == XI_GestureSwipeBegin) m_touchpad.swipeBegin();
        else if (type == XI_GestureSwipeUpdate) m_touchpad.swipeUpdate(dx, dy);
        else if (hold && !hold->isClosed()) m_touchpad.swipeEnd(hold.get(), at, cancelled, mods);
      });
    }
#else
    (void)c;
#endif
  }

  void sendClient(XWin to, Atom type, long l0, long l1, long l2, long l3, long l4) {
    XEvent e;
    memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.display = m_dpy;
    e.xclient.window = to;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    e.xclient.data.l[0] = l0;
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(m_dpy, to, False, NoEventMask, &e);
  }

  // --- drags coming in: SDL answers the source and reports the drop; the
  // steps before it go to the drag destination from here.

  void handleClientMessage(const XClientMessageEvent& m) {
    if (m.window == m_helper) {
      outgoingReply(m);
      return;
    }
    if (!m_windows.count(m.window)) return;
    if (m.message_type == A.enter) {
      m_in = Incoming();
      m_in.source = XWin(m.data.l[0]);
      m_in.target = m.window;
      m_in.fromUs = m_in.source == m_helper;
      if (m.data.l[1] & 1) {
        m_in.types = typeList(m_in.source);
      } else {
        for (int i = 2; i < 5; ++i)
          if (m.data.l[i]) m_in.types.push_back(Atom(m.data.l[i]));
      }
      return;
    }
    if (m_in.target != m.window || XWin(m.data.l[0]) != m_in.source) return;
    if (m.message_type == A.position) {
      int rx = int((unsigned long)m.data.l[2] >> 16), ry = int(m.data.l[2] & 0xFFFF);
      XWin child;
      XTranslateCoordinates(m_dpy, DefaultRootWindow(m_dpy), m.window, rx, ry, &m_in.x, &m_in.y, &child);
      m_in.havePosition = true;
      if (!m_in.fromUs && !m_in.asked && hasType(m_in.types, A.uriList)) {
        // The names of the files, for the destination to look at before the
        // drop (asked once; the answer comes as a SelectionNotify).
        m_in.asked = true;
        m_in.askedAt = app().now();
        XDeleteProperty(m_dpy, m_helper, A.incoming);
        XConvertSelection(m_dpy, A.selection, A.uriList, A.incoming, m_helper, Time(m.data.l[3]));
        XFlush(m_dpy);
      }
      if (m_in.asked && !m_in.answered && app().now() - m_in.askedAt < 0.5) return;
      queueMoved();
      return;
    }
    if (m.message_type == A.leave) {
      m_in = Incoming();
      m_pending.push_back([] { dragCancelled(); });
      return;
    }
    if (m.message_type == A.drop) m_in.target = 0;  // SDL takes it from here
  }

  void incomingData(const XSelectionEvent& s) {
    if (s.property != A.incoming || !m_in.asked || m_in.answered) return;
    m_in.answered = true;
    if (s.property != None) m_in.files = parseUriList(readProperty(m_helper, A.incoming));
    XDeleteProperty(m_dpy, m_helper, A.incoming);
    if (m_in.havePosition) queueMoved();
  }

  void queueMoved() {
    Point at;
    Window* w = windowAt(m_in.target, m_in.x, m_in.y, &at);
    DraggingInfo d;
    d.window = w;
    d.location = at;
    if (m_in.fromUs && m_out.active) {
      d.files = m_out.drag.files;
      d.source = m_out.drag.view;
      if (!m_out.drag.promisedTypes.empty()) {
        d.promised = {m_out.name};
        d.writePromised = m_out.drag.writePromised;
      }
    } else {
      d.files = m_in.files;
    }
    Ref<Window> hold(w);
    m_pending.push_back([hold, d] {
      if (hold && !hold->isClosed()) dragMoved(d);
      else dragCancelled();
    });
  }

  // --- drags going out

  void outgoingReply(const XClientMessageEvent& m) {
    if (!m_out.active || XWin(m.data.l[0]) != m_out.target) return;
    if (m.message_type == A.status) {
      m_out.waitingStatus = false;
      m_out.accepted = (m.data.l[1] & 1) != 0;
    } else if (m.message_type == A.finished) {
      m_out.finished = true;
    }
  }

  // The XDND-aware window under a root point, and its protocol version.
  XWin findTarget(int rx, int ry, long* version) {
    XWin root = DefaultRootWindow(m_dpy), w = root, child = None;
    int x, y;
    for (int depth = 0; depth < 32; ++depth) {
      if (!XTranslateCoordinates(m_dpy, root, w, rx, ry, &x, &y, &child)) return 0;
      if (child == None) return 0;
      w = child;
      if (w == m_helper) return 0;
      Atom type;
      int format;
      unsigned long n = 0, after = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(m_dpy, w, A.aware, 0, 1, False, XA_ATOM, &type, &format, &n, &after, &data) ==
              Success &&
          data && n == 1) {
        *version = long(*reinterpret_cast<unsigned long*>(data));
        XFree(data);
        return *version >= 3 ? w : 0;
      }
      if (data) XFree(data);
    }
    return 0;
  }

  void sendPosition() {
    sendClient(m_out.target, A.position, long(m_helper), 0, (long(m_out.rx) << 16) | (m_out.ry & 0xFFFF),
               long(m_out.time), long(A.actionCopy));
    m_out.waitingStatus = true;
    m_out.moved = false;
  }

  void stepOutgoing() {
    if (!m_out.moved || m_out.dropped) return;
    long version = 0;
    XWin t = findTarget(m_out.rx, m_out.ry, &version);
    if (t != m_out.target) {
      if (m_out.target) sendClient(m_out.target, A.leave, long(m_helper), 0, 0, 0, 0);
      m_out.target = t;
      m_out.version = std::min(version, kXdndVersion);
      m_out.accepted = m_out.waitingStatus = false;
      if (t) {
        long more = m_out.types.size() > 3 ? 1 : 0;
        long tl[3] = {0, 0, 0};
        for (size_t i = 0; i < 3 && i < m_out.types.size(); ++i) tl[i] = long(m_out.types[i]);
        sendClient(t, A.enter, long(m_helper), (m_out.version << 24) | more, tl[0], tl[1], tl[2]);
      }
    }
    if (m_out.target && !m_out.waitingStatus) sendPosition();
    XFlush(m_dpy);
  }

  void answerRequest(const XSelectionRequestEvent& req) {
    XEvent r;
    memset(&r, 0, sizeof r);
    r.xselection.type = SelectionNotify;
    r.xselection.display = m_dpy;
    r.xselection.requestor = req.requestor;
    r.xselection.selection = req.selection;
    r.xselection.target = req.target;
    r.xselection.time = req.time;
    r.xselection.property = None;
    Atom prop = req.property != None ? req.property : req.target;
    if (m_out.active && req.selection == A.selection) {
      if (req.target == A.targets) {
        std::vector<Atom> t = m_out.types;
        t.push_back(A.targets);
        XChangeProperty(m_dpy, req.requestor, prop, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(t.data()), int(t.size()));
        r.xselection.property = prop;
      } else if (req.target == A.uriList || req.target == A.textPlain) {
        std::string text;
        for (const std::string& p : outgoingPaths()) text += (req.target == A.uriList ? fileUri(p) : p) + "\r\n";
        if (!text.empty()) {
          XChangeProperty(m_dpy, req.requestor, prop, req.target, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(text.data()), int(text.size()));
          r.xselection.property = prop;
        }
      } else if (req.target == A.directSave && !m_out.drag.promisedTypes.empty()) {
        // The target named the file it wants in our XdndDirectSave0
        // property: the promised file is written into that folder.
        std::string where = uriPath(readProperty(m_helper, A.directSave));
        std::string answer = "E";
        size_t slash = where.find_last_of('/');
        if (slash != std::string::npos && m_out.drag.writePromised) {
          std::string folder = slash == 0 ? "/" : where.substr(0, slash);
          if (!m_out.drag.writePromised(folder).empty()) answer = "S";
        }
        XChangeProperty(m_dpy, req.requestor, prop, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(answer.data()), int(answer.size()));
        r.xselection.property = prop;
      }
    }
    XSendEvent(m_dpy, req.requestor, False, NoEventMask, &r);
    XFlush(m_dpy);
  }

  // The paths a text/uri-list names: the files, or a promised file written
  // once into a folder of our own.
  std::vector<std::string> outgoingPaths() {
    if (!m_out.drag.files.empty()) return m_out.drag.files;
    if (m_out.drag.promisedTypes.empty() || !m_out.drag.writePromised) return {};
    if (m_out.promisedPaths.empty()) {
      const char* tmp = getenv("TMPDIR");
      std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/harshbloom-drag-XXXXXX";
      std::vector<char> buf(tmpl.begin(), tmpl.end());
      buf.push_back(0);
      if (!mkdtemp(buf.data())) return {};
      m_out.tempFolder = buf.data();
      for (const std::string& n : m_out.drag.writePromised(m_out.tempFolder))
        m_out.promisedPaths.push_back(n.find('/') == std::string::npos ? m_out.tempFolder + "/" + n : n);
    }
    return m_out.promisedPaths;
  }

  std::string readProperty(XWin w, Atom prop) {
    Atom type;
    int format;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(m_dpy, w, prop, 0, 1 << 20, False, AnyPropertyType, &type, &format, &n, &after,
                           &data) == Success &&
        data && format == 8)
      out.assign(reinterpret_cast<char*>(data), n);
    if (data) XFree(data);
    return out;
  }

  std::vector<Atom> typeList(XWin w) {
    std::vector<Atom> out;
    Atom type;
    int format;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(m_dpy, w, A.typeList, 0, 64, False, XA_ATOM, &type, &format, &n, &after, &data) ==
            Success &&
        data && format == 32)
      for (unsigned long i = 0; i < n; ++i) out.push_back(Atom(reinterpret_cast<unsigned long*>(data)[i]));
    if (data) XFree(data);
    return out;
  }

  static bool hasType(const std::vector<Atom>& types, Atom a) {
    for (Atom t : types)
      if (t == a) return true;
    return false;
  }

  Lookup m_lookup;
  Display* m_dpy = nullptr;
  XWin m_helper = 0;
  std::map<XWin, SDL_Window*> m_windows;
  int m_xiOpcode = -1;
  bool m_xiGestures = false;
  TouchpadGestures m_touchpad;
  Incoming m_in;
  Outgoing m_out;
  std::deque<std::function<void()>> m_pending;
  struct Atoms {
    Atom aware, enter, position, status, leave, drop, finished, selection, typeList, actionCopy;
    Atom directSave, uriList, textPlain, targets, incoming;
  } A{};
};

bool X11DesktopImpl::runFileDrag(const FileDrag& drag, SDL_Window* from) {
  if (!m_dpy || m_out.active) return false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(from, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  XWin fromX = info.info.x11.window;
  m_out = Outgoing();
  m_out.drag = drag;
  if (!drag.promisedTypes.empty()) {
    // The promised file's name: what the pending drag will write.
    m_out.name = drag.promisedName.empty() ? "untitled" : drag.promisedName;
    m_out.types = {A.directSave, A.uriList, A.textPlain};
  } else {
    if (drag.files.empty()) return false;
    m_out.types = {A.uriList, A.textPlain};
  }
  XSetSelectionOwner(m_dpy, A.selection, m_helper, CurrentTime);
  if (XGetSelectionOwner(m_dpy, A.selection) != m_helper) return false;
  XChangeProperty(m_dpy, m_helper, A.typeList, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(m_out.types.data()), int(m_out.types.size()));
  if (!m_out.name.empty())
    XChangeProperty(m_dpy, m_helper, A.directSave, A.textPlain, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(m_out.name.data()), int(m_out.name.size()));
  // The pointer's events come to the window the drag started from, wherever
  // the pointer goes, until the button is released.
  if (XGrabPointer(m_dpy, fromX, False, ButtonReleaseMask | PointerMotionMask | ButtonMotionMask, GrabModeAsync,
                   GrabModeAsync, None, None, CurrentTime) != GrabSuccess)
    return false;
  m_out.active = true;
  {
    XWin root, child;
    int wx, wy;
    unsigned mask = 0;
    XQueryPointer(m_dpy, fromX, &root, &child, &m_out.rx, &m_out.ry, &wx, &wy, &mask);
    m_out.moved = true;
    // Already released before the drag could start: nothing is dragged.
    if (!(mask & (Button1Mask | Button2Mask | Button3Mask))) m_out.released = true;
  }
  XFlush(m_dpy);
  double releasedAt = 0;
  for (;;) {
    SDL_PumpEvents();
    // The drag takes the pointer's events, as a drag session does.
    SDL_FlushEvents(SDL_MOUSEMOTION, SDL_MOUSEWHEEL);
    SDL_FlushEvent(SDL_SYSWMEVENT);
    runPending();
    if (!m_out.released) {
      stepOutgoing();
    } else if (!m_out.dropped) {
      XUngrabPointer(m_dpy, CurrentTime);
      m_out.dropped = true;
      releasedAt = app().now();
      if (m_out.target && m_out.accepted) {
        sendClient(m_out.target, A.drop, long(m_helper), 0, long(m_out.time), 0, 0);
      } else {
        if (m_out.target) sendClient(m_out.target, A.leave, long(m_helper), 0, 0, 0, 0);
        m_out.finished = true;
      }
      XFlush(m_dpy);
    }
    // A target that never answers does not hold the program for long.
    if (m_out.finished || (m_out.dropped && app().now() - releasedAt > 10)) break;
    SDL_Delay(4);
  }
  runPending();
  m_out.active = false;
  if (XGetSelectionOwner(m_dpy, A.selection) == m_helper) XSetSelectionOwner(m_dpy, A.selection, None, CurrentTime);
  XFlush(m_dpy);
  return true;
}

}  // namespace

X11Desktop* createX11Desktop(X11Desktop::Lookup lookup) {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || strcmp(driver, "x11") != 0) return nullptr;
  return new X11DesktopImpl(std::move(lookup));
}

}  // namespace plat
