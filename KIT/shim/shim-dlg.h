#pragma once

// Window handles, dialogs and top-level windows.
//
// An HWND is either a Shim_vHarshbloom_hwnd (a platform view carrying a window
// procedure and a dialog procedure), a standard control view, or a top-level
// window whose content view stands for it. The view turns the platform's
// callbacks (drawing, mouse, keys, resizing, focus, control actions) into
// Windows messages. Subclasses (custom controls, the editor's views) override
// the platform view hooks and call the base class.

#include <stdint.h>

#include <atomic>
#include <vector>

#include "platform/accessibility.h"
#include "platform/controls.h"
#include "platform/gl_context.h"
#include "platform/event.h"
#include "platform/menu.h"
#include "platform/view.h"
#include "platform/window.h"
#include "shim-handles.h"
#include "shim-msgs.h"
#include "shim-types.h"

// --- dialog resources

typedef void (*SHIM_DialogCreateFunc)(HWND view, int windowTypeFlags);

// Registered by the host before any dialog is made; resid is an integer id
// carried in a pointer, compared by value.
struct SHIM_DialogResourceIndex {
  const char* resid;
  const char* title;
  int windowTypeFlags;  // 1 child, 2 resizable, 4 flipped, 8 keep sizes, 16 opaque, 32 drops
  SHIM_DialogCreateFunc createFunc;
  int width, height;
  SHIM_DialogResourceIndex* next;
};
extern SHIM_DialogResourceIndex* SHIM_curmodule_dialogresource_head;

#define SHIM_DLGFLAG_CHILD 0x1
#define SHIM_DLGFLAG_RESIZABLE 0x2
#define SHIM_DLGFLAG_FLIPPED 0x4
#define SHIM_DLGFLAG_KEEPSIZES 0x8
#define SHIM_DLGFLAG_OPAQUE 0x10
#define SHIM_DLGFLAG_DROPS 0x20
// resid 0x400000 | f: no resource; f forces a top-level window of that style.
#define SHIM_RESID_NORESOURCE(f) ((const char*)(INT_PTR)(0x400000 | ((f) & 15)))

INT_PTR SHIM_DialogBox(SHIM_DialogResourceIndex* head, const char* resid, HWND parent,
                       DLGPROC proc, LPARAM param);
HWND SHIM_CreateDialog(SHIM_DialogResourceIndex* head, const char* resid, HWND parent,
                       DLGPROC proc, LPARAM param);
void EndDialog(HWND hwnd, INT_PTR result);

HMENU SHIM_GetDefaultWindowMenu();
void SHIM_SetDefaultWindowMenu(HMENU menu);
HMENU SHIM_GetDefaultModalWindowMenu();
void SHIM_SetDefaultModalWindowMenu(HMENU menu);
// Sends an item's command to hwnd as WM_COMMAND (null: to nobody).
void SHIM_SetMenuDestination(HMENU menu, HWND hwnd);

// Colours the direct subviews' text as the dialog procedure asks
// (WM_CTLCOLORBTN / WM_CTLCOLORSTATIC).
void SHIM_DoDialogColorUpdates(HWND hwnd, DLGPROC dlgproc, bool isUpdate);
LRESULT ShimDialogDefaultWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Sends a mouse message for a platform mouse event (-1: dead or no procedure).
LRESULT SHIM_SendMouseMessage(HWND view, UINT msg, const plat::Event& e);

// Turns a key event into a Windows virtual key; *flags gets the key-flag word
// (1 virtual key, 4 Shift, 8 Command, 16 Option, 32 Control). The keyboard
// unit's full translation by default (shim-kb.h).
typedef int (*SHIM_KeyTranslateFunc)(const plat::Event& e, int* flags);
extern SHIM_KeyTranslateFunc g_SHIM_keyTranslate;

// The mouse capture holder (null: none).
HWND SHIM_Internal_GetCapture();

// --- the window view

