#include "IGraphicsDesktop.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <system_error>

#include "IControl.h"
#include "IFxBase.h"
#include "IParam.h"
#include "IPopupMenu.h"
#include "pix.h"
#include "platform/keys.h"
#include "platform/menu.h"
#include "platform/panels.h"
#include "platform/pasteboard.h"
#include "platform/text.h"
#include "platform/workspace.h"
#include "shim-handles.h"

namespace {

std::string HomeFolder() {
  const char* home = getenv("HOME");
  return home && home[0] ? home : "";
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The view or window a parent argument stands for.
plat::View* ParentView(void* parent) {
  if (!parent) return nullptr;
  return SHIM_ViewOrContent(reinterpret_cast<HWND>(parent));
}

}  // namespace

// ---- Images

namespace {

// Folders below the resource folder that are searched; deeper ones are not.
constexpr int kMaxResourceDepth = 8;

// The regular file called `file` in `dir` or any folder below it; "" when
// there is none. The shallowest wins, and among equally deep ones the first
// in path order, so the choice never depends on the listing order.
std::string FindBelow(const std::string& dir, const std::string& file) {
  std::error_code ec;
  const std::filesystem::path direct = std::filesystem::path(dir) / file;
  if (std::filesystem::is_regular_file(direct, ec)) return direct.string();
  std::filesystem::recursive_directory_iterator it(
      dir, std::filesystem::directory_options::skip_permission_denied, ec);
  std::string best;
  int bestDepth = kMaxResourceDepth + 1;
  for (; !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it.depth() >= kMaxResourceDepth) it.disable_recursion_pending();
    if (it.depth() > bestDepth || it->path().filename() != file) continue;
    std::error_code fileEc;
    if (!it->is_regular_file(fileEc)) continue;
    const std::string path = it->path().string();
    if (it.depth() < bestDepth || path < best) {
      best = path;
      bestDepth = it.depth();
    }
  }
  return best;
}

}  // namespace

PIX_IBitmap* IFxLoadResourcePNG(const char* name) {
  if (!name) return nullptr;
  const char* slash = strrchr(name, '/');
  const char* file = slash ? slash + 1 : name;
  const char* dot = strrchr(file, '.');
  if (!dot || strcasecmp(dot + 1, "png") || dot == file) return nullptr;
  const char* dir = PIX_GetResourceDir();
  // Resources live beside the program; a relative folder would read the
  // current directory.
  if (!dir || dir[0] != '/') return nullptr;
  std::string wanted(file, size_t(dot - file));
  wanted += ".png";
  const std::string path = FindBelow(dir, wanted);
  return path.empty() ? nullptr : PIX_LoadPNG(path.c_str(), nullptr);
}

// ---- The surface

IGraphicsDesktop::IGraphicsDesktop(IFxBase* plug, int w, int h, int fps)
    : IGraphics(plug, w, h, fps) {}

IGraphicsDesktop::~IGraphicsDesktop() { CloseWindow(); }

void* IGraphicsDesktop::OpenWindow(void* parent) {
  CloseWindow();
  mView = new IFxEditorView(this);
  if (plat::View* p = ParentView(parent)) p->addSubview(mView);
  UpdateTooltips();
  return mView;
}

void IGraphicsDesktop::CloseWindow() {
  if (!mView) return;
  IFxEditorView* view = mView;
  mView = nullptr;
  view->removeAllToolTips();
  view->killTimer();
  if (view->graphics() == this) {
    view->detachGraphics();
    view->endUserInput();
    view->removeFromSuperview();
  }
  view->release();
}

void* IGraphicsDesktop::GetWindow() { return mView; }

void IGraphicsDesktop::Resize(int w, int h) {
  if (w == Width() && h == Height()) return;
  IGraphics::Resize(w, h);
  if (mView) mView->setFrameSize({double(w), double(h)});
}

void IGraphicsDesktop::DrawScreen(IRECT*) {
  if (mView) mView->drawScreen();
}

IPopupMenu* IGraphicsDesktop::CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) {
  ReleaseMouseCapture();
  if (!mView || !menu || !rect) return nullptr;
  return mView->createPopupMenu(menu, mView->toViewRect(*rect));
}

void IGraphicsDesktop::CreateTextEntry(IControl* control, IText* text, IRECT* rect,
                                       const char* str, IParam* param) {
  if (!mView || !control || !rect) return;
  mView->createTextEntry(control, param, text ? *text : IText(), str ? str : "",
                         mView->toViewRect(*rect));
}

void IGraphicsDesktop::ForceEndUserEdit() {
  if (mView) mView->endUserInput();
}

int IGraphicsDesktop::ShowMessageBox(const char* text, const char* caption, int type) {
  plat::Alert alert;
  alert.title = caption ? caption : "";
  alert.message = text ? text : "";
  // What each button answers, in the order shown.
  std::vector<int> answers;
  switch (type) {
    case 4:
      alert.buttons = {"Yes", "No"};
      answers = {1, 7};
      alert.cancelIndex = 1;
      break;
    case 3:
      alert.buttons = {"Yes", "No", "Cancel"};
      answers = {1, 7, 2};
      alert.cancelIndex = 2;
      break;
    case 1:
      alert.buttons = {"OK", "Cancel"};
      answers = {1, 2};
      alert.cancelIndex = 1;
      break;
    default:
      alert.buttons = {"OK"};
      answers = {1};
      alert.cancelIndex = 0;
      break;
  }
  const int chosen = alert.runModal();
  return chosen >= 0 && chosen < int(answers.size()) ? answers[size_t(chosen)] : 0;
}

