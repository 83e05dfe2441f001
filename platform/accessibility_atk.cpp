// The accessibility bridge: the tree of accessibility.h as ATK objects,
// published on the AT-SPI bus by ATK's bridge. The bridge answers the bus
// from GLib's main context, which a timer of the run loop turns.

#include <atk-bridge.h>
#include <atk/atk.h>
#include <glib.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "accessibility.h"
#include "app.h"
#include "view.h"
#include "window.h"

namespace plat {

namespace {

// --- the ATK object that stands for one of ours

struct HbAccessible {
  AtkObject parent;
  Object* obj;  // retained; null for the application and once gone
  bool isApp;
};
struct HbAccessibleClass {
  AtkObjectClass parent;
};

GType hb_accessible_get_type();
void hb_component_init(AtkComponentIface* iface);

G_DEFINE_TYPE_WITH_CODE(HbAccessible, hb_accessible, ATK_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, hb_component_init))

struct Bridge {
  bool running = false;
  std::string appName;
  HbAccessible* root = nullptr;
  std::map<Object*, HbAccessible*> wrappers;
  TimerId pump = 0;
  Object* focused = nullptr;  // not retained; compared only
  std::vector<Window*> windows;  // last published, compared only
};

Bridge& bridge() {
  static Bridge b;
  return b;
}

HbAccessible* wrapperFor(Object* o) {
  if (!o) return nullptr;
  Bridge& b = bridge();
  auto it = b.wrappers.find(o);
  if (it != b.wrappers.end()) return it->second;
  HbAccessible* w = static_cast<HbAccessible*>(g_object_new(hb_accessible_get_type(), nullptr));
  o->retain();
  w->obj = o;
  b.wrappers[o] = w;
  atk_object_set_role(ATK_OBJECT(w), ATK_ROLE_UNKNOWN);
  return w;
}

// Windows the application shows, front to back.
std::vector<Window*> shownWindows() {
  std::vector<Window*> out;
  for (Window* w : app().orderedWindows())
    if (w->isVisible() && !w->isClosed() && !accessibleIsIgnored(w)) out.push_back(w);
  return out;
}

std::vector<Object*> childrenOf(HbAccessible* a) {
  if (a->isApp) {
    std::vector<Object*> out;
    for (Window* w : shownWindows()) out.push_back(w);
    return out;
  }
  if (!a->obj) return {};
  return unignoredObjects(accessibleVisibleChildren(a->obj));
}

AtkRole atkRole(AccessibleRole r) {
  switch (r) {
    case AccessibleRole::Application: return ATK_ROLE_APPLICATION;
    case AccessibleRole::Window: return ATK_ROLE_FRAME;
    case AccessibleRole::Dialog: return ATK_ROLE_DIALOG;
    case AccessibleRole::Panel: return ATK_ROLE_PANEL;
    case AccessibleRole::Group: return ATK_ROLE_GROUPING;
    case AccessibleRole::PushButton: return ATK_ROLE_PUSH_BUTTON;
    case AccessibleRole::CheckBox: return ATK_ROLE_CHECK_BOX;
    case AccessibleRole::RadioButton: return ATK_ROLE_RADIO_BUTTON;
    case AccessibleRole::PopUpButton: return ATK_ROLE_COMBO_BOX;
    case AccessibleRole::ComboBox: return ATK_ROLE_COMBO_BOX;
    case AccessibleRole::Slider: return ATK_ROLE_SLIDER;
    case AccessibleRole::Label: return ATK_ROLE_LABEL;
    case AccessibleRole::TextField: return ATK_ROLE_ENTRY;
    case AccessibleRole::TextArea: return ATK_ROLE_TEXT;
    case AccessibleRole::ScrollArea: return ATK_ROLE_SCROLL_PANE;
    case AccessibleRole::Image: return ATK_ROLE_IMAGE;
    case AccessibleRole::LevelIndicator: return ATK_ROLE_LEVEL_BAR;
    case AccessibleRole::Canvas: return ATK_ROLE_CANVAS;
    case AccessibleRole::ListItem: return ATK_ROLE_LIST_ITEM;
    default: return ATK_ROLE_UNKNOWN;
  }
}

// --- AtkObject

const gchar* hbGetName(AtkObject* o) {
  HbAccessible* a = reinterpret_cast<HbAccessible*>(o);
  // ATK keeps the string: the name is stored on the object each time.
  std::string name = a->isApp ? bridge().appName : a->obj ? accessibleName(a->obj) : std::string();
  g_free(o->name);
  o->name = g_strdup(name.c_str());
  return o->name;
}

AtkRole hbGetRole(AtkObject* o) {
  HbAccessible* a = reinterpret_cast<HbAccessible*>(o);
  if (a->isApp) return ATK_ROLE_APPLICATION;
  return a->obj ? atkRole(accessibleRole(a->obj)) : ATK_ROLE_UNKNOWN;
}

gint hbGetNChildren(AtkObject* o) { return gint(childrenOf(reinterpret_cast<HbAccessible*>(o)).size()); }

AtkObject* hbRefChild(AtkObject* o, gint i) {
  std::vector<Object*> kids = childrenOf(reinterpret_cast<HbAccessible*>(o));
  if (i < 0 || size_t(i) >= kids.size()) return nullptr;
  return ATK_OBJECT(g_object_ref(wrapperFor(kids[size_t(i)])));
}

AtkObject* hbGetParent(AtkObject* o) {
  HbAccessible* a = reinterpret_cast<HbAccessible*>(o);
  if (a->isApp || !a->obj) return nullptr;
  if (dynamic_cast<Window*>(a->obj)) return ATK_OBJECT(bridge().root);
  Object* p = unignoredAncestor(accessibleParent(a->obj));
  return p ? ATK_OBJECT(wrapperFor(p)) : ATK_OBJECT(bridge().root);
}

gint hbGetIndexInParent(AtkObject* o) {
  AtkObject* p = hbGetParent(o);
  if (!p) return -1;
  std::vector<Object*> kids = childrenOf(reinterpret_cast<HbAccessible*>(p));
  Object* me = reinterpret_cast<HbAccessible*>(o)->obj;
  for (size_t i = 0; i < kids.size(); ++i)
    if (kids[i] == me) return gint(i);
  return -1;
}

Window* windowOf(Object* o) {
  if (Window* w = dynamic_cast<Window*>(o)) return w;
  for (int depth = 0; o && depth < 256; ++depth) {
    if (View* v = dynamic_cast<View*>(o)) return v->window();
    if (auto* e = dynamic_cast<AccessibleElement*>(o)) return e->owner() ? e->owner()->window() : nullptr;
    o = accessibleParent(o);
  }
  return nullptr;
}

AtkStateSet* hbRefStateSet(AtkObject* o) {
  HbAccessible* a = reinterpret_cast<HbAccessible*>(o);
  AtkStateSet* set = atk_state_set_new();
  if (a->isApp) return set;
  if (!a->obj) {
    atk_state_set_add_state(set, ATK_STATE_DEFUNCT);
    return set;
  }
  Window* w = windowOf(a->obj);
  if (w && w->isVisible()) {
    atk_state_set_add_state(set, ATK_STATE_VISIBLE);
    atk_state_set_add_state(set, ATK_STATE_SHOWING);
  }
  if (dynamic_cast<Window*>(a->obj) && w && w->isKeyWindow()) atk_state_set_add_state(set, ATK_STATE_ACTIVE);
  uint32_t s = accessibleStates(a->obj);
  if (s & kAccessibleEnabled) {
    atk_state_set_add_state(set, ATK_STATE_ENABLED);
    atk_state_set_add_state(set, ATK_STATE_SENSITIVE);
  }
  if (s & kAccessibleFocusable) atk_state_set_add_state(set, ATK_STATE_FOCUSABLE);
  if (s & kAccessibleChecked) atk_state_set_add_state(set, ATK_STATE_CHECKED);
  if (s & kAccessibleSelected) atk_state_set_add_state(set, ATK_STATE_SELECTED);
  if (s & kAccessibleEditable) {
    atk_state_set_add_state(set, ATK_STATE_EDITABLE);
    atk_state_set_add_state(set, (s & kAccessibleMultiLine) ? ATK_STATE_MULTI_LINE : ATK_STATE_SINGLE_LINE);
  }
  if (a->obj == focusedElementOfApplication()) atk_state_set_add_state(set, ATK_STATE_FOCUSED);
  return set;
}

void hbFinalize(GObject* g) {
  HbAccessible* a = reinterpret_cast<HbAccessible*>(g);
  if (a->obj) a->obj->release();
  a->obj = nullptr;
  G_OBJECT_CLASS(hb_accessible_parent_class)->finalize(g);
}

void hb_accessible_class_init(HbAccessibleClass* k) {
  AtkObjectClass* ac = ATK_OBJECT_CLASS(k);
  ac->get_name = hbGetName;
  ac->get_role = hbGetRole;
  ac->get_n_children = hbGetNChildren;
  ac->ref_child = hbRefChild;
  ac->get_parent = hbGetParent;
  ac->get_index_in_parent = hbGetIndexInParent;
  ac->ref_state_set = hbRefStateSet;
  G_OBJECT_CLASS(k)->finalize = hbFinalize;
}

void hb_accessible_init(HbAccessible* a) {
  a->obj = nullptr;
  a->isApp = false;
}

// --- AtkComponent: screen coordinates with the origin at the top left

double screenHeight() {
  std::vector<Screen> s = app().screens();
  return s.empty() ? 0 : s[0].frame.h;
}

Rect topLeftRect(const Rect& r) { return {r.x, screenHeight() - (r.y + r.h), r.w, r.h}; }

void hbGetExtents(AtkComponent* c, gint* x, gint* y, gint* w, gint* h, AtkCoordType type) {
  HbAccessible* a = reinterpret_cast<HbAccessible*>(c);
  Rect r;
  if (a->obj) r = topLeftRect(accessibleFrame(a->obj));
  if (type == ATK_XY_WINDOW && a->obj) {
    if (Window* win = windowOf(a->obj)) {
      Rect wr = topLeftRect(win->frame());
      r.x -= wr.x;
      r.y -= wr.y;
    }
  }
  if (x) *x = gint(r.x);
  if (y) *y = gint(r.y);
  if (w) *w = gint(r.w);
  if (h) *h = gint(r.h);
}

AtkObject* hbRefAccessibleAtPoint(AtkComponent* c, gint x, gint y, AtkCoordType type) {
  HbAccessible* a = reinterpret_cast<HbAccessible*>(c);
  if (!a->obj) return nullptr;
  double sx = x, sy = y;
  if (type == ATK_XY_WINDOW) {
    if (Window* win = windowOf(a->obj)) {
      Rect wr = topLeftRect(win->frame());
      sx += wr.x;
      sy += wr.y;
    }
  }
  // The middle of the pixel, bottom-left origin.
  Point p{sx + 0.5, screenHeight() - (sy + 0.5)};
  Object* hit = accessibleHitTest(a->obj, p);
  if (!hit || hit == a->obj) return nullptr;
  return ATK_OBJECT(g_object_ref(wrapperFor(hit)));
}

void hb_component_init(AtkComponentIface* iface) {
  iface->get_extents = hbGetExtents;
  iface->ref_accessible_at_point = hbRefAccessibleAtPoint;
}

// --- the ATK utility: the root and the toolkit's name

AtkObject* utilGetRoot() { return bridge().root ? ATK_OBJECT(bridge().root) : nullptr; }
const gchar* utilToolkitName() { return "Harshbloom"; }
const gchar* utilToolkitVersion() { return "1"; }

// An object that left the program: told about once, then let go.
bool isGone(Object* o) {
  if (Window* w = dynamic_cast<Window*>(o)) return w->isClosed();
  if (View* v = dynamic_cast<View*>(o)) return !v->window() || o->retainCount() == 1;
  if (auto* e = dynamic_cast<AccessibleElement*>(o)) return !e->owner() || o->retainCount() == 1;
  return o->retainCount() == 1;
}

void pump() {
  Bridge& b = bridge();
  if (!b.running) return;
  for (int i = 0; i < 100 && g_main_context_iteration(nullptr, FALSE); ++i) {
  }
  // Objects that went away.
  std::vector<Object*> gone;
  for (auto& kv : b.wrappers)
    if (isGone(kv.first)) gone.push_back(kv.first);
  for (Object* o : gone) {
    HbAccessible* w = b.wrappers[o];
    b.wrappers.erase(o);
    if (b.focused == o) b.focused = nullptr;
    atk_object_notify_state_change(ATK_OBJECT(w), ATK_STATE_DEFUNCT, TRUE);
    o->release();
    w->obj = nullptr;
    g_object_unref(w);
  }
  // Windows that came or went.
  std::vector<Window*> shown = shownWindows();
  if (shown != b.windows) {
    b.windows = shown;
    g_signal_emit_by_name(b.root, "children-changed", -1, nullptr);
  }
  // The focus moved.
  Object* f = focusedElementOfApplication();
  if (f != b.focused) {
    if (b.focused && b.wrappers.count(b.focused))
      atk_object_notify_state_change(ATK_OBJECT(b.wrappers[b.focused]), ATK_STATE_FOCUSED, FALSE);
    b.focused = f;
    if (f) {
      atk_object_notify_state_change(ATK_OBJECT(wrapperFor(f)), ATK_STATE_FOCUSED, TRUE);
    }
  }
}

}  // namespace

