// Test control of the running program, for the end-to-end test: with
// HB_TEST_CONTROL=1 the program reads one command per line from its standard
// input and answers each on standard output with a line starting "hbtest: ".
// Menu commands go through the main window's menu items as a click on the
// menu strip would; keys and clicks are queued as desktop input events.
//
//   ping                 pong (start-up is over)
//   status               callbacks <n> stream <running|stopped>
//   shot <path>          saves the main window's pixels as PNG
//   shot-key <path>      the same for the key window (a dialog)
//   menu <id>            chooses the menu item <id>; "menu <id> done" when
//                        its command returns (after any dialog it ran)
//   strip                strip [title][title]... of the menu on the menu strip
//   modal                modal <title of the modal window> | modal none
//   key return|escape    a key press in the key window
//   click <id>           a click in the middle of control <id> of the key window
//   combo <id>           combo <id> <entries> <selection> in the key window
//   popups               popups <visible pop-up menus> <tool tip text or "-">
//   find <tool tip>      find <x> <y> <w> <h>: the first editor control with
//                        that tool tip, in the main window's pixels on the
//                        desktop (the menu strip above counted)
//   valuetext <n>        valuetext <n> <x> <y> <w> <h> <text>: the effect's
//                        value text n, the same way
//   redraw               redraws every editor control: "redraw ok"
//   loadprog <path>      loads a program file as the Load button does:
//                        "loadprog ok" or "loadprog failed"
//   lastprog             lastprog <the program file last saved or loaded>

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <sstream>
#include <string>

#include "Harshbloom.h"
#include "IControl.h"
#include "IControls.h"
#include "IGraphics.h"
#include "app_main.h"
#include "platform/app.h"
#include "platform/keys.h"
#include "platform/menu.h"
#include "platform/presenter.h"
#include "platform/window.h"
#include "programs/HarshbloomProgram.h"
#include "shim.h"

