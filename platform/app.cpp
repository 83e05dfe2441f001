#include "app.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "keys.h"
#include "menu.h"
#include "text.h"
#include "window.h"

namespace plat {

struct ModalSession {
  Ref<Window> window;
  int response = kModalContinue;
};

Application& Application::shared() {
  static Application* a = new Application();  // lives to process end
  return *a;
}

Application::Application() : m_mainThread(std::this_thread::get_id()) {}

void Application::setPresenter(Presenter* p) {
  if (p == m_presenter) return;
  delete m_presenter;
  m_presenter = p;
  if (p)
    for (Window* w : m_ordered) p->windowShown(w);
}

void Application::finishLaunching() {
  if (m_launched) return;
  if (m_delegate) m_delegate->applicationWillFinishLaunching();
  m_launched = true;
  if (m_delegate) m_delegate->applicationDidFinishLaunching();
  activate();
}

void Application::resetForTests() {
  // Closing one window may close others (owned ones): take them one by one.
  while (!m_windows.empty()) {
    Window* w = m_windows.front();
    w->close();
    if (!m_windows.empty() && m_windows.front() == w) m_windows.erase(m_windows.begin());
  }
  for (ModalSession* s : m_modal) delete s;
  m_modal.clear();
  auto timers = std::move(m_timers);
  m_timers.clear();
  timers.clear();
  {
    std::lock_guard<std::mutex> g(m_taskMutex);
    m_tasks.clear();
  }
  m_events.clear();
  setMainMenu(nullptr);
  m_delegate = nullptr;
  m_tracker = nullptr;
  setPresenter(nullptr);
  m_virtual = false;
  m_launched = m_running = m_stopRequested = m_terminated = m_active = m_hidden = false;
  m_hiddenWindows.clear();
  m_key = m_main = nullptr;
  m_cursor = Cursor::Arrow;
  m_cursorImage.reset();
  m_relativeMouse = false;
  m_monitor = nullptr;
  m_clipboard.clear();
  m_screens.clear();
  m_modifiers = 0;
  m_buttons = 0;
  m_mouse = {};
  m_mainThread = std::this_thread::get_id();
}

// --- clock

static double realNow() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double Application::now() const { return m_virtual ? m_virtualNow : realNow(); }

void Application::useVirtualClock(bool on) {
  if (on == m_virtual) return;
  double before = now();
  m_virtual = on;
  if (on) m_virtualNow = 1000.0;
  double shift = now() - before;
  for (auto& t : m_timers) t.second.due += shift;
}

// --- timers

TimerId Application::addTimer(double interval, bool repeats, std::function<void()> fn) {
  TimerRec r;
  r.interval = std::max(interval, 1e-4);
  r.due = now() + r.interval;
  r.repeats = repeats;
  r.fn = std::move(fn);
  TimerId id = m_nextTimer++;
  m_timers.emplace(id, std::move(r));
  return id;
}

void Application::cancelTimer(TimerId id) {
  auto it = m_timers.find(id);
  if (it == m_timers.end()) return;
  // The callback may own the last reference to objects whose teardown
  // cancels further timers: let it go only once the map is consistent.
  std::function<void()> fn = std::move(it->second.fn);
  m_timers.erase(it);
}

double Application::nextTimerDeadline() const {
  double d = std::numeric_limits<double>::infinity();
  for (auto& t : m_timers) d = std::min(d, t.second.due);
  return d;
}

void Application::runDueTimers() {
  double t = now();
  std::vector<std::pair<double, TimerId>> due;
  for (auto& r : m_timers)
    if (r.second.due <= t) due.push_back({r.second.due, r.first});
  std::sort(due.begin(), due.end());
  for (auto& d : due) {
    auto it = m_timers.find(d.second);
    if (it == m_timers.end()) continue;  // cancelled by an earlier one
    std::function<void()> fn = it->second.fn;
    if (it->second.repeats) {
      it->second.due += it->second.interval;
      if (it->second.due <= t) it->second.due = t + it->second.interval;  // skip missed firings
    } else {
      cancelTimer(d.second);
    }
    fn();
  }
}

// --- tasks

void Application::post(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> g(m_taskMutex);
    m_tasks.push_back(std::move(task));
  }
  m_taskCv.notify_all();
  if (m_presenter) m_presenter->wake();
}