bool startAccessibilityBridge(const std::string& appName, std::string* why) {
  Bridge& b = bridge();
  if (b.running) return true;
  const char* off = getenv("NO_AT_BRIDGE");
  if (off && strcmp(off, "1") == 0) {
    if (why) *why = "NO_AT_BRIDGE=1";
    return false;
  }
  const char* a11y = getenv("AT_SPI_BUS_ADDRESS");
  const char* session = getenv("DBUS_SESSION_BUS_ADDRESS");
  if (!(a11y && *a11y) && !(session && *session)) {
    if (why) *why = "no accessibility bus and no session bus";
    return false;
  }
  AtkUtilClass* util = ATK_UTIL_CLASS(g_type_class_ref(ATK_TYPE_UTIL));
  util->get_root = utilGetRoot;
  util->get_toolkit_name = utilToolkitName;
  util->get_toolkit_version = utilToolkitVersion;
  b.appName = appName;
  b.root = static_cast<HbAccessible*>(g_object_new(hb_accessible_get_type(), nullptr));
  b.root->isApp = true;
  atk_object_set_role(ATK_OBJECT(b.root), ATK_ROLE_APPLICATION);
  if (atk_bridge_adaptor_init(nullptr, nullptr) != 0) {
    g_object_unref(b.root);
    b.root = nullptr;
    if (why) *why = "the AT-SPI bridge could not reach the accessibility bus";
    return false;
  }
  b.running = true;
  b.windows = shownWindows();
  b.pump = app().addTimer(0.02, true, pump);
  return true;
}

void stopAccessibilityBridge() {
  Bridge& b = bridge();
  if (!b.running) return;
  b.running = false;
  app().cancelTimer(b.pump);
  b.pump = 0;
  atk_bridge_adaptor_cleanup();
  for (auto& kv : b.wrappers) {
    kv.first->release();
    kv.second->obj = nullptr;
    g_object_unref(kv.second);
  }
  b.wrappers.clear();
  b.focused = nullptr;
  b.windows.clear();
  g_object_unref(b.root);
  b.root = nullptr;
}

bool accessibilityBridgeRunning() { return bridge().running; }

}  // namespace plat
