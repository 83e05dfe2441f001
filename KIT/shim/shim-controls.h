#pragma once

// The layer's own control classes: the platform's state-only controls with
// drawing, mouse and keyboard handling added, plus what they need to act as
// Win32 controls inside a Shim_vHarshbloom_hwnd: a stored id and style, focus
// and text notifications to the parent (WM_COMMAND), owner drawing
// (WM_DRAWITEM), messages they answer themselves, and the dirty flag that
// tells enclosing window views a control inside them changed. The tab
// control functions work on the tab view class.
//
// Every control draws itself plainly in the interface font; the control
// factory (shim-dlggen.h) makes them.

#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/text.h"
#include "shim-dlg.h"

// --- records and numbers

typedef struct tagNMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
} NMHDR;

typedef struct tagDRAWITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemAction;
  UINT itemState;
  HWND hwndItem;
  HDC hDC;
  RECT rcItem;
  ULONG_PTR itemData;
} DRAWITEMSTRUCT;

typedef struct tagTCITEM {
  UINT mask;
  DWORD dwState;
  DWORD dwStateMask;
  char* pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
} TCITEM;

#define WM_SETFONT 0x0030
#define ODT_BUTTON 4
#define TCIF_TEXT 1
#define TCN_SELCHANGE (-551)
#define PBM_SETRANGE 0x0401
#define PBM_SETPOS 0x0402
#define PBM_DELTAPOS 0x0403
#define EN_SETFOCUS 0x0100
#define SB_TOP 6
#define SB_BOTTOM 7

// --- shared pieces

// The font a control draws its text in (the factory's font rule sets it).
class SHIM_FontHolder {
public:
  virtual ~SHIM_FontHolder() = default;
  const plat::Font& shimFont() const { return m_font; }
  virtual void setShimFont(const plat::Font& f) { m_font = f; }

protected:
  plat::Font m_font = plat::Font::system(13);
};

// Sets the "a view inside needs repainting" flag on every enclosing window
// view, up to the first that has it already.
void SHIM_Internal_MarkEnclosingDirty(plat::View* v);

// Moves the keyboard focus to the next (or previous) view of the window that
// takes it, in the order of the view tree.
void SHIM_Internal_FocusNextKeyView(plat::View* from, bool backwards);

// How WM_SETFONT turns a font object into a platform font; set by the
// drawing-context unit that owns font objects (until then the message does
// nothing).
void SHIM_Internal_SetFontResolver(bool (*resolver)(HGDIOBJ font, plat::Font* out));

// Asks `to` to draw an owner-drawn control or item (WM_DRAWITEM, wParam the
// control's id) through a context on ctx, the drawing in progress.
void SHIM_Internal_SendDrawItem(plat::View* control, HWND to, UINT ctlType, UINT itemID, const RECT& rc,
                                ULONG_PTR itemData, plat::DrawContext& ctx);

// Sends WM_COMMAND (id | code << 16, the control) to the control's parent.
void SHIM_Internal_NotifyParent(plat::View* control, int code);

// One line of editable text: caret, selection, the editing keys, the
// clipboard. Works on the string and selection of a platform text field;
// the field calls it from its own event hooks.
class SHIM_LineEditor {
public:
  explicit SHIM_LineEditor(plat::TextField* field) : m_field(field) {}
  void begin();  // the field became first responder: everything selected
  void end();
  // begin() / end() with the parent told (EN_SETFOCUS, and EN_KILLFOCUS for
  // an editable field that was being edited).
  void gainFocus();
  void loseFocus();
  // Handles a key; true when used. *changed says whether the text changed.
  bool key(const plat::Event& e, bool* changed);
  // Caret to the character nearest x (text coordinates); extend keeps the anchor.
  void clickAt(double x, const plat::Font& font, bool extend);
  void selectAll();
  int caret() const { return m_caret; }
  int anchor() const { return m_anchor; }
  // Replaces the selection with text.
  void insert(const std::string& text);

private:
  void sync();
  void adoptFieldSelection();
  void setCaret(int pos, bool extend);
  plat::TextField* m_field;
  int m_caret = 0, m_anchor = 0;
};