bool Application::runPostedTasks() {
  std::deque<std::function<void()>> tasks;
  {
    std::lock_guard<std::mutex> g(m_taskMutex);
    tasks.swap(m_tasks);
  }
  for (auto& t : tasks) t();
  return !tasks.empty();
}

// --- events

void Application::queueEvent(const Event& e) { m_events.push_back(e); }

bool Application::peekEvent(const std::function<bool(const Event&)>& match) const {
  for (const Event& e : m_events)
    if (match(e)) return true;
  return false;
}

bool Application::isMouseButtonDown(int button) const {
  if (button < 0) return m_buttons != 0;
  return button < 32 && (m_buttons >> button) & 1;
}

void Application::setMouseButtonDown(int button, bool down) {
  if (button < 0 || button >= 32) return;
  if (down)
    m_buttons |= 1u << button;
  else
    m_buttons &= ~(1u << button);
}

void Application::sendEvent(const Event& e) {
  const Event* prev = m_current;
  m_current = &e;
  if (e.isMouse() || e.type == EventType::MouseEntered || e.type == EventType::MouseExited)
    m_mouse = e.screenLocation();
  if (e.isKey()) m_modifiers = e.modifierFlags;
  if (e.isMouseDown()) setMouseButtonDown(e.buttonNumber, true);
  if (e.isMouseUp()) setMouseButtonDown(e.buttonNumber, false);
  bool consumed = m_delegate && m_delegate->filterEvent(e);
  if (!consumed && e.type == EventType::KeyDown) consumed = performKeyEquivalent(e);
  if (!consumed && e.window && !e.window->isClosed()) e.window->sendEvent(e);
  m_current = prev;
}

bool Application::deliverQueuedEvents() {
  size_t n = m_events.size();
  bool any = n > 0;
  while (n-- > 0 && !m_events.empty()) {
    Event e = std::move(m_events.front());
    m_events.pop_front();
    if (m_monitor) {
      auto monitor = m_monitor;
      if (monitor(e)) continue;
    }
    // A modal window takes all clicks and keys; others get none.
    Window* modal = modalWindow();
    if (modal && e.window && e.window.get() != modal && e.window->parentWindow() != modal &&
        e.window->level() <= modal->level() &&
        (e.isMouseDown() || e.isMouseUp() || e.isKey() || e.isDrag()))
      continue;
    sendEvent(e);
  }
  return any;
}

// --- loop

void Application::displayWindows() {
  for (Window* w : std::vector<Window*>(m_ordered)) {
    if (Object::isLive(w) && w->isVisible()) w->displayIfNeeded();
  }
}

void Application::waitFor(double seconds) {
  if (m_presenter) {
    if (m_virtual) {
      m_presenter->waitEvents(0);
      if (m_events.empty() && seconds > 0 && seconds < 1e300) m_virtualNow += seconds;
    } else {
      m_presenter->waitEvents(std::max(0.0, seconds));
    }
    return;
  }
  if (!(seconds > 0)) return;
  if (m_virtual) {
    if (seconds < 1e300) m_virtualNow += seconds;
    return;
  }
  std::unique_lock<std::mutex> lk(m_taskMutex);
  m_taskCv.wait_for(lk, std::chrono::duration<double>(std::min(seconds, 3600.0)),
                    [this] { return !m_tasks.empty(); });
}

