#include "panels.h"

#include <dirent.h>
#include <errno.h>
#include <math.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "app.h"
#include "keys.h"
#include "text.h"
#include "window.h"
#include "workspace.h"

extern char** environ;

namespace plat {

namespace {

PanelRunner* g_runner = nullptr;

std::string defaultPanelTitle(PanelKind kind);

// --- zenity

// Runs a program and collects what it prints; its exit status in *status.
bool runCollecting(const std::vector<std::string>& argv, std::string* out, int* status) {
  std::string prog = findProgram(argv[0]);
  if (prog.empty()) return false;
  int fds[2];
  if (pipe(fds) != 0) return false;
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
  posix_spawn_file_actions_addclose(&fa, fds[0]);
  posix_spawn_file_actions_addclose(&fa, fds[1]);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid;
  int rc = posix_spawn(&pid, prog.c_str(), &fa, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return false;
  }
  char buf[4096];
  while (true) {
    ssize_t n = read(fds[0], buf, sizeof buf);
    if (n > 0) {
      out->append(buf, size_t(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;
  }
  close(fds[0]);
  int st = 0;
  while (waitpid(pid, &st, 0) < 0 && errno == EINTR) {
  }
  *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return true;
}

std::string joinPath(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

int zenityFilePanel(FilePanel& p) {
  std::string title = p.title.empty() ? defaultPanelTitle(p.kind()) : p.title;
  std::vector<std::string> argv{"zenity", "--file-selection", "--title=" + title};
  if (p.kind() == PanelKind::Save) argv.push_back("--save");
  if (p.kind() == PanelKind::Folder) argv.push_back("--directory");
  if (p.allowsMultipleSelection && p.kind() == PanelKind::Open) {
    argv.push_back("--multiple");
    argv.push_back("--separator=\n");
  }
  const std::string offered = offeredFileName(p);
  std::string start = p.directory.empty() ? std::string() : joinPath(p.directory, offered);
  if (p.directory.empty() && !offered.empty()) start = offered;
  if (!start.empty()) argv.push_back("--filename=" + start);
  if (!p.allowedTypes.empty() && p.kind() != PanelKind::Folder) {
    std::string f = "Files |";
    for (const std::string& t : p.allowedTypes) f += " *." + t;
    argv.push_back("--file-filter=" + f);
  }
  std::string out;
  int status = -1;
  if (!runCollecting(argv, &out, &status) || status != 0) return 0;
  p.paths.clear();
  size_t start2 = 0;
  while (start2 < out.size()) {
    size_t nl = out.find('\n', start2);
    std::string line = out.substr(start2, nl == std::string::npos ? std::string::npos : nl - start2);
    if (!line.empty()) p.paths.push_back(line);
    if (nl == std::string::npos) break;
    start2 = nl + 1;
  }
  return p.paths.empty() ? 0 : 1;
}

int zenityAlert(Alert& a) {
  int n = int(a.buttons.size());
  std::vector<std::string> argv{"zenity", n > 1 ? "--question" : "--info", "--no-markup",
                                "--title=" + a.title, "--text=" + a.message};
  if (n >= 1) argv.push_back("--ok-label=" + a.buttons[0]);
  if (n >= 2) {
    int cancel = a.cancelIndex >= 1 && a.cancelIndex < n ? a.cancelIndex : n - 1;
    argv.push_back("--cancel-label=" + a.buttons[size_t(cancel)]);
    for (int i = 1; i < n; ++i)
      if (i != cancel) argv.push_back("--extra-button=" + a.buttons[size_t(i)]);
  }
  std::string out;
  int status = -1;
  if (!runCollecting(argv, &out, &status)) return -1;
  if (status == 0) return 0;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  for (int i = 1; i < n; ++i)
    if (out == a.buttons[size_t(i)]) return i;
  return a.cancelIndex >= 0 && a.cancelIndex < n ? a.cancelIndex : n - 1;
}

class DefaultRunner : public PanelRunner {
public:
  // HB_OWN_PANELS=1 keeps the layer's own windows even where zenity is
  // installed (the end-to-end tests drive those).
  static bool useZenity() {
    const char* own = getenv("HB_OWN_PANELS");
    if (own && strcmp(own, "1") == 0) return false;
    return app().presenter() && !findProgram("zenity").empty();
  }
  int runFilePanel(FilePanel& p) override {
    // The desktop's chooser cannot hold an accessory view.
    if (useZenity() && !p.accessoryView()) return zenityFilePanel(p);
    return runFilePanelWindow(p);
  }
  int runAlert(Alert& a) override {
    if (useZenity()) {
      int r = zenityAlert(a);
      if (r >= 0) return r;
    }
    return runAlertWindow(a);
  }
};

// --- drawing helpers of the layer's own panels

const uint32_t kInk = 0xFF1A1A1A, kFrame = 0xFF9A9A9A, kAccent = 0xFF2F6FD0;

void drawButton(DrawContext& ctx, const Font& f, const Rect& r, const std::string& title,
                bool isDefault) {
  ctx.fillRect(r, isDefault ? kAccent : 0xFFFAFAFA);
  ctx.strokeRect(r, isDefault ? 0xFF2458A8 : kFrame);
  TextBoxStyle s;
  s.align = TextAlign::Center;
  s.centerVertically = true;
  drawTextInRect(ctx, f, title, r, isDefault ? 0xFFFFFFFF : kInk, s);
}

// A view that draws and handles events through functions, for panels built
// in code.
class PanelView : public View {
public:
  explicit PanelView(const Rect& f) : View(f) {}
  bool isFlipped() const override { return true; }
  bool acceptsFirstResponder() const override { return true; }
  std::function<void(DrawContext&)> onDraw;
  std::function<void(const Point&, const Event&)> onMouseDown;
  std::function<void(const Event&)> onKey;
  std::function<void(const Event&)> onWheel;
  void draw(DrawContext& ctx, const Rect&) override {
    ctx.fillRect(bounds(), 0xFFECECEC);
    if (onDraw) onDraw(ctx);
  }
  void mouseDown(const Event& e) override {
    if (onMouseDown) onMouseDown(convertFromWindow(e.location), e);
  }
  void keyDown(const Event& e) override {
    if (onKey) onKey(e);
  }
  void scrollWheel(const Event& e) override {
    if (onWheel) onWheel(e);
  }
};

uint32_t firstChar(const Event& e) {
  std::vector<CodePoint> c = decodeUtf8(e.charactersIgnoringModifiers);
  return c.empty() ? 0 : c[0].cp;
}

Rect centredFrame(double w, double h) {
  std::vector<Screen> s = app().screens();
  Rect scr = s.empty() ? Rect{0, 0, 1600, 1200} : s[0].visibleFrame;
  return {floor(scr.x + (scr.w - w) / 2), floor(scr.y + (scr.h - h) / 2 + h / 4), w, h};
}

}  // namespace

void setPanelRunner(PanelRunner* runner) { g_runner = runner; }

PanelRunner* panelRunner() {
  static DefaultRunner def;
  return g_runner ? g_runner : &def;
}

int FilePanel::runModal() {
  Ref<FilePanel> hold(this);
  paths.clear();
  int r = panelRunner()->runFilePanel(*this);
  if (r != 1) paths.clear();
  return r == 1 ? 1 : 0;
}

int Alert::runModal() { return panelRunner()->runAlert(*this); }

// --- the alert window

int runAlertWindow(Alert& a) {
  Font font = Font::system(13), bold = Font::system(13, kWeightBold);
  const double width = 420, margin = 20, bh = 24;
  std::vector<std::string> lines = wrapText(font, a.message, width - 2 * margin);
  double textH = font.lineHeight() * double(lines.size());
  double titleH = a.title.empty() ? 0 : bold.lineHeight() + 8;
  double height = margin + titleH + textH + 20 + bh + margin;
  Window* w = new Window(centredFrame(width, height), kStyleTitled);
  Ref<Window> hold(w);
  w->setTitle(a.title);
  w->setLevel(kLevelModalPanel);
  int n = int(a.buttons.size());
  std::vector<Rect> rects(static_cast<size_t>(n));
  double x = width - margin;
  for (int i = 0; i < n; ++i) {
    double bw = std::max(80.0, ceil(font.width(a.buttons[size_t(i)])) + 24);
    x -= bw;
    rects[size_t(i)] = {x, height - margin - bh, bw, bh};
    x -= 10;
  }
  PanelView* v = new PanelView({0, 0, width, height});
  v->onDraw = [&](DrawContext& ctx) {
    double y = margin;
    if (!a.title.empty()) {
      drawText(ctx, bold, a.title, {margin, y + bold.ascent()}, kInk);
      y += titleH;
    }
    for (const std::string& l : lines) {
      drawText(ctx, font, l, {margin, y + font.ascent()}, kInk);
      y += font.lineHeight();
    }
    for (int i = 0; i < n; ++i) drawButton(ctx, font, rects[size_t(i)], a.buttons[size_t(i)], i == 0);
  };
  int cancel = a.cancelIndex >= 0 && a.cancelIndex < n ? a.cancelIndex : n - 1;
  v->onMouseDown = [&](const Point& p, const Event&) {
    for (int i = 0; i < n; ++i)
      if (rects[size_t(i)].contains(p)) app().stopModalWithCode(i);
  };
  v->onKey = [&](const Event& e) {
    uint32_t c = firstChar(e);
    if ((c == '\r' || c == 3) && n > 0) app().stopModalWithCode(0);
    if (c == 0x1B) app().stopModalWithCode(cancel);
  };
  w->setContentView(v);
  v->release();
  w->makeKeyAndOrderFront();
  w->makeFirstResponder(v);
  int code = app().runModalForWindow(w);
  w->close();
  if (code < 0 || code >= n) return cancel;
  return code;
}

// --- the file panel window

namespace {

struct Entry {
  std::string name;
  bool dir;
};

bool hasAllowedType(const std::string& name, const std::vector<std::string>& types) {
  if (types.empty()) return true;
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = name.substr(dot + 1);
  for (const std::string& t : types)
    if (strcasecmp(t.c_str(), ext.c_str()) == 0) return true;
  return false;
}

std::vector<Entry> listFolder(const std::string& dir, const FilePanel& p) {
  std::vector<Entry> out;
  if (dir != "/") out.push_back({"..", true});
  DIR* d = opendir(dir.c_str());
  if (!d) return out;
  std::vector<Entry> dirs, files;
  while (struct dirent* e = readdir(d)) {
    std::string n = e->d_name;
    if (n == "." || n == ".." || n[0] == '.') continue;
    struct stat st;
    if (stat(joinPath(dir, n).c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode))
      dirs.push_back({n, true});
    else if (p.kind() != PanelKind::Folder && hasAllowedType(n, p.allowedTypes))
      files.push_back({n, false});
  }
  closedir(d);
  auto byName = [](const Entry& a, const Entry& b) { return strcasecmp(a.name.c_str(), b.name.c_str()) < 0; };
  std::sort(dirs.begin(), dirs.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  out.insert(out.end(), dirs.begin(), dirs.end());
  out.insert(out.end(), files.begin(), files.end());
  return out;
}

std::string parentOf(const std::string& dir) {
  size_t slash = dir.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return dir.substr(0, slash);
}

}  // namespace

// The name a panel offers: the last file's name, for a save with an
// extension of the allowed types (the first one replaces any other).
std::string offeredFileName(const FilePanel& p) {
  std::string name = p.fileName;
  const size_t slash = name.rfind('/');
  if (slash != std::string::npos) name = name.substr(slash + 1);
  if (name.empty() || p.kind() != PanelKind::Save || p.allowedTypes.empty()) return name;
  if (hasAllowedType(name, p.allowedTypes)) return name;
  const size_t dot = name.rfind('.');
  const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  return stem + "." + p.allowedTypes[0];
}

namespace {
std::string defaultPanelTitle(PanelKind kind) {
  switch (kind) {
    case PanelKind::Save: return "Save";
    case PanelKind::Folder: return "Choose Folder";
    default: return "Open";
  }
}
}  // namespace

namespace {

// One line of editable text: a caret and an anchor, byte offsets on
// character boundaries; the selection lies between them.
struct LineEdit {
  std::string text;
  size_t caret = 0, anchor = 0;

  size_t selStart() const { return std::min(caret, anchor); }
  size_t selEnd() const { return std::max(caret, anchor); }
  bool hasSelection() const { return caret != anchor; }
  void set(const std::string& t) {
    text = t;
    caret = anchor = t.size();
  }
  // The part before the last dot selected, or everything without one.
  void selectStem() {
    const size_t dot = text.rfind('.');
    anchor = 0;
    caret = dot == std::string::npos || dot == 0 ? text.size() : dot;
  }
  void selectAll() {
    anchor = 0;
    caret = text.size();
  }
  void insert(const std::string& s) {
    const size_t a = selStart();
    text.replace(a, selEnd() - a, s);
    caret = anchor = a + s.size();
  }
  size_t previous(size_t at) const {
    if (at == 0) return 0;
    size_t i = at - 1;
    while (i > 0 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) --i;
    return i;
  }
  size_t next(size_t at) const {
    if (at >= text.size()) return text.size();
    size_t i = at + 1;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    return i;
  }
  void moveTo(size_t at, bool extend) {
    caret = at;
    if (!extend) anchor = at;
  }
  void backspace() {
    if (!hasSelection()) anchor = previous(caret);
    insert("");
  }
  void forwardDelete() {
    if (!hasSelection()) anchor = next(caret);
    insert("");
  }
  // Arrow keys: without Shift a selection collapses to its side first.
  void left(bool extend) {
    if (!extend && hasSelection()) return moveTo(selStart(), false);
    moveTo(previous(caret), extend);
  }
  void right(bool extend) {
    if (!extend && hasSelection()) return moveTo(selEnd(), false);
    moveTo(next(caret), extend);
  }
};

bool isFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

int runFilePanelWindow(FilePanel& p) {
  Font font = Font::system(13), bold = Font::system(13, kWeightBold);
  const double width = 560, margin = 14, rowH = 20, listH = 260, bh = 24;
  const bool save = p.kind() == PanelKind::Save;
  const bool folder = p.kind() == PanelKind::Folder;
  const bool named = !folder;  // a name field: the file to save, or to open
  View* acc = p.accessoryView();
  double accH = acc ? acc->frame().h : 0;
  const std::string title = p.title.empty() ? defaultPanelTitle(p.kind()) : p.title;
  double dirTop = margin + 24;
  double listTop = dirTop + 24;
  double nameTop = listTop + listH + 10;
  // Folders can be made in save panels and where the caller allows it; the
  // new folder's name is typed in the row under the list.
  bool canMakeFolders = save || p.canCreateDirectories;
  double accTop = nameTop + (named || canMakeFolders ? 30 : 0);
  double buttonsTop = accTop + accH + (acc ? 10 : 0);
  double height = buttonsTop + bh + margin;

  std::string dir = p.directory;
  if (dir.empty()) {
    char cwd[4096];
    dir = getcwd(cwd, sizeof cwd) ? cwd : "/";
  }
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  LineEdit name;
  name.set(offeredFileName(p));
  name.selectStem();
  std::vector<Entry> entries;
  std::vector<std::string> listedTypes;
  std::vector<bool> selected;
  int scroll = 0, anchor = -1;
  int visibleRows = int(listH / rowH);
  auto reload = [&] {
    entries = listFolder(dir, p);
    listedTypes = p.allowedTypes;
    selected.assign(entries.size(), false);
    scroll = 0;
    anchor = -1;
  };
  auto select = [&](int i) {
    std::fill(selected.begin(), selected.end(), false);
    if (i < 0 || size_t(i) >= entries.size()) return;
    selected[size_t(i)] = true;
    anchor = i;
    if (anchor < scroll) scroll = anchor;
    if (anchor >= scroll + visibleRows) scroll = anchor - visibleRows + 1;
  };
  reload();
  // An open panel shows the offered file chosen in the list.
  if (!save && !name.text.empty())
    for (size_t i = 0; i < entries.size(); ++i)
      if (!entries[i].dir && entries[i].name == name.text) select(int(i));

  // The application holds the window until it closes; this function's own
  // reference is the only other one and goes at its end.
  Window* w = new Window(centredFrame(width, height), kStyleTitled | kStyleClosable);
  Ref<Window> hold(w);
  w->setTitle(title);
  w->setLevel(kLevelModalPanel);
  Rect listR{margin, listTop, width - 2 * margin, listH};
  Rect okR{width - margin - 90, buttonsTop, 90, bh};
  Rect cancelR{okR.x - 100, buttonsTop, 90, bh};
  Rect nameR{margin + 60, nameTop, width - 2 * margin - 60, 22};
  Rect newFolderR{margin, buttonsTop, 110, bh};
  bool naming = false;  // typing the name of a new folder
  std::string folderName;
  auto makeFolder = [&]() {
    if (folderName.empty()) return;
    std::string path = joinPath(dir, folderName);
    if (mkdir(path.c_str(), 0777) != 0) {
      Alert a;
      a.title = "New Folder";
      a.message = "The folder \"" + folderName + "\" could not be created in " + dir + ": " + strerror(errno) + ".";
      a.buttons = {"OK"};
      a.cancelIndex = 0;
      a.runModal();
      return;
    }
    naming = false;
    reload();
    for (size_t i = 0; i < entries.size(); ++i)
      if (entries[i].name == folderName) {
        selected[i] = true;
        anchor = int(i);
        scroll = std::max(0, anchor - visibleRows + 1);
      }
  };
  std::string okTitle = save ? "Save" : folder ? "Choose" : "Open";

  auto enterFolder = [&](const std::string& to) {
    dir = to;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    reload();
  };
  auto confirm = [&]() {
    std::vector<std::string> chosen;
    for (size_t i = 0; i < entries.size(); ++i)
      if (selected[i] && entries[i].name != "..") chosen.push_back(joinPath(dir, entries[i].name));
    if (save) {
      if (name.text.empty()) return;
      std::string n = name.text;
      if (!p.allowedTypes.empty() && !hasAllowedType(n, p.allowedTypes)) n += "." + p.allowedTypes[0];
      chosen = {joinPath(dir, n)};
    } else if (folder) {
      if (chosen.empty()) chosen = {dir};
    } else {
      // The name field stands for a single choice (choosing a row fills it).
      if (chosen.size() <= 1 && !name.text.empty())
        chosen = {name.text[0] == '/' ? name.text : joinPath(dir, name.text)};
      // A folder is entered rather than chosen.
      if (chosen.size() == 1 && isFolder(chosen[0])) {
        enterFolder(chosen[0]);
        name.set("");
        w->contentView()->setNeedsDisplay(true);
        return;
      }
      if (chosen.empty()) return;
      for (const std::string& c : chosen)
        if (!isFile(c)) return;
    }
    p.paths = chosen;
    app().stopModalWithCode(1);
  };
  auto enter = [&](int i) {
    if (i < 0 || size_t(i) >= entries.size()) return;
    const Entry& e = entries[size_t(i)];
    if (e.dir) {
      enterFolder(e.name == ".." ? parentOf(dir) : joinPath(dir, e.name));
    } else {
      select(i);
      name.set(e.name);
      confirm();
    }
  };

  PanelView* v = new PanelView({0, 0, width, height});
  v->onDraw = [&](DrawContext& ctx) {
    if (p.allowedTypes != listedTypes) {
      // The accessory chose another type: the name takes its extension.
      if (save && !p.allowedTypes.empty() && hasAllowedType(name.text, listedTypes) &&
          !hasAllowedType(name.text, p.allowedTypes)) {
        const size_t dot = name.text.rfind('.');
        name.set(name.text.substr(0, dot) + "." + p.allowedTypes[0]);
        name.selectStem();
      }
      reload();
    }
    TextBoxStyle one;
    one.ellipsis = true;
    drawTextInRect(ctx, bold, title, {margin, margin, width - 2 * margin, 20}, kInk, one);
    drawTextInRect(ctx, font, dir, {margin, dirTop, width - 2 * margin, 20}, 0xFF505050, one);
    ctx.fillRect(listR, 0xFFFFFFFF);
    ctx.strokeRect(listR, kFrame);
    for (int r = 0; r < visibleRows; ++r) {
      int i = scroll + r;
      if (size_t(i) >= entries.size()) break;
      Rect row{listR.x + 1, listR.y + 1 + r * rowH, listR.w - 2, rowH};
      bool sel = selected[size_t(i)];
      if (sel) ctx.fillRect(row, kAccent);
      std::string label = entries[size_t(i)].name + (entries[size_t(i)].dir ? "/" : "");
      drawTextInRect(ctx, font, label, {row.x + 6, row.y, row.w - 12, row.h}, sel ? 0xFFFFFFFF : kInk,
                     TextBoxStyle{TextAlign::Left, false, true, true});
    }
    if (naming) {
      Rect field{margin + 84, nameTop, width - 2 * margin - 84, 22};
      drawTextInRect(ctx, font, "New folder:", {margin, nameTop, field.x - margin - 2, 22}, kInk,
                     TextBoxStyle{TextAlign::Left, false, true, false});
      ctx.fillRect(field, 0xFFFFFFFF);
      ctx.strokeRect(field, kAccent);
      drawTextInRect(ctx, font, folderName + "|", {field.x + 4, field.y, field.w - 8, field.h}, kInk,
                     TextBoxStyle{TextAlign::Left, false, true, false});
    } else if (named) {
      drawTextInRect(ctx, font, "Name:", {margin, nameTop, 58, 22}, kInk,
                     TextBoxStyle{TextAlign::Left, false, true, false});
      ctx.fillRect(nameR, 0xFFFFFFFF);
      ctx.strokeRect(nameR, kAccent);
      const std::vector<double> carets = font.caretOffsets(name.text);
      const double tx = nameR.x + 4, top = nameR.y + (nameR.h - font.lineHeight()) / 2;
      ctx.save();
      ctx.clipTo({nameR.x + 1, nameR.y + 1, nameR.w - 2, nameR.h - 2});
      if (name.hasSelection())
        ctx.fillRect({tx + carets[name.selStart()], top, carets[name.selEnd()] - carets[name.selStart()],
                      font.lineHeight()},
                     0xFFB4D5FE);
      drawText(ctx, font, name.text, {tx, top + font.ascent()}, kInk);
      if (!name.hasSelection()) ctx.fillRect({tx + carets[name.caret], top, 1, font.lineHeight()}, kInk);
      ctx.restore();
    }
    if (canMakeFolders) drawButton(ctx, font, newFolderR, naming ? "Create" : "New Folder", false);
    drawButton(ctx, font, cancelR, "Cancel", false);
    drawButton(ctx, font, okR, okTitle, true);
  };
  v->onMouseDown = [&](const Point& pt, const Event& e) {
    if (canMakeFolders && newFolderR.contains(pt)) {
      if (naming) makeFolder();
      else naming = true, folderName.clear();
      return w->contentView()->setNeedsDisplay(true);
    }
    if (okR.contains(pt)) return confirm();
    if (cancelR.contains(pt)) return app().stopModalWithCode(0);
    if (named && !naming && nameR.contains(pt)) {
      if (e.clickCount >= 2)
        name.selectAll();
      else
        name.moveTo(font.indexAt(name.text, pt.x - nameR.x - 4), (e.modifierFlags & kModShift) != 0);
    } else if (listR.contains(pt)) {
      int i = scroll + int((pt.y - listR.y - 1) / rowH);
      if (i < 0 || size_t(i) >= entries.size()) return;
      if (e.clickCount >= 2) return enter(i);
      bool add = p.allowsMultipleSelection && (e.modifierFlags & (kModCommand | kModShift));
      if (add && (e.modifierFlags & kModShift) && anchor >= 0) {
        for (int k = std::min(anchor, i); k <= std::max(anchor, i); ++k) selected[size_t(k)] = true;
      } else if (add) {
        selected[size_t(i)] = !selected[size_t(i)];
        anchor = i;
      } else {
        select(i);
        if (named && !entries[size_t(i)].dir) {
          name.set(entries[size_t(i)].name);
          name.selectStem();
        }
      }
    }
    w->contentView()->setNeedsDisplay(true);
  };
  v->onKey = [&](const Event& e) {
    uint32_t c = firstChar(e);
    // Shift+Command+N, as in the desktop's own panels: a new folder.
    if (canMakeFolders && !naming && (c == 'n' || c == 'N') &&
        (e.modifierFlags & (kModCommand | kModShift)) == (kModCommand | kModShift)) {
      naming = true;
      folderName.clear();
      return w->contentView()->setNeedsDisplay(true);
    }
    if (naming) {
      if (c == 0x1B) naming = false;
      else if (c == '\r' || c == 3) makeFolder();
      else if (c == 0x7F || c == 8) folderName.resize(folderName.empty() ? 0 : utf8Prefix(folderName, folderName.size() - 1));
      else if (c >= 0x20 && c < 0xF700 && c != '/' && !(e.modifierFlags & (kModCommand | kModControl)))
        folderName += e.characters;
      return w->contentView()->setNeedsDisplay(true);
    }
    const bool shift = (e.modifierFlags & kModShift) != 0;
    const bool command = (e.modifierFlags & (kModCommand | kModControl)) != 0;
    if (c == 0x1B) return app().stopModalWithCode(0);
    if (c == '\r' || c == 3) return confirm();
    if (c == keychar::UpArrow || c == keychar::DownArrow) {
      int cur = anchor < 0 ? (c == keychar::DownArrow ? -1 : int(entries.size())) : anchor;
      int next = std::max(0, std::min(int(entries.size()) - 1, cur + (c == keychar::DownArrow ? 1 : -1)));
      select(next);
      if (named && next >= 0 && size_t(next) < entries.size() && !entries[size_t(next)].dir) {
        name.set(entries[size_t(next)].name);
        name.selectStem();
      }
    } else if (!named) {
      return;
    } else if (command && (c == 'a' || c == 'A')) {
      name.selectAll();
    } else if (c == 0x7F || c == 8) {
      name.backspace();
    } else if (c == keychar::ForwardDelete) {
      name.forwardDelete();
    } else if (c == keychar::LeftArrow) {
      name.left(shift);
    } else if (c == keychar::RightArrow) {
      name.right(shift);
    } else if (c == keychar::Home) {
      name.moveTo(0, shift);
    } else if (c == keychar::End) {
      name.moveTo(name.text.size(), shift);
    } else if (c >= 0x20 && c < 0xF700 && c != '/' && !command) {
      // Typing replaces the selection.
      name.insert(e.characters);
    } else {
      return;
    }
    w->contentView()->setNeedsDisplay(true);
  };
  v->onWheel = [&](const Event& e) {
    int maxScroll = std::max(0, int(entries.size()) - visibleRows);
    scroll = std::max(0, std::min(maxScroll, scroll - int(e.deltaY * 3)));
    w->contentView()->setNeedsDisplay(true);
  };
  w->setContentView(v);
  v->release();
  if (acc) {
    acc->setFrameOrigin({margin, accTop});
    v->addSubview(acc);
  }
  w->makeKeyAndOrderFront();
  w->makeFirstResponder(v);
  int code = app().runModalForWindow(w);
  if (acc) acc->removeFromSuperview();
  w->close();
  return code == 1 ? 1 : 0;
}

}  // namespace plat
