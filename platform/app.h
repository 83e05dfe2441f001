#pragma once

// The application: the run loop with its timers, tasks posted from any
// thread, the event queue, modal sessions as nested loops, the window list,
// activation, the main menu and termination. Time comes from a real
// monotonic clock or, in tests, from a virtual clock that jumps straight to
// the next deadline instead of sleeping.
//
// Without a presenter (the default) nothing is shown: windows exist, tests
// inject events with queueEvent()/sendEvent() and read backing bitmaps.

#include <stdint.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bitmap.h"
#include "event.h"
#include "geometry.h"
#include "object.h"

namespace plat {

class Window;
class Menu;
class MenuTracker;

struct Screen {
  Rect frame;         // screen coordinates
  Rect visibleFrame;  // without the desktop's panels
};

// Standard cursors; the presenter shows them. Custom: an image set with
// setCursorImage().
enum class Cursor { Arrow, IBeam, Crosshair, PointingHand, ResizeLeftRight, ResizeUpDown,
                    ClosedHand, OpenHand, NotAllowed, Wait, Hidden, Custom };

// A cursor drawn from an image (straight alpha), with its hot spot counted
// from the image's top-left pixel.
class CursorImage : public Object {
public:
  CursorImage(const Bitmap& image, const Point& hotSpot) : m_image(image), m_hot(hotSpot) {}
  const Bitmap& image() const { return m_image; }
  Point hotSpot() const { return m_hot; }

private:
  Bitmap m_image;
  Point m_hot;
};

// Shows windows on a desktop and feeds its input back as events.
class Presenter {
public:
  virtual ~Presenter() = default;
  virtual void windowShown(Window* w) = 0;
  virtual void windowHidden(Window* w) = 0;
  virtual void windowClosed(Window* w) = 0;
  // Frame, title, level or style changed.
  virtual void windowChanged(Window* w) = 0;
  // The backing bitmap was redrawn.
  virtual void windowDisplayed(Window* w) = 0;
  virtual void mainMenuChanged() = 0;
  virtual void cursorChanged(Cursor c) = 0;
  // The cursor became an image (after cursorChanged(Cursor::Custom)).
  virtual void cursorImageChanged(const CursorImage&) {}
  // Moves the pointer to a screen point; false when the desktop refuses.
  virtual bool warpMouse(const Point&) { return false; }
  // Hidden pointer that stays put while motion still arrives as deltas.
  virtual void setRelativeMouseMode(bool) {}
  // The character the keyboard layout gives a key without modifiers (0: not
  // known here).
  virtual uint32_t characterForKeyCode(uint16_t) { return 0; }
  // Turns desktop input into events (Application::queueEvent), waiting at
  // most `seconds` for some to arrive; wake() cuts the wait short.
  virtual void waitEvents(double seconds) = 0;
  // Any thread.
  virtual void wake() = 0;
  virtual std::vector<Screen> screens() = 0;
  // Text of the desktop clipboard.
  virtual bool setClipboardText(const std::string&) { return false; }
  virtual bool clipboardText(std::string*) { return false; }
  // A window covering the whole screen without decorations, or back to its
  // frame; false when the desktop cannot.
  virtual bool setWindowFullScreen(Window*, bool) { return false; }
};

// Answers of the delegate to a termination request.
enum class TerminateReply { Cancel = 0, Now = 1, Later = 2 };

// Modal session answers.
enum : int { kModalStop = -1000, kModalAbort = -1001, kModalContinue = -1002 };

class ApplicationDelegate {
public:
  virtual ~ApplicationDelegate() = default;
  virtual void applicationWillFinishLaunching() {}
  virtual void applicationDidFinishLaunching() {}
  virtual TerminateReply applicationShouldTerminate() { return TerminateReply::Now; }
  virtual void applicationWillTerminate() {}
  virtual void applicationDidBecomeActive() {}
  virtual void applicationDidResignActive() {}
  virtual bool applicationOpenFile(const std::string&) { return false; }
  virtual bool applicationOpenUntitledFile() { return false; }
  virtual bool applicationShouldOpenUntitledFile() { return false; }
  // Sees every event before the windows do; true consumes it.
  virtual bool filterEvent(const Event&) { return false; }
};

using TimerId = uint64_t;

struct ModalSession;

class Application {
public:
  static Application& shared();