// --- controls

class Shim_vHarshbloom_button : public plat::Button, public SHIM_FontHolder {
public:
  enum class Cell { Normal, Image, OwnerDrawn };
  explicit Shim_vHarshbloom_button(const plat::Rect& frame = {}, Kind kind = Kind::Push);

  INT_PTR getShimUserData() const { return m_userdata; }
  void setShimUserData(INT_PTR v) { m_userdata = v; }
  // The bitmap handle last given to the button, or null. The button shows a
  // bitmap's image in place of its title and keeps its own reference to it,
  // so the caller may delete the handle meanwhile; any other handle clears
  // the image.
  HGDIOBJ getShimGDIImage() const { return m_shimGDIimage; }
  void setShimGDIImage(HGDIOBJ h);
  // 1: radio button; 2: starts a group.
  int shimGetRadioFlags() const { return m_radioflags; }
  void shimSetRadioFlags(int f) { m_radioflags = f; }

  Cell cell() const { return m_cell; }
  void setCell(Cell c) { m_cell = c; }
  bool alignsLeft() const { return m_alignLeft; }
  void setAlignsLeft(bool l) { m_alignLeft = l; }
  // The box of a check box or radio button right of its title.
  void setBoxOnRight(bool r) { m_boxRight = r; }
  // Which group action the factory gave a radio button (0 .. 7).
  int actionGroup() const { return m_actionGroup; }
  void setActionGroup(int g) { m_actionGroup = g; }

  // A user click: state change, radio group, action.
  void performClick();
  // The size the title and box need.
  plat::Size fittingSize() const;

  void draw(plat::DrawContext& ctx, const plat::Rect& dirty) override;
  bool isFlipped() const override { return true; }
  bool acceptsFirstResponder() const override { return false; }
  void mouseDown(const plat::Event& e) override;
  void mouseDragged(const plat::Event& e) override;
  void mouseUp(const plat::Event& e) override;
  void keyDown(const plat::Event& e) override;
  void setNeedsDisplayInRect(const plat::Rect& r) override;

protected:
  ~Shim_vHarshbloom_button() override;

private:
  void clearRadioGroup();
  // Draws the image scaled down to fit r (never up), centred, or at r's left
  // edge when left is set.
  void drawImage(plat::DrawContext& ctx, const plat::Rect& r, bool left);
  INT_PTR m_userdata = 0;
  HGDIOBJ m_shimGDIimage = nullptr;
  HGDIOBJ m_imageRef = nullptr;  // our reference to the shown image
  int m_radioflags = 0;
  Cell m_cell = Cell::Normal;
  bool m_alignLeft = false, m_boxRight = false;
  bool m_pressed = false, m_tracking = false;
  int m_actionGroup = 1;
};

// Labels and one-line edit fields (password fields draw bullets).
class Shim_vHarshbloom_textfield : public plat::TextField, public SHIM_FontHolder {
public:
  explicit Shim_vHarshbloom_textfield(const plat::Rect& frame = {});
  void setSecure(bool s) { m_secure = s; }
  bool isSecure() const { return m_secure; }
  plat::TextAlign alignment() const { return m_align; }
  void setAlignment(plat::TextAlign a) {
    m_align = a;
    setNeedsDisplay(true);
  }
  bool wraps() const { return m_wraps; }
  void setWraps(bool w) { m_wraps = w; }
  // A label that reports clicks as its action.
  void setSendsClicks(bool s) { m_sendsClicks = s; }
  bool isLabel() const { return !isEditable() && !isBordered() && !drawsBackground(); }
  plat::Size fittingSize() const;
  void setStringValue(const std::string& s) override;

