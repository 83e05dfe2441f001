// Dropped files, drags out of the program, and the calls for what this
// desktop does not have.

#include "shim-dragdrop.h"

#include <ctype.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "platform/drag.h"
#include "platform/panels.h"
#include "shim-defproc.h"
#include "shim-dlg.h"
#include "shim-kernel.h"
#include "shim-wnd.h"

using plat::Point;
using plat::Ref;
using plat::View;

void (*SHIM_DDrop_onDragEnter)(HDROP, POINT) = nullptr;
void (*SHIM_DDrop_onDragOver)(POINT) = nullptr;
void (*SHIM_DDrop_onDragLeave)() = nullptr;
const char* (*SHIM_DDrop_getDroppedFileTargetPath)(const char*) = nullptr;

namespace {

bool acceptsDrops(const Shim_vHarshbloom_hwnd* h) { return h && (h->shimGetExtendedStyle() & WS_EX_ACCEPTFILES); }

int roundCoord(double v) { return int(floor(v + 0.5)); }

POINT screenPoint(const plat::DraggingInfo& d) {
  Point p = d.window ? d.window->convertToScreen(d.location) : d.location;
  return POINT{roundCoord(p.x), roundCoord(p.y)};
}

// The dropped-file record for a view, or nothing. In peek mode promised
// files are only named (with a "tmp." prefix) and the record is returned;
// otherwise promised files are written first, and the record goes to the
// view as WM_DROPFILES and is freed. True when a record was produced.
bool extendedDragOp(Shim_vHarshbloom_hwnd* view, const plat::DraggingInfo& d, HDROP* peek) {
  if (!acceptsDrops(view)) return false;
  std::vector<std::string> names;
  if (!d.files.empty()) {
    names = d.files;
  } else if (!d.promised.empty()) {
    if (peek) {
      for (const std::string& n : d.promised) names.push_back("tmp." + n);
    } else {
      if (!SHIM_DDrop_getDroppedFileTargetPath || !d.writePromised) return false;
      const char* dir = SHIM_DDrop_getDroppedFileTargetPath(d.promised[0].c_str());
      names = d.writePromised(dir && *dir ? dir : "/tmp/");
    }
  }
  std::vector<const char*> list;
  for (const std::string& n : names)
    if (!n.empty()) list.push_back(n.c_str());
  if (list.empty()) return false;
  Point p = view->convertPoint(d.location, nullptr);
  HDROP rec = SHIM_Internal_MakeDropBlock(list.data(), int(list.size()), POINT{roundCoord(p.x), roundCoord(p.y)}, false);
  if (!rec) return false;
  if (peek) {
    *peek = rec;
    return true;
  }
  Ref<View> hold(view);
  SendMessage(view->handle(), WM_DROPFILES, (WPARAM)rec, 0);
  GlobalFree(rec);
  return true;
}

class Destination : public plat::DragDestination {
public:
  View* destinationFor(View* hit) override {
    for (View* v = hit; v; v = v->superview())
      if (acceptsDrops(dynamic_cast<Shim_vHarshbloom_hwnd*>(v))) return v;
    return nullptr;
  }

  unsigned draggingEntered(View* v, const plat::DraggingInfo& d) override {
    auto* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(v);
    if (!acceptsDrops(h)) return plat::kDragOperationNone;
    if (!SHIM_DDrop_onDragEnter) return plat::kDragOperationGeneric;
    HDROP rec = nullptr;
    extendedDragOp(h, d, &rec);
    SHIM_DDrop_onDragEnter(rec, screenPoint(d));
    if (rec) GlobalFree(rec);
    return plat::kDragOperationGeneric;
  }

  unsigned draggingUpdated(View* v, const plat::DraggingInfo& d) override {
    if (!acceptsDrops(dynamic_cast<Shim_vHarshbloom_hwnd*>(v))) return plat::kDragOperationNone;
    if (SHIM_DDrop_onDragOver) SHIM_DDrop_onDragOver(screenPoint(d));
    return plat::kDragOperationGeneric;
  }

  void draggingExited(View*, const plat::DraggingInfo&) override {
    if (SHIM_DDrop_onDragLeave) SHIM_DDrop_onDragLeave();
  }