  // --- set-up
  void setDelegate(ApplicationDelegate* d) { m_delegate = d; }
  ApplicationDelegate* delegate() const { return m_delegate; }
  // Takes ownership; null removes (and deletes) the current presenter.
  void setPresenter(Presenter* p);
  Presenter* presenter() const { return m_presenter; }
  // Calls the delegate's launch hooks and activates the application.
  void finishLaunching();
  bool isLaunched() const { return m_launched; }
  // Closes every window, drops timers, tasks, events, sessions, the menu,
  // the delegate and the presenter, and returns to the real clock.
  void resetForTests();

  // --- clock
  void useVirtualClock(bool on);
  bool usesVirtualClock() const { return m_virtual; }
  double now() const;

  // --- run loop (main thread)
  bool isMainThread() const { return std::this_thread::get_id() == m_mainThread; }
  // Makes the calling thread the main thread (done on first use).
  void adoptCurrentThreadAsMain() { m_mainThread = std::this_thread::get_id(); }
  // One turn: posted tasks, due timers, queued events, display; waits up to
  // maxWait seconds when nothing is ready. False when there was nothing to do.
  bool runOnce(double maxWait);
  // Turns the loop until `seconds` have passed on the clock.
  void runFor(double seconds);
  // Turns the loop until pred() is true or `timeout` seconds passed.
  bool runUntil(const std::function<bool()>& pred, double timeout);
  // Turns the loop until terminate() succeeds or stop() is called.
  void run();
  void stop() { m_stopRequested = true; }
  bool isRunning() const { return m_running; }

  // --- timers (main thread; they fire in every loop, modal ones included)
  TimerId addTimer(double interval, bool repeats, std::function<void()> fn);
  void cancelTimer(TimerId id);
  bool isTimerValid(TimerId id) const { return m_timers.count(id) != 0; }
  size_t timerCount() const { return m_timers.size(); }

  // --- tasks: run on the main thread at the next turn (any thread)
  void post(std::function<void()> task);

  // --- events
  void queueEvent(const Event& e);  // main thread
  // Looks at queued events without removing them; true when one matches.
  bool peekEvent(const std::function<bool(const Event&)>& match) const;
  // Delivers one event now: the delegate's filter, the main menu's key
  // equivalents, then the window.
  void sendEvent(const Event& e);
  // Sees every queued event before anything else (also those a modal session
  // would drop); true consumes it. Popped-up menus watch clicks with it.
  void setEventMonitor(std::function<bool(const Event&)> m) { m_monitor = std::move(m); }
  // Chooses the enabled main-menu item whose key equivalent matches a key
  // down; true when one was performed.
  bool performKeyEquivalent(const Event& e);
  const Event* currentEvent() const { return m_current; }
  Point mouseLocation() const { return m_mouse; }  // screen coordinates
  void setMouseLocation(const Point& p) { m_mouse = p; }
  uint32_t modifierFlags() const { return m_modifiers; }
  void setModifierFlags(uint32_t f) { m_modifiers = f; }
  bool isMouseButtonDown(int button) const;
  void setMouseButtonDown(int button, bool down);

  // --- windows
  const std::vector<Window*>& windows() const { return m_windows; }
  // Visible windows, front to back.
  const std::vector<Window*>& orderedWindows() const { return m_ordered; }
  Window* keyWindow() const { return m_key; }
  Window* mainWindow() const { return m_main; }
  Window* windowWithNumber(int n) const;
  // Frontmost visible window containing a screen point.
  Window* windowAtPoint(const Point& screenPoint) const;