bool Application::runOnce(double maxWait) {
  bool tasksReady;
  {
    std::lock_guard<std::mutex> g(m_taskMutex);
    tasksReady = !m_tasks.empty();
  }
  bool ready = tasksReady || !m_events.empty() || nextTimerDeadline() <= now();
  if (!ready)
    waitFor(std::min(maxWait, nextTimerDeadline() - now()));
  else if (m_presenter)
    m_presenter->waitEvents(0);
  bool did = runPostedTasks();
  size_t before = m_timers.size();
  double firstDue = nextTimerDeadline();
  runDueTimers();
  did = did || firstDue <= now() || m_timers.size() != before;
  did = deliverQueuedEvents() || did;
  displayWindows();
  return did;
}

void Application::runFor(double seconds) {
  double end = now() + seconds;
  do {
    runOnce(end - now());
  } while (now() < end && !m_terminated);
}

bool Application::runUntil(const std::function<bool()>& pred, double timeout) {
  double end = now() + timeout;
  while (!pred()) {
    double left = end - now();
    if (left <= 0 || m_terminated) return pred();
    runOnce(std::min(left, 0.05));
  }
  return true;
}

void Application::run() {
  m_running = true;
  while (!m_terminated && !m_stopRequested) runOnce(1.0);
  m_stopRequested = false;
  m_running = false;
}

// --- windows

void Application::registerWindow(Window* w) { m_windows.push_back(w); }

void Application::unregisterWindow(Window* w) {
  removeFromOrder(w);
  m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), w), m_windows.end());
  if (m_key == w) m_key = nullptr;
  if (m_main == w) m_main = nullptr;
  w->release();
}

void Application::removeFromOrder(Window* w) {
  m_ordered.erase(std::remove(m_ordered.begin(), m_ordered.end(), w), m_ordered.end());
}

void Application::orderWindow(Window* w, bool front) {
  removeFromOrder(w);
  if (!w->isVisible()) return;
  size_t pos = 0;
  if (front) {
    while (pos < m_ordered.size() && m_ordered[pos]->level() > w->level()) ++pos;
  } else {
    pos = m_ordered.size();
    while (pos > 0 && m_ordered[pos - 1]->level() < w->level()) --pos;
  }
  m_ordered.insert(m_ordered.begin() + pos, w);
  // Child windows stay in front of their parent.
  for (Window* c : w->childWindows())
    if (c->isVisible()) orderWindow(c, true);
  windowChanged(w);
}

void Application::windowChanged(Window* w) {
  if (m_presenter && w->isVisible()) m_presenter->windowChanged(w);
}

void Application::setKeyWindow(Window* w) {
  if (w == m_key) return;
  Ref<Window> old(m_key), nw(w);
  m_key = w;
  if (old && Object::isLive(old.get())) old->windowDidResignKey();
  if (w && m_key == w) w->windowDidBecomeKey();
  if (w && m_key == w && w->canBecomeMainWindow() && m_main != w) {
    Ref<Window> oldMain(m_main);
    m_main = w;
    if (oldMain) oldMain->windowDidResignMain();
    w->windowDidBecomeMain();
  }
  if (m_presenter && w) m_presenter->windowChanged(w);
}

Window* Application::windowWithNumber(int n) const {
  for (Window* w : m_windows)
    if (w->windowNumber() == n) return w;
  return nullptr;
}

Window* Application::windowAtPoint(const Point& p) const {
  for (Window* w : m_ordered)
    if (!w->ignoresMouseEvents() && w->frame().contains(p)) return w;
  return nullptr;
}

// --- modal sessions

ModalSession* Application::beginModalSession(Window* w) {
  if (!w) return nullptr;
  ModalSession* s = new ModalSession();
  s->window = w;
  m_modal.push_back(s);
  w->makeKeyAndOrderFront();
  return s;
}

int Application::runModalSession(ModalSession* s) {
  if (!s) return kModalAbort;
  if (s->response == kModalContinue) runOnce(0);
  if (m_terminated && s->response == kModalContinue) s->response = kModalAbort;
  return s->response;
}

void Application::endModalSession(ModalSession* s) {
  auto it = std::find(m_modal.begin(), m_modal.end(), s);
  if (it == m_modal.end()) return;
  m_modal.erase(it);
  delete s;
}