class Shim_vHarshbloom_hwnd : public plat::View,
                              public SHIM_MessageTarget,
                              public SHIM_TextHolder,
                              public SHIM_NoFocusEnable,
                              public plat::Accessible {
public:
  Shim_vHarshbloom_hwnd();

  // Builds the view from a resource record (or none) into parent (a window, a
  // view or null) and runs WM_CREATE / WM_INITDIALOG. Returns this.
  Shim_vHarshbloom_hwnd* initChild(SHIM_DialogResourceIndex* res, plat::Object* parent,
                                   DLGPROC dlgproc, LPARAM param);
  HWND handle() { return SHIM_H(this); }

  // Every message the layer delivers to the view.
  LRESULT onShimMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  // --- fields
  INT_PTR getShimUserData() const { return m_userdata; }
  void setShimUserData(INT_PTR v) { m_userdata = v; }
  // Slot index = byte index / 8, 0..31; others read 0 and are not stored.
  INT_PTR getShimExtraData(int byteIndex) const;
  void setShimExtraData(int byteIndex, INT_PTR v);
  WNDPROC getShimWindowProc() const { return m_wndproc; }
  void setShimWindowProc(WNDPROC p) { m_wndproc = p; }
  DLGPROC getShimDialogProc() const { return m_dlgproc; }
  void setShimDialogProc(DLGPROC p) { m_dlgproc = p; }
  bool isFlipped() const override { return m_flip; }
  void setFlipped(bool f) { m_flip = f; }
  void setOpaque(bool o) { m_isopaque = o; }
  bool isOpaque() const override { return m_isopaque; }
  HMENU shimGetMenu() const { return m_menu; }
  void shimSetMenu(HMENU menu);
  plat::GLContext* shimGetGLContext() const { return m_glctx; }
  // Takes over the caller's reference (null: none); the old one is released.
  void shimSetGLContext(plat::GLContext* ctx);
  int shimCreateWindowFlags() const { return m_create_windowflags; }
  void shimSetCreateWindowFlags(int f) { m_create_windowflags = f; }
  void shimSetExtendedStyle(int s) { m_supports_ddrop = (s & WS_EX_ACCEPTFILES) != 0; }
  int shimGetExtendedStyle() const { return m_supports_ddrop ? WS_EX_ACCEPTFILES : 0; }
  const char* onShimGetText() override { return m_titlestr; }
  void onShimSetText(const char* text) override;
  bool shimHasBeenDestroyed() const { return m_hashaddestroy != 0; }
  bool shimCanPostMessage() const { return m_hashaddestroy == 0; }
  int shimCapChangeNotify() const { return 1; }
  int destroyState() const { return m_hashaddestroy; }
  void setEnabled(bool e);
  void setEnabledShimNoFocus() override { m_enabled = -1; }
  bool isEnabled() const { return m_enabled != 0; }
  int enabledState() const { return m_enabled; }
  uint8_t dirtyFlags() const { return m_isdirty; }
  void setDirtyFlags(uint8_t f) { m_isdirty = f; }
  bool allowsDirectChildRendering() const { return m_allow_nomiddleman; }
  void setAllowDirectChildRendering(bool a) { m_allow_nomiddleman = a; }
  plat::Object* lastTopLevelOwner() const { return m_lastTopLevelOwner.get(); }
  void setLastTopLevelOwner(plat::Object* o) { m_lastTopLevelOwner = o; }

  // --- properties: keys below 0x10000 are atoms, others strings
  int shimSetProp(const char* key, HANDLE value);
  HANDLE shimGetProp(const char* key, bool wantRemove);
  int shimEnumProps(PROPENUMPROCEX proc, LPARAM lp);

  // --- control actions (WM_COMMAND to the procedure); the control factory
  // points each control's action here.
  void onShimCommand(plat::Control* sender);
  // A fired window timer.
  void SHIM_Timer(UINT_PTR id);
  // The context of the paint in progress and its rectangle clipped to the
  // client area; marks the context as used. Null outside painting.
  HDC getShimPaintInfo(RECT* r);

  // --- platform hooks
  void setFrame(const plat::Rect& f) override;
  void setHidden(bool hidden) override;
  void draw(plat::DrawContext& ctx, const plat::Rect& dirty) override;
  bool acceptsFirstResponder() const override { return m_enabled > 0; }
  bool becomeFirstResponder() override;
  bool acceptsFirstMouse(const plat::Event& e) override;
  void mouseDown(const plat::Event& e) override;
  void mouseUp(const plat::Event& e) override;
  void mouseDragged(const plat::Event& e) override;
  void rightMouseDown(const plat::Event& e) override;
  void rightMouseUp(const plat::Event& e) override;
  void rightMouseDragged(const plat::Event& e) override;
  void otherMouseDown(const plat::Event& e) override;
  void otherMouseUp(const plat::Event& e) override;
  void otherMouseDragged(const plat::Event& e) override;
  void mouseMoved(const plat::Event& e) override;
  void scrollWheel(const plat::Event& e) override;
  // Magnify, swipe and rotate: WM_GESTURE twice, begin then end.
  void gesture(const plat::Event& e) override;
  void keyDown(const plat::Event& e) override;
  void keyUp(const plat::Event& e) override;
  void didAddSubview(plat::View* v) override;
  void willRemoveSubview(plat::View* v) override;

  // --- accessibility (shim-access.cpp). Each question first asks the
  // window procedure for an object with WM_GETOBJECT (wParam
  // SHIM_OBJID_ACCESSIBLE, lParam the address of a null plat::Object*
  // slot); the procedure may put an object there (a plat::Accessible such
  // as plat::AccessibleElement), keeping its own reference: the view
  // retains what it caches. That object answers hit tests and focus, joins
  // the view's children, and a view without subviews that has one is
  // ignored in its favour.
  plat::Object* shimAccessibilityObject();
  // The six cache slots: children (result, platform list, object), then
  // the same for the visible children (tests).
  plat::Object* shimAccessCacheSlot(int i) const { return i >= 0 && i < 6 ? m_access_cacheptrs[i] : nullptr; }
  bool accessibilityIsIgnored() override;
  plat::AccessibleRole accessibilityRole() override;
  std::string accessibilityName() override;
  uint32_t accessibilityStates() override;
  plat::Object* accessibilityParent() override;
  plat::Rect accessibilityFrame() override;
  std::vector<plat::Object*> accessibilityChildren() override;
  std::vector<plat::Object*> accessibilityVisibleChildren() override;
  plat::Object* accessibilityHitTest(const plat::Point& screenPoint) override;
  plat::Object* accessibilityFocusedElement() override;

protected:
  ~Shim_vHarshbloom_hwnd() override;
  void willDealloc() override;

private:
  struct Prop {
    const char* key;  // atom value or owned string
    HANDLE value;
    Prop* next;
  };
  static bool isAtom(const char* key) { return (uintptr_t)key < 0x10000; }
  static bool sameKey(const char* a, const char* b);
  LRESULT runDestroySequence();
  bool sendKey(UINT msg, const plat::Event& e);
  void markDirtyUp(uint8_t bits, bool needsDisplay);
  std::vector<plat::Object*> cachedAccessChildren(int firstSlot, std::vector<plat::Object*> platformList);

  // Field order follows the record the layer's callers know.
  int32_t m_enabled = 1;
  DLGPROC m_dlgproc = nullptr;
  WNDPROC m_wndproc = nullptr;
  INT_PTR m_userdata = 0;
  INT_PTR m_extradata[32] = {};
  int32_t m_isfakerightmouse = 0;
  // 0 alive, 1 WM_DESTROY running, 2 destroyed; read by posting threads.
  std::atomic<uint8_t> m_hashaddestroy{0};
  HMENU m_menu = nullptr;
  bool m_flip = true;
  bool m_supports_ddrop = false;
  bool m_paintctx_used = false;
  HDC m_paintctx_hdc = nullptr;
  Prop* m_props = nullptr;
  double m_paintctx_rect[4] = {};
  bool m_isopaque = true;
  char m_titlestr[1024] = {};
  int32_t m_create_windowflags = 0;
  plat::GLContext* m_glctx = nullptr;
  uint8_t m_isdirty = 3;
  bool m_allow_nomiddleman = true;
  plat::Ref<plat::Object> m_lastTopLevelOwner;
  plat::Object* m_access_cacheptrs[6] = {};
};