  bool performDragOperation(View* v, const plat::DraggingInfo& d) override {
    if (SHIM_DDrop_onDragLeave) SHIM_DDrop_onDragLeave();
    auto* self = dynamic_cast<Shim_vHarshbloom_hwnd*>(v);
    if (!self || !d.window || !d.window->contentView()) return false;
    Ref<View> hold(self);
    // A drag between views of one window must not change what the window
    // stands for while the drop runs.
    HWND content = SHIM_H(d.window->contentView());
    bool sameWindow = d.source && d.source->window() == d.window;
    if (sameWindow) SetProp(content, "SHIM_DisableWindowRepre", (HANDLE)1);
    bool produced = false;
    Ref<View> deepest(d.window->contentView()->hitTest(d.location));
    for (View* w = deepest.get(); w && w != self && !produced; w = w->superview())
      if (auto* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(w)) produced = extendedDragOp(h, d, nullptr);
    if (!produced && plat::Object::isLive(self)) produced = extendedDragOp(self, d, nullptr);
    if (sameWindow && plat::Object::isLive(content)) RemoveProp(content, "SHIM_DisableWindowRepre");
    return produced;
  }
};

// The pending one-file drag.
char* g_pendingName = nullptr;
void (*g_pendingCallback)(const char*) = nullptr;

bool exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::string nameOf(const std::string& path) {
  size_t s = path.find_last_of('/');
  return s == std::string::npos ? path : path.substr(s + 1);
}

// The first free "base NNN.ext" beside a taken name, or "" when none is.
std::string freeNameFor(const std::string& folder, const std::string& name) {
  size_t dot = name.find_last_of('.');
  std::string base = dot == std::string::npos ? name : name.substr(0, dot);
  std::string ext = dot == std::string::npos ? "" : name.substr(dot);
  size_t digits = 0;
  while (digits < base.size() && isdigit((unsigned char)base[base.size() - 1 - digits])) ++digits;
  int start = 0;
  char sep = digits < base.size() ? base[base.size() - 1 - digits] : 0;
  if (digits >= 1 && digits <= 3 && (sep == ' ' || sep == '-' || sep == '_') && base.size() > digits + 1) {
    start = atoi(base.c_str() + base.size() - digits);
    base.resize(base.size() - digits);
  } else {
    base += ' ';
  }
  for (int n = start + 1; n <= 999; ++n) {
    char num[16];
    snprintf(num, sizeof num, "%03d", n);
    std::string candidate = folder + "/" + base + num + ext;
    if (!exists(candidate)) return candidate;
  }
  return "";
}

}  // namespace

void SHIM_Internal_InstallDropDestination() {
  static Destination destination;
  plat::setDragDestination(&destination);
}

// --- drags out

void SHIM_FinishDragDrop() {
  free(g_pendingName);
  g_pendingName = nullptr;
  g_pendingCallback = nullptr;
}

std::vector<std::string> SHIM_DoDragDrop(const char* destination) {
  std::vector<std::string> out;
  if (!g_pendingName || !g_pendingCallback || !destination) {
    SHIM_FinishDragDrop();
    return out;
  }
  std::string folder = destination;
  if (folder.compare(0, 7, "file://") == 0) folder = folder.substr(7);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  std::string name = nameOf(g_pendingName);
  std::string path = folder + "/" + name;
  void (*callback)(const char*) = g_pendingCallback;
  if (exists(path)) {
    plat::Alert a;
    a.title = "Copy";
    char msg[1200];
    snprintf(msg, sizeof msg,
             "An item named \"%s\" already exists in this location. Do you want to replace it with the one you're moving?",
             name.c_str());
    a.message = msg;
    a.buttons = {"Keep Both Files", "Stop", "Replace"};
    a.cancelIndex = 1;
    int choice = a.runModal();
    if (choice == 0) path = freeNameFor(folder, name);
    else if (choice != 2) path.clear();
  }
  if (!path.empty()) {
    callback(path.c_str());
    if (exists(path)) out.push_back(nameOf(path));
  }
  SHIM_FinishDragDrop();
  return out;
}

bool SHIM_InitiateDragDrop(HWND view, RECT* srcrect, const char* srcfn, void (*callback)(const char*)) {
  Shim_vHarshbloom_hwnd* h = SHIM_Hwnd(view);
  if (!h || !srcfn || !callback) return false;
  SHIM_FinishDragDrop();
  g_pendingName = strdup(srcfn);
  g_pendingCallback = callback;
  plat::FileDrag drag;
  drag.view = h;
  if (srcrect)
    drag.from = {double(srcrect->left), double(srcrect->top), double(srcrect->right - srcrect->left),
                 double(srcrect->bottom - srcrect->top)};
  const char* dot = strrchr(srcfn, '.');
  drag.promisedTypes = {dot ? dot + 1 : ""};
  drag.promisedName = nameOf(srcfn);
  drag.writePromised = [](const std::string& folder) { return SHIM_DoDragDrop(folder.c_str()); };
  if (plat::startFileDrag(drag)) return true;
  // Not available here: nothing stays pending.
  SHIM_FinishDragDrop();
  return false;
}

bool SHIM_InitiateDragDropOfFileList(HWND view, RECT* srcrect, const char** files, int count, HICON) {
  Shim_vHarshbloom_hwnd* h = SHIM_Hwnd(view);
  if (!h) return false;
  SHIM_FinishDragDrop();
  plat::FileDrag drag;
  drag.view = h;
  if (srcrect) drag.from = {double(srcrect->left), double(srcrect->top), 1, 1};
  for (int i = 0; files && i < count; ++i)
    if (files[i] && *files[i]) drag.files.push_back(files[i]);
  if (drag.files.empty()) return false;
  return plat::startFileDrag(drag);
}

// --- what this desktop does not have

HWND SHIM_GetAudioUnitCocoaView(HWND, void*, void*, RECT*) { return nullptr; }

HWND SHIM_CreateCarbonWindowView(HWND, void** windowRefOut, RECT*, bool) {
  if (windowRefOut) *windowRefOut = nullptr;
  return nullptr;
}

void* SHIM_GetWindowFromCarbonWindowView(HWND) { return nullptr; }
void SHIM_AddCarbonPaneToView(HWND, void*) {}

void SHIM_SetWindowFlip(HWND view, bool flip) {
  if (Shim_vHarshbloom_hwnd* h = SHIM_Hwnd(view)) {
    h->setFlipped(flip);
    h->setNeedsDisplay(true);
  }
}