int Application::runModalForWindow(Window* w) {
  ModalSession* s = beginModalSession(w);
  if (!s) return kModalAbort;
  while (s->response == kModalContinue && !m_terminated) {
    bool idle;
    {
      std::lock_guard<std::mutex> g(m_taskMutex);
      idle = m_tasks.empty();
    }
    // On the virtual clock with nothing that could ever end the loop, give up
    // rather than spin forever.
    if (m_virtual && !m_presenter && idle && m_events.empty() && m_timers.empty()) {
      s->response = kModalAbort;
      break;
    }
    runOnce(1.0);
  }
  int code = s->response == kModalContinue ? kModalAbort : s->response;
  endModalSession(s);
  return code;
}

void Application::stopModalWithCode(int code) {
  if (m_modal.empty()) return;
  m_modal.back()->response = code;
  if (m_presenter) m_presenter->wake();
}

void Application::abortModal() { stopModalWithCode(kModalAbort); }

Window* Application::modalWindow() const {
  return m_modal.empty() ? nullptr : m_modal.back()->window.get();
}

// --- menu, cursor, clipboard

void Application::setMainMenu(Menu* m) {
  if (m == m_mainMenu) return;
  if (m) m->retain();
  Menu* old = m_mainMenu;
  m_mainMenu = m;
  if (old) old->release();
  if (m_presenter) m_presenter->mainMenuChanged();
}

void Application::setCursor(Cursor c) {
  if (c == Cursor::Custom && !m_cursorImage) c = Cursor::Arrow;
  if (c != Cursor::Custom) m_cursorImage.reset();
  m_cursor = c;
  if (m_presenter) m_presenter->cursorChanged(c);
}

void Application::setCursorImage(CursorImage* c) {
  if (!c) {
    setCursor(Cursor::Arrow);
    return;
  }
  m_cursorImage = c;
  m_cursor = Cursor::Custom;
  if (m_presenter) {
    m_presenter->cursorChanged(Cursor::Custom);
    m_presenter->cursorImageChanged(*c);
  }
}

bool Application::warpMouse(const Point& p) {
  if (m_presenter && !m_presenter->warpMouse(p)) return false;
  m_mouse = p;
  return true;
}

void Application::setRelativeMouseMode(bool on) {
  m_relativeMouse = on;
  if (m_presenter) m_presenter->setRelativeMouseMode(on);
}

uint32_t Application::characterForKeyCode(uint16_t code) const {
  if (m_presenter)
    if (uint32_t c = m_presenter->characterForKeyCode(code)) return c;
  return usLayoutCharacter(code);
}

namespace {
bool isUpperLetter(uint32_t c) { return c >= 'A' && c <= 'Z'; }
uint32_t lowerAscii(uint32_t c) { return isUpperLetter(c) ? c + 32 : c; }

MenuItem* findKeyEquivalent(Menu* menu, uint32_t key, uint32_t mods, int depth) {
  if (!menu || depth > 16) return nullptr;
  for (int i = 0; i < menu->count(); ++i) {
    MenuItem* it = menu->item(i);
    if (it->submenu()) {
      if (MenuItem* hit = findKeyEquivalent(it->submenu(), key, mods, depth + 1)) return hit;
      continue;
    }
    std::vector<CodePoint> k = decodeUtf8(it->keyEquivalent());
    if (k.size() != 1) continue;
    uint32_t want = it->keyEquivalentModifiers() & (kModCommand | kModOption | kModControl | kModShift);
    if (isUpperLetter(k[0].cp)) want |= kModShift;  // the case carries the shift
    if (lowerAscii(k[0].cp) == key && want == mods) return it;
  }
  return nullptr;
}
}  // namespace