namespace {

std::string gInput;
plat::TimerId gTimer = 0;

void Reply(const std::string& text) {
  printf("hbtest: %s\n", text.c_str());
  fflush(stdout);
}

plat::Window* MainWindow() {
  plat::View* v = gHWND ? SHIM_View(gHWND) : nullptr;
  return v ? v->window() : nullptr;
}

plat::Window* KeyWindow() {
  if (plat::Window* m = plat::app().modalWindow()) return m;
  return plat::app().keyWindow();
}

plat::MenuItem* FindItem(plat::Menu* menu, intptr_t tag, int depth) {
  if (!menu || depth > 8) return nullptr;
  for (int i = 0; i < menu->count(); ++i) {
    plat::MenuItem* it = menu->item(i);
    if (it->tag() == tag && !it->submenu()) return it;
    if (plat::MenuItem* found = FindItem(it->submenu(), tag, depth + 1)) return found;
  }
  return nullptr;
}

bool Shot(plat::Window* w, const std::string& path) {
  if (!w || path.empty()) return false;
  w->displayIfNeeded();
  return w->backing().savePNG(path);
}

void Key(const std::string& name) {
  plat::Window* w = KeyWindow();
  if (!w) return Reply("key no-window");
  plat::Event e;
  e.window = w;
  e.timestamp = plat::app().now();
  if (name == "return") {
    e.keyCode = plat::key::Return;
    e.characters = "\r";
  } else if (name == "escape") {
    e.keyCode = plat::key::Escape;
    e.characters = "\x1b";
  } else {
    return Reply("key unknown");
  }
  e.charactersIgnoringModifiers = e.characters;
  e.type = plat::EventType::KeyDown;
  plat::app().queueEvent(e);
  e.type = plat::EventType::KeyUp;
  plat::app().queueEvent(e);
  Reply("key ok");
}

HWND KeyDialogItem(int id) {
  plat::Window* w = KeyWindow();
  if (!w || !w->contentView()) return nullptr;
  return GetDlgItem(SHIM_H(w->contentView()), id);
}

void Click(int id) {
  HWND item = KeyDialogItem(id);
  plat::View* v = item ? SHIM_View(item) : nullptr;
  if (!v || !v->window()) return Reply("click missing");
  const plat::Rect b = v->bounds();
  plat::Event e;
  e.window = v->window();
  e.location = v->convertToWindow({b.x + b.w / 2, b.y + b.h / 2});
  e.clickCount = 1;
  e.timestamp = plat::app().now();
  e.type = plat::EventType::LeftMouseDown;
  plat::app().queueEvent(e);
  e.type = plat::EventType::LeftMouseUp;
  plat::app().queueEvent(e);
  Reply("click ok");
}

Harshbloom* Effect() { return dynamic_cast<Harshbloom*>(gPluginInstance); }

// An editor rectangle in the main window's desktop pixels (the strip above).
std::string WindowRect(const IRECT& r) {
  return std::to_string(r.L) + " " + std::to_string(r.T + plat::kMenuStripHeight) + " " +
         std::to_string(r.W()) + " " + std::to_string(r.H());
}

void Popups() {
  int menus = 0;
  std::string tip = "-";
  for (plat::Window* w : plat::app().orderedWindows()) {
    if (!w->isVisible() || w->level() < plat::kLevelPopUpMenu) continue;
    if (w->canBecomeKeyWindow())
      ++menus;
    else if (!w->title().empty())
      tip = w->title();
  }
  Reply("popups " + std::to_string(menus) + " " + tip);
}

void Find(const std::string& tip) {
  Harshbloom* fx = Effect();
  IGraphics* g = fx ? fx->GetGUI() : nullptr;
  for (int i = 0; g && i < g->NControls(); ++i) {
    IControl* c = g->GetControl(i);
    if (!c->IsHidden() && tip == c->GetTooltip()) return Reply("find " + WindowRect(*c->GetRECT()));
  }
  Reply("find missing");
}

void ValueText(int n) {
  Harshbloom* fx = Effect();
  if (!fx || n < 0 || n >= Harshbloom::kNumValueTexts) return Reply("valuetext missing");
  auto* c = dynamic_cast<ITextControl*>(fx->getEditorLinks().valueTexts[n]);
  if (!c) return Reply("valuetext missing");
  Reply("valuetext " + std::to_string(n) + " " + WindowRect(*c->GetRECT()) + " " +
        c->GetTextForPlug());
}

void Redraw() {
  Harshbloom* fx = Effect();
  IGraphics* g = fx ? fx->GetGUI() : nullptr;
  plat::Window* w = MainWindow();
  if (!g || !w) return Reply("redraw failed");
  g->SetAllControlsDirty();
  w->display();
  Reply("redraw ok");
}

void Run(const std::string& line) {
  std::istringstream in(line);
  std::string cmd, arg;
  in >> cmd;
  std::getline(in >> std::ws, arg);
  if (cmd == "ping") {
    Reply("pong");
  } else if (cmd == "status") {
    bool running = false;
    try {
      running = gDAC && gDAC->isStreamRunning();
    } catch (const RtAudioError&) {
    }
    Reply("callbacks " + std::to_string(gVecElapsed.load()) + " stream " +
          (running ? "running" : "stopped"));
  } else if (cmd == "shot" || cmd == "shot-key") {
    plat::Window* w = cmd == "shot" ? MainWindow() : KeyWindow();
    Reply(Shot(w, arg) ? "shot ok" : "shot failed");
  } else if (cmd == "menu") {
    const int id = atoi(arg.c_str());
    HMENU menu = gHWND ? GetMenu(gHWND) : nullptr;
    plat::MenuItem* item = FindItem(SHIM_Internal_Menu(menu), id, 0);
    if (!item) return Reply("menu " + arg + " missing");
    plat::Ref<plat::MenuItem> hold(item);
    // A command that runs a dialog runs it from the loop, not from here.
    plat::app().post([hold, arg] {
      plat::Menu::performItem(hold.get());
      Reply("menu " + arg + " done");
    });
  } else if (cmd == "strip") {
    std::string t;
    plat::Menu* m = plat::app().mainMenu();
    for (int i = 0; m && i < m->count(); ++i) t += "[" + m->item(i)->title() + "]";
    Reply("strip " + t);
  } else if (cmd == "modal") {
    plat::Window* m = plat::app().modalWindow();
    Reply(m ? "modal " + m->title() : "modal none");
  } else if (cmd == "key") {
    Key(arg);
  } else if (cmd == "click") {
    Click(atoi(arg.c_str()));
  } else if (cmd == "combo") {
    HWND item = KeyDialogItem(atoi(arg.c_str()));
    if (!item) return Reply("combo " + arg + " missing");
    Reply("combo " + arg + " " + std::to_string(SendMessage(item, CB_GETCOUNT, 0, 0)) + " " +
          std::to_string(SendMessage(item, CB_GETCURSEL, 0, 0)));
  } else if (cmd == "popups") {
    Popups();
  } else if (cmd == "find") {
    Find(arg);
  } else if (cmd == "valuetext") {
    ValueText(atoi(arg.c_str()));
  } else if (cmd == "redraw") {
    Redraw();
  } else if (cmd == "loadprog") {
    Harshbloom* fx = Effect();
    Rawnfield::HarshbloomProgram program;
    std::string curve;
    if (!fx || !program.loadProgram(arg, curve)) return Reply("loadprog failed");
    fx->LoadProgFromRN(KIT_String(arg.c_str()));
    Reply("loadprog ok");
  } else if (cmd == "lastprog") {
    Harshbloom* fx = Effect();
    Reply("lastprog " + (fx ? fx->GetLastSelectedProgramFile() : std::string()));
  } else if (!cmd.empty()) {
    Reply("unknown " + cmd);
  }
}

void Poll() {
  char buf[512];
  for (;;) {
    const ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
    if (n > 0) {
      gInput.append(buf, size_t(n));
      continue;
    }
    if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
      // The test went away: stop listening.
      plat::app().cancelTimer(gTimer);
      gTimer = 0;
    }
    break;
  }
  for (size_t eol; (eol = gInput.find('\n')) != std::string::npos;) {
    const std::string line = gInput.substr(0, eol);
    gInput.erase(0, eol + 1);
    Run(line);
  }
}

}  // namespace

void StartTestControl() {
  const char* on = getenv("HB_TEST_CONTROL");
  if (!on || strcmp(on, "1") || gTimer) return;
  const int flags = fcntl(STDIN_FILENO, F_GETFL);
  if (flags < 0 || fcntl(STDIN_FILENO, F_SETFL, flags | O_NONBLOCK) < 0) return;
  gTimer = plat::app().addTimer(0.005, true, Poll);
}