  void draw(plat::DrawContext& ctx, const plat::Rect& dirty) override;
  bool isFlipped() const override { return true; }
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;
  void mouseDown(const plat::Event& e) override;
  void mouseDragged(const plat::Event& e) override;
  void keyDown(const plat::Event& e) override;
  void setNeedsDisplayInRect(const plat::Rect& r) override;

private:
  std::string shown() const;
  double textX() const;
  SHIM_LineEditor m_editor{this};
  bool m_secure = false, m_wraps = false, m_sendsClicks = false;
  plat::TextAlign m_align = plat::TextAlign::Left;
  double m_scroll = 0;
};

// An editable field with a list of items beside it; keeps a value per item
// and a style word (CBS_SORT sorts added strings).
class Shim_vHarshbloom_cbox : public plat::ComboBox, public SHIM_StyleHolder, public SHIM_FontHolder {
public:
  explicit Shim_vHarshbloom_cbox(const plat::Rect& frame = {});
  int getShimStyle() override { return m_style; }
  void setShimStyle(int s) override { m_style = s; }
  std::vector<INT_PTR>& itemData() { return m_itemData; }

  // Pops the item list up (CBN_DROPDOWN, a choice: CBN_SELCHANGE, CBN_CLOSEUP).
  void popUpList();

  void draw(plat::DrawContext& ctx, const plat::Rect& dirty) override;
  bool isFlipped() const override { return true; }
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;
  void mouseDown(const plat::Event& e) override;
  void keyDown(const plat::Event& e) override;
  void setNeedsDisplayInRect(const plat::Rect& r) override;
  static constexpr double kArrowWidth = 18;

private:
  int m_style = 0;
  std::vector<INT_PTR> m_itemData;
  SHIM_LineEditor m_editor{this};
};

// A button that pops a menu of items up; keeps a style word.
class Shim_vHarshbloom_pub : public plat::PopUpButton, public SHIM_StyleHolder, public SHIM_FontHolder {
public:
  explicit Shim_vHarshbloom_pub(const plat::Rect& frame = {}) : plat::PopUpButton(frame) {}
  int getShimStyle() override { return m_style; }
  void setShimStyle(int s) override { m_style = s; }
  void popUpList();
  void draw(plat::DrawContext& ctx, const plat::Rect& dirty) override;
  bool isFlipped() const override { return true; }
  bool acceptsFirstResponder() const override { return false; }
  void mouseDown(const plat::Event& e) override;
  void setNeedsDisplayInRect(const plat::Rect& r) override;

private:
  int m_style = 0;
};

// Multi-line text; answers the edit messages itself.
class Shim_vHarshbloom_textview : public plat::TextView, public SHIM_MessageTarget, public SHIM_FontHolder {
public:
  explicit Shim_vHarshbloom_textview(const plat::Rect& frame = {});
  LRESULT onShimMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void setString(const std::string& s) override;
  int selectionStart() const { return m_selStart; }
  int selectionLength() const { return m_selLength; }
  void setSelection(int start, int length);
  void setHorizontallyResizable(bool r) { m_hResizable = r; }
  bool isHorizontallyResizable() const { return m_hResizable; }
  void setVerticallyResizable(bool r) { m_vResizable = r; }
  // Fits the height (and, when horizontally resizable, the width) to the text.
  void sizeToText();
  // Wrapped text follows the clip view's width.
  void enclosingClipViewResized() override;
  void scrollRangeToVisible(int pos);

  void draw(plat::DrawContext& ctx, const plat::Rect& dirty) override;
  bool acceptsFirstResponder() const override { return true; }
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;
  void mouseDown(const plat::Event& e) override;
  void keyDown(const plat::Event& e) override;
  void scrollWheel(const plat::Event& e) override;
  void setNeedsDisplayInRect(const plat::Rect& r) override;

private:
  std::vector<std::string> lines() const;
  int indexAt(const plat::Point& p) const;
  void replaceSelection(const std::string& text);
  int m_selStart = 0, m_selLength = 0;
  bool m_hResizable = false, m_vResizable = true, m_changed = false;
};