bool Application::performKeyEquivalent(const Event& e) {
  if (e.type != EventType::KeyDown || !m_mainMenu) return false;
  std::vector<CodePoint> c = decodeUtf8(e.charactersIgnoringModifiers);
  if (c.size() != 1) return false;
  uint32_t mods = e.modifierFlags & (kModCommand | kModOption | kModControl | kModShift);
  Ref<Menu> hold(m_mainMenu);
  MenuItem* item = findKeyEquivalent(m_mainMenu, lowerAscii(c[0].cp), mods, 0);
  if (!item) return false;
  Ref<MenuItem> holdItem(item);
  // The owner may enable or disable items before the key acts, as when the
  // menu opens.
  for (Menu* m = item->menu(); m; m = m->supermenu())
    if (m->willOpen) {
      auto fn = m->willOpen;
      fn(m);
      break;
    }
  if (!item->isEnabled()) return false;
  Menu::performItem(item);
  return true;
}

void Application::setClipboardText(const std::string& text) {
  m_clipboard = text;
  if (m_presenter) m_presenter->setClipboardText(text);
}

std::string Application::clipboardText() const {
  std::string t;
  if (m_presenter && m_presenter->clipboardText(&t)) return t;
  return m_clipboard;
}

// --- activation, termination

void Application::activate() {
  unhide();
  if (m_active) return;
  m_active = true;
  if (m_delegate) m_delegate->applicationDidBecomeActive();
}

void Application::deactivate() {
  if (!m_active) return;
  m_active = false;
  if (m_delegate) m_delegate->applicationDidResignActive();
}

void Application::hide() {
  if (m_hidden) return;
  m_hidden = true;
  // Back to front, so that showing them again restores the order.
  std::vector<Window*> shown(m_ordered.rbegin(), m_ordered.rend());
  for (Window* w : shown) m_hiddenWindows.emplace_back(w);
  for (Window* w : shown)
    if (!w->isClosed()) w->orderOut();
  deactivate();
}

void Application::unhide() {
  if (!m_hidden) return;
  m_hidden = false;
  std::vector<Ref<Window>> wins;
  wins.swap(m_hiddenWindows);
  for (Ref<Window>& w : wins)
    if (!w->isClosed()) w->orderFront();
}

void Application::terminate() {
  if (m_terminated) return;
  TerminateReply r = m_delegate ? m_delegate->applicationShouldTerminate() : TerminateReply::Now;
  if (r == TerminateReply::Now) finishTermination();
}

void Application::replyToApplicationShouldTerminate(bool yes) {
  if (yes && !m_terminated) finishTermination();
}

void Application::finishTermination() {
  if (m_delegate) m_delegate->applicationWillTerminate();
  m_terminated = true;
  for (ModalSession* s : m_modal)
    if (s->response == kModalContinue) s->response = kModalAbort;
  if (m_presenter) m_presenter->wake();
}

std::vector<Screen> Application::screens() const {
  if (m_presenter) {
    std::vector<Screen> s = m_presenter->screens();
    if (!s.empty()) return s;
  }
  if (!m_screens.empty()) return m_screens;
  return {Screen{{0, 0, 1600, 1200}, {0, 0, 1600, 1200}}};
}

Point Event::screenLocation() const {
  return window ? window->convertToScreen(location) : location;
}

uint32_t usLayoutCharacter(uint16_t code) {
  static const char* const row = "asdfhgzxcv\0bqweryt123465=97-80]ou[ip\rlj'k;\\,/nm.\t `";
  if (code < 0x33) {
    char c = row[code];
    return uint32_t(static_cast<unsigned char>(c));
  }
  switch (code) {
    case key::Delete: return 0x7F;
    case key::Escape: return 0x1B;
    case key::KeypadDecimal: return '.';
    case key::KeypadMultiply: return '*';
    case key::KeypadPlus: return '+';
    case key::KeypadDivide: return '/';
    case key::KeypadEnter: return 3;
    case key::KeypadMinus: return '-';
    case key::KeypadEquals: return '=';
    default: break;
  }
  if (code >= key::Keypad0 && code <= key::Keypad7) return uint32_t('0' + (code - key::Keypad0));
  if (code == key::Keypad8) return '8';
  if (code == key::Keypad9) return '9';
  return 0;
}

}  // namespace plat
