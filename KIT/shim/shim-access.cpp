// Accessibility of window views: questions go to the window procedure as
// WM_GETOBJECT first; its object joins the view's answers. The bridge to
// the desktop's accessibility bus starts with the application.

#include <errno.h>

#include <string>

#include "platform/app.h"
#include "shim-dlg.h"
#include "shim-kernel.h"
#include "shimappmain.h"

namespace pa = plat::accessible_default;

plat::Object* Shim_vHarshbloom_hwnd::shimAccessibilityObject() {
  if (shimHasBeenDestroyed()) return nullptr;
  plat::Object* slot = nullptr;
  onShimMessage(WM_GETOBJECT, SHIM_OBJID_ACCESSIBLE, (LPARAM)&slot);
  return plat::Object::isLive(slot) && slot != this ? slot : nullptr;
}

namespace {

bool sameList(plat::Object* cached, const std::vector<plat::Object*>& list) {
  auto* l = dynamic_cast<plat::ObjectList*>(cached);
  return l && l->raw() == list;
}

void putSlot(plat::Object*& slot, plat::Object* value) {
  if (value) value->retain();
  if (slot) slot->release();
  slot = value;
}

}  // namespace

std::vector<plat::Object*> Shim_vHarshbloom_hwnd::cachedAccessChildren(
    int first, std::vector<plat::Object*> platformList) {
  plat::Ref<Shim_vHarshbloom_hwnd> hold(this);
  plat::Object* obj = shimAccessibilityObject();
  plat::Object** slots = m_access_cacheptrs + first;
  // The last answer holds while the platform's list and the object do.
  if (slots[0] && slots[2] == obj && sameList(slots[1], platformList))
    return static_cast<plat::ObjectList*>(slots[0])->raw();
  plat::ObjectList* plain = new plat::ObjectList();
  for (plat::Object* o : platformList) plain->items.push_back(o);
  std::vector<plat::Object*> all = platformList;
  if (obj) all.push_back(obj);
  plat::ObjectList* result = new plat::ObjectList();
  for (plat::Object* o : plat::unignoredObjects(all)) result->items.push_back(o);
  putSlot(slots[0], result);
  putSlot(slots[1], plain);
  putSlot(slots[2], obj);
  result->release();
  plain->release();
  return static_cast<plat::ObjectList*>(slots[0])->raw();
}

std::vector<plat::Object*> Shim_vHarshbloom_hwnd::accessibilityChildren() {
  return cachedAccessChildren(0, pa::children(this));
}

std::vector<plat::Object*> Shim_vHarshbloom_hwnd::accessibilityVisibleChildren() {
  return cachedAccessChildren(3, pa::visibleChildren(this));
}

bool Shim_vHarshbloom_hwnd::accessibilityIsIgnored() {
  // The window stands for its content view.
  plat::Window* w = window();
  if (w && w->contentView() == this) return true;
  return subviews().empty() && shimAccessibilityObject() != nullptr;
}

plat::AccessibleRole Shim_vHarshbloom_hwnd::accessibilityRole() { return plat::AccessibleRole::Panel; }

std::string Shim_vHarshbloom_hwnd::accessibilityName() { return m_titlestr; }

uint32_t Shim_vHarshbloom_hwnd::accessibilityStates() {
  uint32_t s = m_enabled != 0 ? uint32_t(plat::kAccessibleEnabled) : 0u;
  if (acceptsFirstResponder()) s |= plat::kAccessibleFocusable;
  return s;
}

plat::Object* Shim_vHarshbloom_hwnd::accessibilityParent() { return pa::parent(this); }

plat::Rect Shim_vHarshbloom_hwnd::accessibilityFrame() { return pa::frame(this); }

plat::Object* Shim_vHarshbloom_hwnd::accessibilityHitTest(const plat::Point& screenPoint) {
  plat::Ref<Shim_vHarshbloom_hwnd> hold(this);
  if (plat::Object* obj = shimAccessibilityObject()) {
    plat::Ref<plat::Object> keep(obj);
    plat::Object* r = plat::accessibleHitTest(obj, screenPoint);
    if (r && !(r == obj && plat::accessibleIsIgnored(obj))) return r;
  }
  return pa::hitTest(this, screenPoint);
}

plat::Object* Shim_vHarshbloom_hwnd::accessibilityFocusedElement() {
  plat::Ref<Shim_vHarshbloom_hwnd> hold(this);
  if (plat::Object* obj = shimAccessibilityObject()) {
    plat::Ref<plat::Object> keep(obj);
    plat::Object* r = plat::accessibleFocusedElement(obj);
    if (r && r != obj) return r;
  }
  return pa::focusedElement(this);
}

// --- the bridge

void SHIM_Internal_StartAccessibility() {
  // Only windows that are shown are worth describing.
  if (!plat::app().presenter()) return;
  const char* app = SHIM_GetAppName();
  std::string name = app && *app ? app : program_invocation_short_name;
  std::string why;
  plat::startAccessibilityBridge(name, &why);
}

void SHIM_Internal_StopAccessibility() { plat::stopAccessibilityBridge(); }