// A titled frame around other controls.
class Shim_vHarshbloom_box : public plat::Box, public SHIM_FontHolder {
public:
  explicit Shim_vHarshbloom_box(const plat::Rect& frame = {}) : plat::Box(frame) {}
  void setTitleCentered(bool c) { m_centred = c; }
  bool isTitleCentered() const { return m_centred; }
  void draw(plat::DrawContext& ctx, const plat::Rect& dirty) override;
  bool isFlipped() const override { return true; }
  void setNeedsDisplayInRect(const plat::Rect& r) override;

private:
  bool m_centred = false;
};

// A horizontal (or, taller than wide, vertical) slider.
class Shim_vHarshbloom_slider : public plat::Slider {
public:
  explicit Shim_vHarshbloom_slider(const plat::Rect& frame = {}) : plat::Slider(frame) {}
  void setMini(bool m) { m_mini = m; }
  bool isMini() const { return m_mini; }
  void draw(plat::DrawContext& ctx, const plat::Rect& dirty) override;
  bool isFlipped() const override { return true; }
  void mouseDown(const plat::Event& e) override;
  void mouseDragged(const plat::Event& e) override;
  void keyDown(const plat::Event& e) override;

private:
  void trackTo(const plat::Point& p);
  bool m_mini = false;
};

class Shim_vHarshbloom_progind : public plat::View, public SHIM_MessageTarget {
public:
  explicit Shim_vHarshbloom_progind(const plat::Rect& frame = {}) : plat::View(frame) {}
  LRESULT onShimMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  double minValue() const { return m_min; }
  double maxValue() const { return m_max; }
  double value() const { return m_value; }
  void draw(plat::DrawContext& ctx, const plat::Rect& dirty) override;
  bool isFlipped() const override { return true; }
  void setNeedsDisplayInRect(const plat::Rect& r) override;

private:
  double m_min = 0, m_max = 100, m_value = 0;
};

class Shim_vHarshbloom_tabview : public plat::View, public SHIM_FontHolder {
public:
  explicit Shim_vHarshbloom_tabview(const plat::Rect& frame = {}) : plat::View(frame) {}
  void setNotificationWindow(HWND h) { m_dest = h; }
  HWND getNotificationWindow() const { return m_dest; }
  int count() const { return int(m_labels.size()); }
  const std::string& label(int i) const { return m_labels[size_t(i)]; }
  void insertTab(int index, const std::string& label);
  void removeTab(int index);
  int selectedIndex() const { return m_selected; }
  // Selecting another tab tells the notification window (TCN_SELCHANGE).
  void selectTab(int index);
  // Where the tab at index is drawn (own coordinates).
  plat::Rect tabRect(int index) const;
  static constexpr double kTabHeight = 24;

  void draw(plat::DrawContext& ctx, const plat::Rect& dirty) override;
  bool isFlipped() const override { return true; }
  void mouseDown(const plat::Event& e) override;
  void setNeedsDisplayInRect(const plat::Rect& r) override;

private:
  std::vector<std::string> m_labels;
  int m_selected = -1;
  HWND m_dest = nullptr;
};

// The translucent grey view of the focus-rectangle overlay.
class Shim_vHarshbloom_drawfocusrectwnd : public plat::View {
public:
  using plat::View::View;
  bool isOpaque() const override { return true; }
  void draw(plat::DrawContext& ctx, const plat::Rect& dirty) override;
};

// Tab control functions.
int TabCtrl_GetItemCount(HWND hwnd);
BOOL TabCtrl_AdjustRect(HWND hwnd, BOOL fLarger, RECT* r);
BOOL TabCtrl_DeleteItem(HWND hwnd, int idx);
int TabCtrl_InsertItem(HWND hwnd, int idx, TCITEM* item);
int TabCtrl_SetCurSel(HWND hwnd, int idx);
int TabCtrl_GetCurSel(HWND hwnd);