inline Shim_vHarshbloom_hwnd* SHIM_Hwnd(HWND h) { return SHIM_As<Shim_vHarshbloom_hwnd>(h); }

// A pointer-sized value boxed as an object (item data of pop-up items and
// menu items).
class Shim_vHarshbloom_sdh : public plat::Object {
public:
  explicit Shim_vHarshbloom_sdh(INT_PTR v) : m_data(v) {}
  INT_PTR getValue() const { return m_data; }

private:
  INT_PTR m_data;
};

// --- top-level windows

struct SHIM_OwnedWindow {
  plat::Window* window;
  SHIM_OwnedWindow* next;
};

// What both top-level window classes share: an owner, the windows they own,
// and the translation of window events into messages to the content view.
class Shim_vHarshbloom_ownerwindow : public plat::Window {
public:
  Shim_vHarshbloom_ownerwindow(const plat::Rect& contentRect, unsigned styleMask);

  void shimAddOwnedWindow(plat::Window* w);
  void shimRemoveOwnedWindow(plat::Window* w);
  void shimDestroyAllOwnedWindows();
  void shimResetOwnedWindowLevels();
  SHIM_OwnedWindow* shimGetOwnerWindowHead() const { return m_ownedwnds; }
  void shimSetOwner(plat::Window* owner) { m_owner = owner; }
  plat::Window* shimGetOwner() const { return m_owner; }
  void shimDoDestroyStuff();
  bool shimIsEnabled() const { return m_enabled; }
  void shimSetEnabled(bool e) { m_enabled = e; }
  virtual int shimWantRaiseAmt() const { return 0; }
  virtual HMENU shimDefaultMenu() const;