  // --- modal sessions
  ModalSession* beginModalSession(Window* w);
  // Runs one turn of the session without waiting; kModalContinue while it runs.
  int runModalSession(ModalSession* s);
  void endModalSession(ModalSession* s);
  // Nested loop until stopModal/abortModal; returns the code.
  int runModalForWindow(Window* w);
  void stopModal() { stopModalWithCode(kModalStop); }
  void stopModalWithCode(int code);
  void abortModal();
  Window* modalWindow() const;

  // --- menu, cursor, clipboard
  Menu* mainMenu() const { return m_mainMenu; }
  void setMainMenu(Menu* m);
  MenuTracker* menuTracker() const { return m_tracker; }
  void setMenuTracker(MenuTracker* t) { m_tracker = t; }  // not owned
  Cursor cursor() const { return m_cursor; }
  void setCursor(Cursor c);
  // Retained; null goes back to the arrow.
  void setCursorImage(CursorImage* c);
  CursorImage* cursorImage() const { return m_cursorImage.get(); }
  // Pointer position and mode.
  bool warpMouse(const Point& screenPoint);
  void setRelativeMouseMode(bool on);
  bool relativeMouseMode() const { return m_relativeMouse; }
  // The character of a key on the current layout (US layout without a
  // presenter that knows better); 0 for keys without one.
  uint32_t characterForKeyCode(uint16_t keyCode) const;
  void setClipboardText(const std::string& text);
  std::string clipboardText() const;

  // --- activation, termination
  bool isActive() const { return m_active; }
  void activate();
  void deactivate();
  // Hides every window of the program; activating it (or unhide) brings
  // them back.
  void hide();
  void unhide();
  bool isHidden() const { return m_hidden; }
  // Asks the delegate; on Now, tells it and stops run(). Later waits for
  // replyToApplicationShouldTerminate.
  void terminate();
  void replyToApplicationShouldTerminate(bool yes);
  bool isTerminated() const { return m_terminated; }

  // --- screens (bottom-left origin); a default 1600 x 1200 without presenter
  std::vector<Screen> screens() const;
  void setScreens(const std::vector<Screen>& s) { m_screens = s; }

private:
  friend class Window;
  Application();
  void registerWindow(Window* w);
  void unregisterWindow(Window* w);
  void orderWindow(Window* w, bool front);
  void removeFromOrder(Window* w);
  void setKeyWindow(Window* w);
  void windowChanged(Window* w);
  void runDueTimers();
  bool runPostedTasks();
  bool deliverQueuedEvents();
  void displayWindows();
  double nextTimerDeadline() const;
  void waitFor(double seconds);
  void finishTermination();

  struct TimerRec {
    double interval, due;
    bool repeats;
    std::function<void()> fn;
  };

  ApplicationDelegate* m_delegate = nullptr;
  Presenter* m_presenter = nullptr;
  MenuTracker* m_tracker = nullptr;
  std::thread::id m_mainThread;
  bool m_launched = false, m_running = false, m_stopRequested = false;
  bool m_terminated = false, m_active = false, m_hidden = false;
  bool m_virtual = false;
  double m_virtualNow = 0;

  std::map<TimerId, TimerRec> m_timers;
  TimerId m_nextTimer = 1;

  mutable std::mutex m_taskMutex;
  std::condition_variable m_taskCv;
  std::deque<std::function<void()>> m_tasks;

  std::deque<Event> m_events;
  const Event* m_current = nullptr;
  Point m_mouse;
  uint32_t m_modifiers = 0;
  unsigned m_buttons = 0;

  std::vector<Window*> m_windows, m_ordered;
  std::vector<Ref<Window>> m_hiddenWindows;  // back to front, while hidden
  Window* m_key = nullptr;
  Window* m_main = nullptr;
  std::vector<ModalSession*> m_modal;
  Menu* m_mainMenu = nullptr;
  Cursor m_cursor = Cursor::Arrow;
  Ref<CursorImage> m_cursorImage;
  bool m_relativeMouse = false;
  std::function<bool(const Event&)> m_monitor;
  std::string m_clipboard;
  std::vector<Screen> m_screens;
};

inline Application& app() { return Application::shared(); }

}  // namespace plat