void IGraphicsDesktop::PromptForFile(KIT_String* file, EFileAction action, KIT_String* dir,
                                     const char* extensions, const char* title) {
  if (!file) return;
  if (!mView) {
    file->Set("");
    return;
  }
  std::string name = file->Get();
  const size_t slash = name.rfind('/');
  if (slash != std::string::npos) name = name.substr(slash + 1);
  std::string start = dir ? dir->Get() : "";
  if (start.empty()) {
    const std::string home = HomeFolder();
    start = IsFolder(home + "/Desktop") ? home + "/Desktop" : home;
    if (dir) dir->Set(start.c_str());
  }
  file->Set("");

  std::vector<std::string> types;
  const std::string list = extensions ? extensions : "";
  size_t pos = 0;
  while (pos <= list.size()) {
    size_t end = list.find(' ', pos);
    if (end == std::string::npos) end = list.size();
    std::string type = list.substr(pos, end - pos);
    // Panels want bare extensions.
    while (!type.empty() && (type[0] == '*' || type[0] == '.')) type.erase(0, 1);
    if (!type.empty()) types.push_back(type);
    pos = end + 1;
  }

  plat::Ref<plat::FilePanel> panel = plat::Ref<plat::FilePanel>::adopt(new plat::FilePanel(
      action == kFileSave ? plat::PanelKind::Save : plat::PanelKind::Open));
  if (title) panel->title = title;
  panel->directory = start;
  panel->fileName = name;
  panel->allowedTypes = types;
  if (panel->runModal() != 1 || panel->paths.empty()) return;
  const std::string chosen = panel->paths.front();
  file->Set(chosen.c_str());
  if (dir) {
    const size_t cut = chosen.rfind('/');
    dir->Set(cut == std::string::npos ? "" : chosen.substr(0, cut + 1).c_str());
  }
}

bool IGraphicsDesktop::OpenURL(const char* url, const char*, const char*, const char*) {
  if (!url || !url[0]) return false;
  return strstr(url, "http") ? plat::openURL(url) : plat::openDocument(url);
}

void IGraphicsDesktop::UpdateTooltips() {
  if (!mView || !TooltipsEnabled()) return;
  mView->removeAllToolTips();
  for (int i = 0; i < NControls(); ++i) {
    IControl* c = GetControl(i);
    if (c->IsHidden() || c->GetTargetRECT()->Empty()) continue;
    mView->registerToolTip(mView->toViewRect(*c->GetTargetRECT()));
  }
}

void IGraphicsDesktop::HideMouseCursor() {
  if (mCursorHidden) return;
  plat::app().setCursor(plat::Cursor::Hidden);
  mCursorHidden = true;
  const plat::Point p = plat::app().mouseLocation();
  const std::vector<plat::Screen> screens = plat::app().screens();
  const double screenH = screens.empty() ? 0.0 : screens.front().frame.h;
  mHiddenMousePointX = int(p.x);
  mHiddenMousePointY = int(screenH - p.y);
}

void IGraphicsDesktop::ShowMouseCursor() {
  if (!mCursorHidden) return;
  const std::vector<plat::Screen> screens = plat::app().screens();
  const double screenH = screens.empty() ? 0.0 : screens.front().frame.h;
  plat::app().warpMouse({double(mHiddenMousePointX), screenH - mHiddenMousePointY});
  plat::app().setCursor(plat::Cursor::Arrow);
  mCursorHidden = false;
}

void IGraphicsDesktop::HostPath(KIT_String* path) {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return;
  buf[n] = 0;
  path->Set(buf);
}

void IGraphicsDesktop::PluginPath(KIT_String* path) {
  const std::string dir = plat::executableDirectory();
  if (!dir.empty()) path->Set((dir + "/").c_str());
}

void IGraphicsDesktop::DesktopPath(KIT_String* path) {
  const std::string home = HomeFolder();
  if (!home.empty()) path->Set((home + "/Desktop").c_str());
}

void IGraphicsDesktop::AppSupportPath(KIT_String* path, bool isSystem) {
  if (isSystem) {
    path->Set("/usr/local/share");
    return;
  }
  const char* data = getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') {
    path->Set(data);
    return;
  }
  const std::string home = HomeFolder();
  if (!home.empty()) path->Set((home + "/.local/share").c_str());
}

void IGraphicsDesktop::SandboxSafeAppSupportPath(KIT_String* path) {
  const std::string home = HomeFolder();
  if (!home.empty()) path->Set((home + "/Music").c_str());
}

bool IGraphicsDesktop::GetTextFromClipboard(KIT_String* str) {
  std::string text;
  if (plat::Pasteboard::general().data(plat::Pasteboard::kTextType, &text)) {
    str->Set(text.c_str());
    return true;
  }
  str->Set("");
  return false;
}

PIX_IBitmap* IGraphicsDesktop::OSLoadBitmap(int, const char* name) {
  return IFxLoadResourcePNG(name);
}