  // platform hooks
  bool canBecomeKeyWindow() override;
  void windowDidResize() override;
  void windowDidMove() override;
  void windowDidBecomeKey() override;
  void windowDidResignKey() override;
  bool windowShouldClose() override;
  plat::Size effectiveMinSize() override;
  plat::Size effectiveMaxSize() override;

protected:
  ~Shim_vHarshbloom_ownerwindow() override;
  void willDealloc() override;

  plat::Size lastFrameSize;
  plat::Window* m_owner = nullptr;
  SHIM_OwnedWindow* m_ownedwnds = nullptr;
  bool m_enabled = true;
};

class Shim_vHarshbloom_modelesswindow : public Shim_vHarshbloom_ownerwindow {
public:
  using Shim_vHarshbloom_ownerwindow::Shim_vHarshbloom_ownerwindow;
  int shimWantRaiseAmt() const override { return m_wantraiseamt; }
  void shimSetWantRaiseAmt(int a) { m_wantraiseamt = a; }
  bool wantsInitialKeyOnShow() const { return m_wantInitialKeyWindowOnShow; }
  void setWantsInitialKeyOnShow(bool w) { m_wantInitialKeyWindowOnShow = w; }

private:
  int32_t m_wantraiseamt = 0;
  bool m_wantInitialKeyWindowOnShow = false;
};

class Shim_vHarshbloom_dialogbox : public Shim_vHarshbloom_ownerwindow {
public:
  using Shim_vHarshbloom_ownerwindow::Shim_vHarshbloom_ownerwindow;
  bool isPanel() const override { return true; }
  HMENU shimDefaultMenu() const override;
  void shimSetModalRetVal(INT_PTR v) {
    m_rv = int32_t(v);
    m_hasrv = true;
  }
  int shimGetModalRetVal() const { return m_rv; }
  bool shimHasModalRetVal() const { return m_hasrv; }

private:
  int32_t m_rv = 0;
  bool m_hasrv = false;
};

// Puts an existing view into a new modeless window of the given style,
// placed like a modeless dialog; the owner adopts it.
plat::Window* SHIM_CreateModelessFrameForWindow(HWND child, HWND owner, unsigned styleMask);

// Owned windows sit one level above their owner while the application is
// active (on by default).
void SHIM_SetOwnedWindowLevelIncrease(bool on);
bool SHIM_GetOwnedWindowLevelIncrease();
// The window that last resigned key (null when gone).
plat::Window* SHIM_GetLastKeyWindow();
