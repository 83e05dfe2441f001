// The layer's control classes and the tab control functions.

#include "shim-controls.h"

#include <math.h>
#include <string.h>

#include <algorithm>

#include "platform/app.h"
#include "platform/keys.h"
#include "platform/menu.h"
#include "shim-gdi-draw.h"
#include "shim-gdi.h"
#include "shim-paint.h"
#include "shim-wnd.h"

using plat::Font;
using plat::Rect;
using plat::View;

namespace {

const uint32_t kInk = 0xFF1A1A1A, kDisabledInk = 0xFF9A9A9A, kFrame = 0xFF9A9A9A;
const uint32_t kFace = 0xFFFAFAFA, kPressed = 0xFFD6D6D6, kAccent = 0xFF2F6FD0;
const uint32_t kSelection = 0xFFB5D3FF;

uint32_t inkOf(const plat::Control* c) {
  if (!c->isEnabled()) return kDisabledInk;
  return c->textColor();
}

uint32_t firstChar(const std::string& s) {
  std::vector<plat::CodePoint> c = plat::decodeUtf8(s);
  return c.empty() ? 0 : c[0].cp;
}

bool commandKey(const plat::Event& e) { return (e.modifierFlags & plat::kModCommand) != 0; }

size_t prevBoundary(const std::string& s, size_t pos) {
  size_t best = 0;
  for (const plat::CodePoint& c : plat::decodeUtf8(s)) {
    if (c.offset >= pos) break;
    best = c.offset;
  }
  return best;
}

size_t nextBoundary(const std::string& s, size_t pos) {
  for (const plat::CodePoint& c : plat::decodeUtf8(s))
    if (c.offset >= pos) return std::min(s.size(), c.offset + c.length);
  return s.size();
}

// Screen point below a control's bottom-left corner, where its list drops.
plat::Point belowInScreen(View* v) {
  plat::Rect b = v->bounds();
  plat::Point p = v->convertToWindow({0, v->isFlipped() ? b.h : 0});
  return v->window() ? v->window()->convertToScreen(p) : p;
}

bool (*g_fontResolver)(HGDIOBJ, plat::Font*) = nullptr;

// The selection of one line of text (offs: its caret offsets), or the caret
// when nothing is selected.
void drawSelection(plat::DrawContext& ctx, const std::vector<double>& offs, double x0, double top,
                   double lh, size_t s0, size_t s1) {
  size_t n = offs.size() - 1;
  s0 = std::min(s0, n);
  s1 = std::min(s1, n);
  if (s1 > s0)
    ctx.fillRect({x0 + offs[s0], top, offs[s1] - offs[s0], lh}, kSelection);
  else
    ctx.fillRect({x0 + offs[s0], top, 1, lh}, kInk);
}

}  // namespace

void SHIM_Internal_SetFontResolver(bool (*resolver)(HGDIOBJ, plat::Font*)) {
  g_fontResolver = resolver;
}

// --- shared pieces

void SHIM_Internal_MarkEnclosingDirty(View* v) {
  for (View* p = v ? v->superview() : nullptr; p; p = p->superview()) {
    auto* h = dynamic_cast<Shim_vHarshbloom_hwnd*>(p);
    if (!h) continue;
    if (h->dirtyFlags() & 2) break;
    h->setDirtyFlags(h->dirtyFlags() | 2);
  }
}

namespace {
void collectKeyViews(View* v, std::vector<View*>& out) {
  if (v->isHidden()) return;
  if (v->acceptsFirstResponder()) out.push_back(v);
  for (View* s : v->subviews()) collectKeyViews(s, out);
}
}  // namespace

void SHIM_Internal_FocusNextKeyView(View* from, bool backwards) {
  plat::Window* w = from ? from->window() : nullptr;
  if (!w || !w->contentView()) return;
  std::vector<View*> views;
  collectKeyViews(w->contentView(), views);
  if (views.empty()) return;
  auto it = std::find(views.begin(), views.end(), from);
  int n = int(views.size());
  int i = it == views.end() ? (backwards ? 0 : -1) : int(it - views.begin());
  int next = ((i + (backwards ? -1 : 1)) % n + n) % n;
  w->makeFirstResponder(views[size_t(next)]);
}

void SHIM_Internal_SendDrawItem(View* control, HWND to, UINT ctlType, UINT itemID, const RECT& rc,
                                ULONG_PTR itemData, plat::DrawContext& ctx) {
  if (!control || !to) return;
  plat::Ref<View> hold(control);
  HDC hdc = SHIM_Internal_CreatePaintContext(&ctx);
  DRAWITEMSTRUCT dis;
  memset(&dis, 0, sizeof dis);
  dis.CtlType = ctlType;
  dis.CtlID = UINT(control->tag());
  dis.itemID = itemID;
  dis.hwndItem = SHIM_H(control);
  dis.hDC = hdc;
  dis.rcItem = rc;
  dis.itemData = itemData;
  SendMessage(to, WM_DRAWITEM, (WPARAM)control->tag(), (LPARAM)&dis);
  SHIM_Internal_ReleaseContext(hdc);
}

void SHIM_Internal_NotifyParent(View* control, int code) {
  if (!control) return;
  HWND parent = GetParent(SHIM_H(control));
  if (!parent) return;
  plat::Ref<View> hold(control);
  SendMessage(parent, WM_COMMAND, (WPARAM)(uint32_t(control->tag() & 0xFFFF) | (uint32_t(code & 0xFFFF) << 16)),
              (LPARAM)SHIM_H(control));
}

// --- line editing

void SHIM_LineEditor::sync() {
  int s = std::min(m_caret, m_anchor), e = std::max(m_caret, m_anchor);
  m_field->setSelection(s, e - s);
  m_field->setNeedsDisplay(true);
}

void SHIM_LineEditor::begin() {
  m_field->setBeingEdited(true);
  selectAll();
}

void SHIM_LineEditor::end() {
  m_caret = m_anchor = 0;
  m_field->setBeingEdited(false);
  m_field->setNeedsDisplay(true);
}

void SHIM_LineEditor::gainFocus() {
  plat::Ref<View> hold(m_field);
  begin();
  SHIM_Internal_NotifyParent(m_field, EN_SETFOCUS);
}

void SHIM_LineEditor::loseFocus() {
  plat::Ref<View> hold(m_field);
  bool was = m_field->isBeingEdited();
  end();
  if (was && m_field->isEditable()) SHIM_Internal_NotifyParent(m_field, EN_KILLFOCUS);
}

void SHIM_LineEditor::selectAll() {
  m_anchor = 0;
  m_caret = int(m_field->stringValue().size());
  sync();
}

void SHIM_LineEditor::setCaret(int pos, bool extend) {
  std::string s = m_field->stringValue();
  pos = std::max(0, std::min(pos, int(s.size())));
  // Never inside a character.
  m_caret = pos == int(s.size()) ? pos : int(prevBoundary(s, size_t(pos) + 1));
  if (!extend) m_anchor = m_caret;
  sync();
}

void SHIM_LineEditor::clickAt(double x, const Font& font, bool extend) {
  adoptFieldSelection();
  setCaret(int(font.indexAt(m_field->stringValue(), x)), extend);
}

void SHIM_LineEditor::insert(const std::string& text) {
  std::string s = m_field->stringValue();
  int n = int(s.size());
  int a = std::max(0, std::min(std::min(m_caret, m_anchor), n));
  int b = std::max(a, std::min(std::max(m_caret, m_anchor), n));
  s.replace(size_t(a), size_t(b - a), text);
  m_caret = m_anchor = a + int(text.size());
  m_field->setStringValue(s);
  sync();
}

void SHIM_LineEditor::adoptFieldSelection() {
  // Messages (EM_SETSEL) may have moved the selection meanwhile.
  int n = int(m_field->stringValue().size());
  m_caret = std::min(m_caret, n);
  m_anchor = std::min(m_anchor, n);
  int s = m_field->selectionStart(), e = s + m_field->selectionLength();
  if (s != std::min(m_caret, m_anchor) || e != std::max(m_caret, m_anchor)) {
    m_anchor = std::min(s, n);
    m_caret = std::min(e, n);
  }
}

bool SHIM_LineEditor::key(const plat::Event& e, bool* changed) {
  *changed = false;
  adoptFieldSelection();
  std::string s = m_field->stringValue();
  uint32_t c = firstChar(e.charactersIgnoringModifiers);
  bool shift = (e.modifierFlags & plat::kModShift) != 0;
  bool editable = m_field->isEditable();
  bool hasSel = m_caret != m_anchor;
  int lo = std::min(m_caret, m_anchor), hi = std::max(m_caret, m_anchor);
  if (commandKey(e)) {
    switch (c) {
      case 'a': selectAll(); return true;
      case 'c':
      case 'x':
        if (hasSel) plat::app().setClipboardText(s.substr(size_t(lo), size_t(hi - lo)));
        if (c == 'x' && editable && hasSel) {
          insert("");
          *changed = true;
        }
        return true;
      case 'v':
        if (editable) {
          std::string t = plat::app().clipboardText();
          for (char& ch : t)
            if (ch == '\n' || ch == '\r') ch = ' ';
          insert(t);
          *changed = true;
        }
        return true;
      default: return false;
    }
  }
  switch (c) {
    case plat::keychar::LeftArrow:
      setCaret(hasSel && !shift ? lo : int(prevBoundary(s, size_t(m_caret))), shift);
      return true;
    case plat::keychar::RightArrow:
      setCaret(hasSel && !shift ? hi : int(nextBoundary(s, size_t(m_caret))), shift);
      return true;
    case plat::keychar::UpArrow:
    case plat::keychar::Home: setCaret(0, shift); return true;
    case plat::keychar::DownArrow:
    case plat::keychar::End: setCaret(int(s.size()), shift); return true;
    case 0x7F:
    case 8:
    case plat::keychar::ForwardDelete: {
      if (!editable) return true;
      if (!hasSel) {
        if (c == plat::keychar::ForwardDelete)
          m_caret = int(nextBoundary(s, size_t(m_caret)));
        else
          m_caret = int(prevBoundary(s, size_t(m_caret)));
      }
      if (m_caret == m_anchor) return true;
      insert("");
      *changed = true;
      return true;
    }
    case '\r':
    case 3:
    case '\t':
    case 25:
    case 0x1B: return false;
    default: break;
  }
  if (!editable || (e.modifierFlags & plat::kModControl)) return false;
  uint32_t typed = firstChar(e.characters);
  if (typed < 0x20 || typed == 0x7F || (typed >= 0xF700 && typed <= 0xF8FF)) return false;
  insert(e.characters);
  *changed = true;
  return true;
}

// --- buttons

Shim_vHarshbloom_button::Shim_vHarshbloom_button(const Rect& frame, Kind kind)
    : plat::Button(frame, kind) {}

Shim_vHarshbloom_button::~Shim_vHarshbloom_button() {
  if (m_imageRef) DeleteObject(m_imageRef);
}

void Shim_vHarshbloom_button::setShimGDIImage(HGDIOBJ h) {
  BITMAP bm;
  const bool isBitmap = h && GetObject(h, sizeof bm, &bm) == 1;
  if (m_imageRef) DeleteObject(m_imageRef);
  m_imageRef = isBitmap ? SHIM_CloneGDIObject(h) : nullptr;
  m_shimGDIimage = isBitmap ? h : nullptr;
  setNeedsDisplay(true);
}

void Shim_vHarshbloom_button::drawImage(plat::DrawContext& ctx, const Rect& r, bool left) {
  BITMAP bm;
  if (!m_imageRef || GetObject(m_imageRef, sizeof bm, &bm) != 1 || bm.bmWidth < 1 ||
      bm.bmHeight < 1 || r.w < 1 || r.h < 1)
    return;
  const double scale = std::min(1.0, std::min(r.w / bm.bmWidth, r.h / bm.bmHeight));
  const int w = std::max(1, int(bm.bmWidth * scale));
  const int h = std::max(1, int(bm.bmHeight * scale));
  const int x = int(floor(left ? r.x : r.x + (r.w - w) / 2));
  const int y = int(floor(r.y + (r.h - h) / 2));
  const RECT rc = {x, y, x + w, y + h};
  HDC hdc = SHIM_Internal_CreatePaintContext(&ctx);
  DrawImageInRect(hdc, m_imageRef, &rc);
  SHIM_Internal_ReleaseContext(hdc);
}

void Shim_vHarshbloom_button::setNeedsDisplayInRect(const Rect& r) {
  plat::Button::setNeedsDisplayInRect(r);
  SHIM_Internal_MarkEnclosingDirty(this);
}

plat::Size Shim_vHarshbloom_button::fittingSize() const {
  double tw = ceil(m_font.width(title()));
  double lh = ceil(m_font.lineHeight());
  if (kind() == Kind::Push) return {std::max(tw + 28, 32.0), std::max(lh + 8, frame().h)};
  return {tw + 22, std::max(lh + 2, 16.0)};
}

void Shim_vHarshbloom_button::draw(plat::DrawContext& ctx, const Rect&) {
  Rect b = bounds();
  if (m_cell == Cell::OwnerDrawn) {
    RECT rc{int(b.x + 0.5), int(b.y + 0.5), int(b.x + b.w + 0.5), int(b.y + b.h + 0.5)};
    SHIM_Internal_SendDrawItem(this, GetParent(SHIM_H(this)), ODT_BUTTON, 0, rc, 0, ctx);
    return;
  }
  uint32_t ink = inkOf(this);
  plat::TextBoxStyle style;
  style.centerVertically = true;
  if (kind() == Kind::Push) {
    bool isDefault = window() && window()->defaultButton() == this && isEnabled();
    Rect face{b.x + 1, b.y + 1, b.w - 2, b.h - 2};
    if (m_cell != Cell::Image) {
      ctx.fillRect(face, m_pressed ? kPressed : isDefault ? kAccent : kFace);
      ctx.strokeRect(face, isDefault ? 0xFF2458A8 : kFrame);
    }
    if (m_cell == Cell::Image) {  // only the image shows
      drawImage(ctx, b, false);
      return;
    }
    style.align = m_alignLeft ? plat::TextAlign::Left : plat::TextAlign::Center;
    Rect tr{face.x + 6, face.y, face.w - 12, face.h};
    if (m_imageRef) {
      drawImage(ctx, {face.x + 2, face.y + 2, face.w - 4, face.h - 4}, m_alignLeft);
      return;
    }
    plat::drawTextInRect(ctx, m_font, title(), tr, isDefault && !m_pressed ? 0xFFFFFFFF : ink, style);
    return;
  }
  double box = 14;
  double by = floor(b.y + (b.h - box) / 2);
  double bx = m_boxRight ? b.maxX() - box - 1 : b.x + 1;
  Rect br{bx, by, box, box};
  if (kind() == Kind::Radio) {
    ctx.fillEllipse(br, m_pressed ? kPressed : 0xFFFFFFFF);
    ctx.strokeEllipse(br, 1.2, isEnabled() ? 0xFF6A6A6A : kDisabledInk);
    if (state() != 0) ctx.fillEllipse({bx + 4, by + 4, box - 8, box - 8}, isEnabled() ? kAccent : kDisabledInk);
  } else {
    ctx.fillRect(br, m_pressed ? kPressed : 0xFFFFFFFF);
    ctx.strokeRect(br, isEnabled() ? 0xFF6A6A6A : kDisabledInk);
    uint32_t mark = isEnabled() ? kInk : kDisabledInk;
    if (state() > 0) {
      // A tick of two strokes, two pixels thick.
      for (int k = 0; k < 2; ++k) {
        ctx.drawLine({bx + 3, by + 7 + k}, {bx + 6, by + 10 + k}, mark);
        ctx.drawLine({bx + 6, by + 10 + k}, {bx + 11, by + 3 + k}, mark);
      }
    } else if (state() < 0) {
      ctx.fillRect({bx + 3, by + 6, box - 6, 2}, mark);
    }
  }
  Rect tr = m_boxRight ? Rect{b.x, b.y, b.w - box - 6, b.h} : Rect{b.x + box + 6, b.y, b.w - box - 6, b.h};
  if (m_boxRight) style.align = plat::TextAlign::Right;
  if (m_imageRef) {
    drawImage(ctx, tr, !m_boxRight);
    return;
  }
  plat::drawTextInRect(ctx, m_font, title(), tr, ink, style);
}

void Shim_vHarshbloom_button::mouseDown(const plat::Event&) {
  if (!isEnabled()) return;
  m_tracking = true;
  m_pressed = true;
  setNeedsDisplay(true);
}

void Shim_vHarshbloom_button::mouseDragged(const plat::Event& e) {
  if (!m_tracking) return;
  bool inside = bounds().contains(convertFromWindow(e.location));
  if (inside != m_pressed) {
    m_pressed = inside;
    setNeedsDisplay(true);
  }
}

void Shim_vHarshbloom_button::mouseUp(const plat::Event& e) {
  if (!m_tracking) return;
  m_tracking = false;
  bool inside = bounds().contains(convertFromWindow(e.location));
  m_pressed = false;
  setNeedsDisplay(true);
  if (inside && isEnabled()) performClick();
}

void Shim_vHarshbloom_button::keyDown(const plat::Event& e) {
  if (firstChar(e.charactersIgnoringModifiers) == ' ' && isEnabled()) {
    performClick();
    return;
  }
  plat::Button::keyDown(e);
}

void Shim_vHarshbloom_button::performClick() {
  plat::Ref<View> hold(this);
  if (kind() == Kind::CheckBox) {
    // Off, on, then (where allowed) mixed.
    int s = state();
    setState(s == 0 ? 1 : (s > 0 && allowsMixedState()) ? -1 : 0);
  } else if (kind() == Kind::Radio) {
    setState(1);
    if (m_radioflags & 1) clearRadioGroup();
  }
  sendAction();
}

void Shim_vHarshbloom_button::clearRadioGroup() {
  View* sup = superview();
  if (!sup) return;
  std::vector<View*> sibs = sup->subviews();
  int me = sup->indexOfSubview(this);
  if (me < 0) return;
  auto clear = [](Shim_vHarshbloom_button* b) {
    if (b->shimGetRadioFlags() & 1) b->setState(0);
  };
  if (!(m_radioflags & 2)) {
    for (int i = me - 1; i >= 0; --i) {
      auto* b = dynamic_cast<Shim_vHarshbloom_button*>(sibs[size_t(i)]);
      if (!b) break;
      clear(b);
      if (b->shimGetRadioFlags() & 2) break;
    }
  }
  for (size_t i = size_t(me) + 1; i < sibs.size(); ++i) {
    auto* b = dynamic_cast<Shim_vHarshbloom_button*>(sibs[i]);
    if (!b || (b->shimGetRadioFlags() & 2)) break;
    clear(b);
  }
}

// --- text fields

Shim_vHarshbloom_textfield::Shim_vHarshbloom_textfield(const Rect& frame) : plat::TextField(frame) {}

void Shim_vHarshbloom_textfield::setNeedsDisplayInRect(const Rect& r) {
  plat::TextField::setNeedsDisplayInRect(r);
  SHIM_Internal_MarkEnclosingDirty(this);
}

void Shim_vHarshbloom_textfield::setStringValue(const std::string& s) {
  plat::TextField::setStringValue(s);
  if (isBeingEdited()) {
    int n = int(s.size());
    setSelection(std::min(selectionStart(), n), std::max(0, std::min(selectionLength(), n - std::min(selectionStart(), n))));
  }
}

std::string Shim_vHarshbloom_textfield::shown() const {
  std::string s = stringValue();
  if (!m_secure) return s;
  std::string dots;
  for (const plat::CodePoint& c : plat::decodeUtf8(s)) {
    (void)c;
    plat::appendUtf8(dots, 0x2022);
  }
  return dots;
}

plat::Size Shim_vHarshbloom_textfield::fittingSize() const {
  plat::Size t = plat::measureText(m_font, stringValue(), 0);
  if (isLabel()) return {ceil(t.w) + 4, std::max(ceil(t.h) + 1, ceil(m_font.lineHeight()) + 1)};
  return {frame().w, std::max(frame().h, ceil(m_font.lineHeight()) + 6)};
}

double Shim_vHarshbloom_textfield::textX() const { return isBordered() || drawsBackground() ? 4 : 2; }

void Shim_vHarshbloom_textfield::draw(plat::DrawContext& ctx, const Rect&) {
  Rect b = bounds();
  if (drawsBackground()) ctx.fillRect(b, isEnabled() || isLabel() ? 0xFFFFFFFF : 0xFFF2F2F2);
  bool focused = window() && window()->firstResponder() == this;
  if (isBordered()) ctx.strokeRect(b, focused && isEditable() ? kAccent : kFrame);
  uint32_t ink = isLabel() ? textColor() : inkOf(this);
  plat::TextBoxStyle style;
  style.align = m_align;
  if (isLabel() || (m_wraps && !isBeingEdited())) {
    style.wrap = m_wraps;
    Rect tr{b.x + textX(), b.y + (isLabel() ? 0 : 2), b.w - 2 * textX(), b.h};
    plat::drawTextInRect(ctx, m_font, shown(), tr, ink, style);
    return;
  }
  // One line, scrolled so the caret stays in view while editing.
  std::string text = shown();
  std::vector<double> offs = m_font.caretOffsets(text);
  double inner = b.w - 2 * textX();
  double tw = offs.back();
  double x0 = b.x + textX();
  if (!isBeingEdited()) {
    if (m_align == plat::TextAlign::Center) x0 += floor((inner - tw) / 2);
    else if (m_align == plat::TextAlign::Right) x0 += inner - tw;
  }
  // Byte positions of the real string map onto the shown one by character.
  auto shownPos = [&](int pos) {
    if (!m_secure) return size_t(pos);
    size_t chars = 0;
    for (const plat::CodePoint& c : plat::decodeUtf8(stringValue()))
      if (c.offset < size_t(pos)) ++chars;
    return chars * 3;  // one bullet is three bytes
  };
  if (isBeingEdited()) {
    double caretX = offs[std::min(shownPos(m_editor.caret()), text.size())];
    if (caretX - m_scroll > inner - 1) m_scroll = caretX - inner + 1;
    if (caretX < m_scroll) m_scroll = caretX;
    x0 -= m_scroll;
  } else {
    m_scroll = 0;
  }
  double lh = m_font.lineHeight();
  double top = floor(b.y + (b.h - lh) / 2);
  ctx.save();
  ctx.clipTo({b.x + 1, b.y + 1, b.w - 2, b.h - 2});
  if (isBeingEdited() && focused)
    drawSelection(ctx, offs, x0, top, lh, shownPos(selectionStart()),
                  shownPos(selectionStart() + selectionLength()));
  plat::drawText(ctx, m_font, text, {x0, top + m_font.ascent()}, ink);
  ctx.restore();
}

bool Shim_vHarshbloom_textfield::becomeFirstResponder() {
  if (!plat::TextField::becomeFirstResponder()) return false;
  m_editor.gainFocus();
  return true;
}

bool Shim_vHarshbloom_textfield::resignFirstResponder() {
  if (!plat::TextField::resignFirstResponder()) return false;
  m_editor.loseFocus();
  return true;
}

void Shim_vHarshbloom_textfield::mouseDown(const plat::Event& e) {
  if (!acceptsFirstResponder()) {
    if (m_sendsClicks && isEnabled()) {
      sendAction();
      return;
    }
    plat::TextField::mouseDown(e);
    return;
  }
  plat::Window* w = window();
  if (!w) return;
  plat::Ref<View> hold(this);
  bool was = w->firstResponder() == this;
  if (!was && !w->makeFirstResponder(this)) return;
  if (e.clickCount >= 2) {
    m_editor.selectAll();
    return;
  }
  plat::Point p = convertFromWindow(e.location);
  if (!m_secure) m_editor.clickAt(p.x - textX() + m_scroll, m_font, was && (e.modifierFlags & plat::kModShift));
}

void Shim_vHarshbloom_textfield::mouseDragged(const plat::Event& e) {
  if (!isBeingEdited() || m_secure) return;
  plat::Point p = convertFromWindow(e.location);
  m_editor.clickAt(p.x - textX() + m_scroll, m_font, true);
}

void Shim_vHarshbloom_textfield::keyDown(const plat::Event& e) {
  plat::Ref<View> hold(this);
  uint32_t c = firstChar(e.charactersIgnoringModifiers);
  if (c == '\t' || c == 25) {
    SHIM_Internal_FocusNextKeyView(this, c == 25 || (e.modifierFlags & plat::kModShift));
    return;
  }
  if (isBeingEdited()) {
    // A password is not copied out.
    if (m_secure && commandKey(e) && (c == 'c' || c == 'x')) return;
    bool changed = false;
    if (m_editor.key(e, &changed)) {
      if (changed) SHIM_Internal_NotifyParent(this, EN_CHANGE);
      return;
    }
    if ((c == '\r' || c == 3) && isEditable()) {
      sendAction();
      m_editor.selectAll();
      return;
    }
  }
  plat::TextField::keyDown(e);
}

// --- combo boxes

Shim_vHarshbloom_cbox::Shim_vHarshbloom_cbox(const Rect& frame) : plat::ComboBox(frame) {}

void Shim_vHarshbloom_cbox::setNeedsDisplayInRect(const Rect& r) {
  plat::ComboBox::setNeedsDisplayInRect(r);
  SHIM_Internal_MarkEnclosingDirty(this);
}

void Shim_vHarshbloom_cbox::draw(plat::DrawContext& ctx, const Rect&) {
  Rect b = bounds();
  bool focused = window() && window()->firstResponder() == this;
  Rect field{b.x, b.y, b.w - kArrowWidth, b.h};
  ctx.fillRect(field, isEnabled() ? 0xFFFFFFFF : 0xFFF2F2F2);
  ctx.strokeRect(b, focused ? kAccent : kFrame);
  Rect arrow{b.maxX() - kArrowWidth, b.y, kArrowWidth, b.h};
  ctx.fillRect({arrow.x, arrow.y + 1, arrow.w - 1, arrow.h - 2}, kFace);
  ctx.fillRect({arrow.x, b.y, 1, b.h}, kFrame);
  double cx = arrow.x + arrow.w / 2, cy = b.y + b.h / 2;
  for (int k = 0; k < 4; ++k) ctx.fillRect({cx - 4 + k, cy - 2 + k, double(8 - 2 * k), 1}, inkOf(this));
  std::string text = stringValue();
  std::vector<double> offs = m_font.caretOffsets(text);
  double lh = m_font.lineHeight(), top = floor(b.y + (b.h - lh) / 2), x0 = b.x + 4;
  ctx.save();
  ctx.clipTo({field.x + 1, field.y + 1, field.w - 2, field.h - 2});
  if (isBeingEdited() && focused)
    drawSelection(ctx, offs, x0, top, lh, size_t(selectionStart()),
                  size_t(selectionStart() + selectionLength()));
  plat::drawText(ctx, m_font, text, {x0, top + m_font.ascent()}, inkOf(this));
  ctx.restore();
}

bool Shim_vHarshbloom_cbox::becomeFirstResponder() {
  if (!plat::ComboBox::becomeFirstResponder()) return false;
  m_editor.gainFocus();
  return true;
}

bool Shim_vHarshbloom_cbox::resignFirstResponder() {
  if (!plat::ComboBox::resignFirstResponder()) return false;
  m_editor.loseFocus();
  return true;
}

void Shim_vHarshbloom_cbox::popUpList() {
  plat::Ref<View> hold(this);
  SHIM_Internal_NotifyParent(this, CBN_DROPDOWN);
  plat::MenuTracker* t = plat::app().menuTracker();
  if (t && numberOfItems() > 0 && window()) {
    plat::Ref<plat::Menu> list = plat::Ref<plat::Menu>::adopt(new plat::Menu());
    for (int i = 0; i < numberOfItems(); ++i) {
      plat::MenuItem* it = new plat::MenuItem(itemAt(i), i + 1);
      it->setState(i == indexOfSelectedItem() ? 1 : 0);
      list->addItem(it);
      it->release();
    }
    plat::MenuItem* chosen = t->popUp(list.get(), window(), belowInScreen(this));
    if (chosen && chosen->tag() >= 1 && chosen->tag() <= numberOfItems()) {
      selectItemAt(int(chosen->tag() - 1));
      if (isBeingEdited()) m_editor.selectAll();
      SHIM_Internal_NotifyParent(this, CBN_SELCHANGE);
    }
  }
  SHIM_Internal_NotifyParent(this, CBN_CLOSEUP);
}

void Shim_vHarshbloom_cbox::mouseDown(const plat::Event& e) {
  if (!isEnabled()) return;
  plat::Ref<View> hold(this);
  plat::Point p = convertFromWindow(e.location);
  plat::Window* w = window();
  bool was = w && w->firstResponder() == this;
  if (w && !was) w->makeFirstResponder(this);
  if (p.x >= bounds().maxX() - kArrowWidth) {
    popUpList();
    return;
  }
  if (isBeingEdited()) m_editor.clickAt(p.x - 4, m_font, was && (e.modifierFlags & plat::kModShift));
}

void Shim_vHarshbloom_cbox::keyDown(const plat::Event& e) {
  plat::Ref<View> hold(this);
  uint32_t c = firstChar(e.charactersIgnoringModifiers);
  if (c == '\t' || c == 25) {
    SHIM_Internal_FocusNextKeyView(this, c == 25 || (e.modifierFlags & plat::kModShift));
    return;
  }
  if (c == plat::keychar::DownArrow && !(e.modifierFlags & plat::kModShift)) {
    popUpList();
    return;
  }
  if (isBeingEdited()) {
    bool changed = false;
    if (m_editor.key(e, &changed)) {
      if (changed) SHIM_Internal_NotifyParent(this, CBN_EDITCHANGE);
      return;
    }
    if (c == '\r' || c == 3) {
      sendAction();
      return;
    }
  }
  plat::ComboBox::keyDown(e);
}

// --- pop-up buttons

void Shim_vHarshbloom_pub::setNeedsDisplayInRect(const Rect& r) {
  plat::PopUpButton::setNeedsDisplayInRect(r);
  SHIM_Internal_MarkEnclosingDirty(this);
}

void Shim_vHarshbloom_pub::draw(plat::DrawContext& ctx, const Rect&) {
  Rect b = bounds();
  Rect face{b.x + 1, b.y + 1, b.w - 2, b.h - 2};
  ctx.fillRect(face, kFace);
  ctx.strokeRect(face, kFrame);
  double ax = face.maxX() - 14, cy = face.y + face.h / 2;
  for (int k = 0; k < 3; ++k) {
    ctx.fillRect({ax - 3 + k, cy - 4 + k, double(7 - 2 * k), 1}, inkOf(this));
    ctx.fillRect({ax - 3 + k, cy + 3 - k, double(7 - 2 * k), 1}, inkOf(this));
  }
  plat::TextBoxStyle style;
  style.centerVertically = true;
  style.ellipsis = true;
  plat::drawTextInRect(ctx, m_font, stringValue(), {face.x + 6, face.y, face.w - 26, face.h}, inkOf(this), style);
}

void Shim_vHarshbloom_pub::popUpList() {
  plat::MenuTracker* t = plat::app().menuTracker();
  if (!t || !window() || numberOfItems() == 0) return;
  plat::Ref<View> hold(this);
  plat::Ref<plat::Menu> m(menu());
  for (int i = 0; i < numberOfItems(); ++i) itemAt(i)->setState(i == indexOfSelectedItem() ? 1 : 0);
  plat::MenuItem* chosen = t->popUp(m.get(), window(), belowInScreen(this));
  for (int i = 0; i < numberOfItems(); ++i) itemAt(i)->setState(0);
  if (!chosen) return;
  int idx = -1;
  for (int i = 0; i < numberOfItems(); ++i)
    if (itemAt(i) == chosen) idx = i;
  if (idx < 0 || !chosen->isEnabled()) return;
  selectItemAt(idx);
  sendAction();
}

void Shim_vHarshbloom_pub::mouseDown(const plat::Event&) {
  if (isEnabled()) popUpList();
}

// --- text views

Shim_vHarshbloom_textview::Shim_vHarshbloom_textview(const Rect& frame) : plat::TextView(frame) {}

void Shim_vHarshbloom_textview::setNeedsDisplayInRect(const Rect& r) {
  plat::TextView::setNeedsDisplayInRect(r);
  SHIM_Internal_MarkEnclosingDirty(this);
}

void Shim_vHarshbloom_textview::setString(const std::string& s) {
  plat::TextView::setString(s);
  setSelection(m_selStart, m_selLength);
  sizeToText();
}

void Shim_vHarshbloom_textview::setSelection(int start, int length) {
  int n = int(string().size());
  m_selStart = std::max(0, std::min(start, n));
  m_selLength = std::max(0, std::min(length, n - m_selStart));
  setNeedsDisplay(true);
}

namespace {
const double kTextInset = 4;
plat::ClipView* clipOf(View* v) { return dynamic_cast<plat::ClipView*>(v->superview()); }
}  // namespace

std::vector<std::string> Shim_vHarshbloom_textview::lines() const {
  std::vector<std::string> out;
  double w = m_hResizable ? 0 : frame().w - 2 * kTextInset;
  for (const plat::LineRange& r : plat::breakLines(m_font, string(), w)) out.push_back(string().substr(r.start, r.end - r.start));
  return out;
}

void Shim_vHarshbloom_textview::sizeToText() {
  double w = m_hResizable ? 0 : frame().w - 2 * kTextInset;
  std::vector<plat::LineRange> ls = plat::breakLines(m_font, string(), w);
  double lh = m_font.lineHeight();
  Rect f = frame();
  plat::ClipView* clip = clipOf(this);
  plat::Size room = clip ? plat::Size{clip->frame().w, clip->frame().h} : plat::Size{f.w, f.h};
  if (m_vResizable) f.h = std::max(room.h, ceil(lh * double(ls.size()) + 2 * kTextInset));
  if (m_hResizable) {
    double widest = 0;
    for (const plat::LineRange& r : ls) widest = std::max(widest, m_font.width(string().substr(r.start, r.end - r.start)));
    f.w = std::max(room.w, ceil(widest + 2 * kTextInset + 2));
  }
  if (f != frame()) setFrame(f);
}

void Shim_vHarshbloom_textview::enclosingClipViewResized() {
  plat::ClipView* clip = clipOf(this);
  if (!clip) return;
  if (!m_hResizable && frame().w != clip->frame().w) {
    Rect f = frame();
    f.w = clip->frame().w;
    setFrame(f);
  }
  sizeToText();
}

void Shim_vHarshbloom_textview::scrollRangeToVisible(int pos) {
  plat::ClipView* clip = clipOf(this);
  if (!clip) return;
  double w = m_hResizable ? 0 : frame().w - 2 * kTextInset;
  std::vector<plat::LineRange> ls = plat::breakLines(m_font, string(), w);
  size_t line = 0;
  for (size_t i = 0; i < ls.size(); ++i)
    if (size_t(pos) >= ls[i].start) line = i;
  double lh = m_font.lineHeight();
  double top = kTextInset + lh * double(line);
  plat::Rect vis = clip->bounds();
  double y = vis.y;
  if (top - kTextInset < y) y = top - kTextInset;
  if (top + lh + kTextInset > y + vis.h) y = top + lh + kTextInset - vis.h;
  y = std::max(0.0, std::min(y, std::max(0.0, frame().h - vis.h)));
  clip->setBoundsOrigin({vis.x, y});
}

LRESULT Shim_vHarshbloom_textview::onShimMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETFONT: {
      plat::Font f;
      if (g_fontResolver && wp && g_fontResolver((HGDIOBJ)wp, &f)) {
        setShimFont(f);
        sizeToText();
        setNeedsDisplay(true);
      }
      return 0;
    }
    case EM_GETSEL:
      if (wp) *(int*)wp = m_selStart;
      if (lp) *(int*)lp = m_selStart + m_selLength;
      return 0;
    case EM_SETSEL: {
      int n = int(string().size());
      if (int(wp) == -1) {
        setSelection(0, 0);
        return 0;
      }
      int start = std::max(0, std::min(int(wp), n));
      int end = int(lp) == -1 ? n : std::max(0, std::min(int(lp), n));
      setSelection(start, end < start ? 0 : end - start);
      return 0;
    }
    case EM_SCROLL:
      if (wp == SB_BOTTOM) scrollRangeToVisible(int(string().size()));
      else if (wp == SB_TOP) scrollRangeToVisible(0);
      return 0;
    default: return 0;
  }
}

int Shim_vHarshbloom_textview::indexAt(const plat::Point& p) const {
  double w = m_hResizable ? 0 : frame().w - 2 * kTextInset;
  std::vector<plat::LineRange> ls = plat::breakLines(m_font, string(), w);
  if (ls.empty()) return 0;
  int line = int(floor((p.y - kTextInset) / m_font.lineHeight()));
  line = std::max(0, std::min(line, int(ls.size()) - 1));
  const plat::LineRange& r = ls[size_t(line)];
  std::string text = string().substr(r.start, r.end - r.start);
  return int(r.start + m_font.indexAt(text, p.x - kTextInset));
}

void Shim_vHarshbloom_textview::draw(plat::DrawContext& ctx, const Rect& dirty) {
  ctx.fillRect(dirty, 0xFFFFFFFF);
  double w = m_hResizable ? 0 : frame().w - 2 * kTextInset;
  const std::string& s = string();
  std::vector<plat::LineRange> ls = plat::breakLines(m_font, s, w);
  double lh = m_font.lineHeight();
  bool focused = window() && window()->firstResponder() == this;
  int selEnd = m_selStart + m_selLength;
  for (size_t i = 0; i < ls.size(); ++i) {
    double top = kTextInset + lh * double(i);
    if (top > dirty.maxY() || top + lh < dirty.y) continue;
    std::string text = s.substr(ls[i].start, ls[i].end - ls[i].start);
    std::vector<double> offs = m_font.caretOffsets(text);
    if (focused) {
      int a = std::max(m_selStart, int(ls[i].start)), b = std::min(selEnd, int(ls[i].end));
      if (b > a)
        ctx.fillRect({kTextInset + offs[size_t(a) - ls[i].start], top, offs[size_t(b) - ls[i].start] - offs[size_t(a) - ls[i].start], lh}, kSelection);
      bool caretHere = m_selLength == 0 && m_selStart >= int(ls[i].start) && m_selStart <= int(ls[i].end) &&
                       (i + 1 == ls.size() || m_selStart < int(ls[i + 1].start) || ls[i + 1].start > ls[i].end);
      if (caretHere) ctx.fillRect({kTextInset + offs[size_t(m_selStart) - ls[i].start], top, 1, lh}, kInk);
    }
    plat::drawText(ctx, m_font, text, {kTextInset, top + m_font.ascent()}, isEditable() ? kInk : 0xFF404040);
  }
}

bool Shim_vHarshbloom_textview::becomeFirstResponder() {
  plat::Ref<View> hold(this);
  m_changed = false;
  setNeedsDisplay(true);
  SHIM_Internal_NotifyParent(this, EN_SETFOCUS);
  return true;
}

bool Shim_vHarshbloom_textview::resignFirstResponder() {
  plat::Ref<View> hold(this);
  setNeedsDisplay(true);
  if (isEditable()) {
    SHIM_Internal_NotifyParent(this, EN_CHANGE);
    SHIM_Internal_NotifyParent(this, EN_KILLFOCUS);
  }
  return true;
}

void Shim_vHarshbloom_textview::replaceSelection(const std::string& text) {
  std::string s = string();
  int a = std::min(m_selStart, int(s.size()));
  int len = std::min(m_selLength, int(s.size()) - a);
  s.replace(size_t(a), size_t(len), text);
  m_selStart = a + int(text.size());
  m_selLength = 0;
  setString(s);
  scrollRangeToVisible(m_selStart);
  m_changed = true;
  SHIM_Internal_NotifyParent(this, EN_CHANGE);
}

void Shim_vHarshbloom_textview::mouseDown(const plat::Event& e) {
  plat::Window* w = window();
  if (!w) return;
  plat::Ref<View> hold(this);
  if (w->firstResponder() != this && !w->makeFirstResponder(this)) return;
  int i = indexAt(convertFromWindow(e.location));
  if (e.clickCount >= 2) setSelection(0, int(string().size()));
  else setSelection(i, 0);
}

void Shim_vHarshbloom_textview::keyDown(const plat::Event& e) {
  plat::Ref<View> hold(this);
  const std::string& s = string();
  uint32_t c = firstChar(e.charactersIgnoringModifiers);
  bool shift = (e.modifierFlags & plat::kModShift) != 0;
  int n = int(s.size());
  int lo = m_selStart, hi = m_selStart + m_selLength;
  if (commandKey(e)) {
    if (c == 'a') setSelection(0, n);
    else if ((c == 'c' || c == 'x') && m_selLength > 0) {
      plat::app().setClipboardText(s.substr(size_t(lo), size_t(m_selLength)));
      if (c == 'x' && isEditable()) replaceSelection("");
    } else if (c == 'v' && isEditable()) replaceSelection(plat::app().clipboardText());
    else plat::TextView::keyDown(e);
    return;
  }
  switch (c) {
    case plat::keychar::LeftArrow: {
      int p = m_selLength && !shift ? lo : int(prevBoundary(s, size_t(lo)));
      setSelection(p, shift ? hi - p : 0);
      return;
    }
    case plat::keychar::RightArrow: {
      int p = m_selLength && !shift ? hi : int(nextBoundary(s, size_t(hi)));
      setSelection(shift ? lo : p, shift ? p - lo : 0);
      return;
    }
    case plat::keychar::UpArrow:
    case plat::keychar::DownArrow: {
      double lh = m_font.lineHeight();
      double w = m_hResizable ? 0 : frame().w - 2 * kTextInset;
      std::vector<plat::LineRange> ls = plat::breakLines(m_font, s, w);
      size_t line = 0;
      for (size_t i = 0; i < ls.size(); ++i)
        if (size_t(lo) >= ls[i].start) line = i;
      double x = ls.empty() ? 0 : m_font.width(s.substr(ls[line].start, size_t(lo) - ls[line].start));
      double y = kTextInset + lh * (double(line) + (c == plat::keychar::UpArrow ? -0.5 : 1.5));
      setSelection(c == plat::keychar::UpArrow && line == 0 ? 0 : indexAt({x + kTextInset, y}), 0);
      scrollRangeToVisible(m_selStart);
      return;
    }
    case '\t':
    case 25: SHIM_Internal_FocusNextKeyView(this, c == 25 || shift); return;
    default: break;
  }
  if (!isEditable()) {
    plat::TextView::keyDown(e);
    return;
  }
  if (c == 0x7F || c == 8 || c == plat::keychar::ForwardDelete) {
    if (m_selLength == 0) {
      if (c == plat::keychar::ForwardDelete) m_selLength = int(nextBoundary(s, size_t(lo))) - lo;
      else {
        m_selStart = int(prevBoundary(s, size_t(lo)));
        m_selLength = lo - m_selStart;
      }
    }
    if (m_selLength > 0) replaceSelection("");
    return;
  }
  if (c == '\r' || c == 3) {
    replaceSelection("\n");
    return;
  }
  uint32_t typed = firstChar(e.characters);
  if (typed < 0x20 || typed == 0x7F || (typed >= 0xF700 && typed <= 0xF8FF) ||
      (e.modifierFlags & plat::kModControl)) {
    plat::TextView::keyDown(e);
    return;
  }
  replaceSelection(e.characters);
}

void Shim_vHarshbloom_textview::scrollWheel(const plat::Event& e) {
  plat::ClipView* clip = clipOf(this);
  if (!clip) {
    plat::TextView::scrollWheel(e);
    return;
  }
  Rect vis = clip->bounds();
  double y = vis.y - e.deltaY * m_font.lineHeight() * 3;
  y = std::max(0.0, std::min(y, std::max(0.0, frame().h - vis.h)));
  clip->setBoundsOrigin({vis.x, y});
}

// --- boxes

void Shim_vHarshbloom_box::setNeedsDisplayInRect(const Rect& r) {
  plat::Box::setNeedsDisplayInRect(r);
  SHIM_Internal_MarkEnclosingDirty(this);
}

void Shim_vHarshbloom_box::draw(plat::DrawContext& ctx, const Rect&) {
  Rect b = bounds();
  double lh = ceil(m_font.lineHeight());
  bool titled = !title().empty();
  double top = titled ? b.y + lh + 2 : b.y;
  ctx.fillRect({b.x, top, b.w, b.h - (top - b.y)}, 0x0A000000);
  ctx.strokeRect({b.x, top, b.w, b.h - (top - b.y)}, 0xFFBDBDBD);
  if (titled) {
    plat::TextBoxStyle style;
    style.align = m_centred ? plat::TextAlign::Center : plat::TextAlign::Left;
    style.ellipsis = true;
    plat::drawTextInRect(ctx, m_font, title(), {b.x + 4, b.y, b.w - 8, lh + 2}, titleColor(), style);
  }
}

// --- sliders

void Shim_vHarshbloom_slider::draw(plat::DrawContext& ctx, const Rect&) {
  Rect b = bounds();
  bool vertical = b.h > b.w;
  double knob = m_mini ? 10 : 16;
  double span = (vertical ? b.h : b.w) - knob;
  double range = maxValue() - minValue();
  double frac = range != 0 ? (value() - minValue()) / range : 0;
  uint32_t track = isEnabled() ? 0xFFB8B8B8 : 0xFFD8D8D8;
  uint32_t fill = isEnabled() ? kAccent : kDisabledInk;
  if (vertical) {
    double cx = floor(b.x + b.w / 2) - 2;
    double ky = b.y + span * (1 - frac);
    ctx.fillRect({cx, b.y + knob / 2, 4, b.h - knob}, track);
    ctx.fillRect({cx, ky + knob / 2, 4, b.maxY() - knob / 2 - (ky + knob / 2)}, fill);
    ctx.fillEllipse({cx + 2 - knob / 2, ky, knob, knob}, 0xFFFFFFFF);
    ctx.strokeEllipse({cx + 2 - knob / 2, ky, knob, knob}, 1, 0xFF7A7A7A);
  } else {
    double cy = floor(b.y + b.h / 2) - 2;
    double kx = b.x + span * frac;
    ctx.fillRect({b.x + knob / 2, cy, b.w - knob, 4}, track);
    ctx.fillRect({b.x + knob / 2, cy, kx - b.x, 4}, fill);
    ctx.fillEllipse({kx, cy + 2 - knob / 2, knob, knob}, 0xFFFFFFFF);
    ctx.strokeEllipse({kx, cy + 2 - knob / 2, knob, knob}, 1, 0xFF7A7A7A);
  }
}

void Shim_vHarshbloom_slider::trackTo(const plat::Point& p) {
  Rect b = bounds();
  bool vertical = b.h > b.w;
  double knob = m_mini ? 10 : 16;
  double span = std::max(1.0, (vertical ? b.h : b.w) - knob);
  double frac = vertical ? 1 - (p.y - b.y - knob / 2) / span : (p.x - b.x - knob / 2) / span;
  frac = std::max(0.0, std::min(1.0, frac));
  double v = minValue() + frac * (maxValue() - minValue());
  if (v == value()) return;
  setValue(v);
  sendAction();
}

void Shim_vHarshbloom_slider::mouseDown(const plat::Event& e) {
  if (isEnabled()) trackTo(convertFromWindow(e.location));
}

void Shim_vHarshbloom_slider::mouseDragged(const plat::Event& e) {
  if (isEnabled()) trackTo(convertFromWindow(e.location));
}

void Shim_vHarshbloom_slider::keyDown(const plat::Event& e) {
  uint32_t c = firstChar(e.charactersIgnoringModifiers);
  double step = (maxValue() - minValue()) / 100;
  if (c == plat::keychar::RightArrow || c == plat::keychar::UpArrow) setValue(value() + step);
  else if (c == plat::keychar::LeftArrow || c == plat::keychar::DownArrow) setValue(value() - step);
  else return plat::Slider::keyDown(e);
  sendAction();
}

// --- progress bars

void Shim_vHarshbloom_progind::setNeedsDisplayInRect(const Rect& r) {
  plat::View::setNeedsDisplayInRect(r);
  SHIM_Internal_MarkEnclosingDirty(this);
}

LRESULT Shim_vHarshbloom_progind::onShimMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case PBM_SETRANGE:
      m_min = double(LOWORD(lp));
      m_max = double(HIWORD(lp));
      break;
    case PBM_SETPOS: m_value = double(int(wp)); break;
    case PBM_DELTAPOS: m_value += double(int(wp)); break;
    default: return 0;
  }
  setNeedsDisplay(true);
  return 0;
}

void Shim_vHarshbloom_progind::draw(plat::DrawContext& ctx, const Rect&) {
  Rect b = bounds();
  Rect bar{b.x, floor(b.y + (b.h - 8) / 2), b.w, std::min(8.0, b.h)};
  ctx.fillRect(bar, 0xFFDADADA);
  double range = m_max - m_min;
  double frac = range > 0 ? std::max(0.0, std::min(1.0, (m_value - m_min) / range)) : 0;
  if (frac > 0) ctx.fillRect({bar.x, bar.y, floor(bar.w * frac + 0.5), bar.h}, kAccent);
  ctx.strokeRect(bar, 0xFFB0B0B0);
}

// --- tab views

void Shim_vHarshbloom_tabview::setNeedsDisplayInRect(const Rect& r) {
  plat::View::setNeedsDisplayInRect(r);
  SHIM_Internal_MarkEnclosingDirty(this);
}

void Shim_vHarshbloom_tabview::insertTab(int index, const std::string& label) {
  index = std::max(0, std::min(index, count()));
  m_labels.insert(m_labels.begin() + index, label);
  if (m_selected >= index) ++m_selected;
  // The first tab is selected as soon as there is one.
  if (m_selected < 0) selectTab(0);
  setNeedsDisplay(true);
}

void Shim_vHarshbloom_tabview::removeTab(int index) {
  if (index < 0 || index >= count()) return;
  m_labels.erase(m_labels.begin() + index);
  if (m_selected == index) {
    m_selected = -1;
    if (count() > 0) selectTab(std::min(index, count() - 1));
  } else if (m_selected > index) {
    --m_selected;
  }
  setNeedsDisplay(true);
}

void Shim_vHarshbloom_tabview::selectTab(int index) {
  if (index < 0 || index >= count() || index == m_selected) return;
  m_selected = index;
  setNeedsDisplay(true);
  if (!m_dest) return;
  plat::Ref<View> hold(this);
  NMHDR hdr;
  hdr.hwndFrom = SHIM_H(this);
  hdr.idFrom = UINT_PTR(tag());
  hdr.code = UINT(TCN_SELCHANGE);
  SendMessage(m_dest, WM_NOTIFY, (WPARAM)tag(), (LPARAM)&hdr);
}

Rect Shim_vHarshbloom_tabview::tabRect(int index) const {
  double x = 8;
  for (int i = 0; i < count(); ++i) {
    double w = ceil(m_font.width(m_labels[size_t(i)])) + 24;
    if (i == index) return {x, 0, w, kTabHeight};
    x += w;
  }
  return {};
}

void Shim_vHarshbloom_tabview::draw(plat::DrawContext& ctx, const Rect&) {
  Rect b = bounds();
  Rect body{b.x, b.y + kTabHeight - 1, b.w, b.h - kTabHeight + 1};
  ctx.fillRect(body, 0x0A000000);
  ctx.strokeRect(body, 0xFFB0B0B0);
  plat::TextBoxStyle style;
  style.align = plat::TextAlign::Center;
  style.centerVertically = true;
  for (int i = 0; i < count(); ++i) {
    Rect t = tabRect(i);
    bool sel = i == m_selected;
    Rect face{t.x, t.y + (sel ? 0 : 2), t.w, t.h - (sel ? 0 : 2)};
    ctx.fillRect(face, sel ? 0xFFFFFFFF : 0xFFE2E2E2);
    ctx.strokeRect(face, 0xFFB0B0B0);
    if (sel) ctx.fillRect({face.x + 1, face.maxY() - 1, face.w - 2, 1}, 0xFFFFFFFF);
    plat::drawTextInRect(ctx, m_font, m_labels[size_t(i)], face, kInk, style);
  }
}

void Shim_vHarshbloom_tabview::mouseDown(const plat::Event& e) {
  plat::Point p = convertFromWindow(e.location);
  for (int i = 0; i < count(); ++i)
    if (tabRect(i).contains(p)) {
      selectTab(i);
      return;
    }
  plat::View::mouseDown(e);
}

// --- the focus-rectangle overlay

void Shim_vHarshbloom_drawfocusrectwnd::draw(plat::DrawContext& ctx, const Rect& dirty) {
  ctx.fillRect(dirty, 0xFF808080);
}

// --- tab control functions

namespace {
Shim_vHarshbloom_tabview* tabOf(HWND h) { return SHIM_As<Shim_vHarshbloom_tabview>(h); }
}  // namespace

int TabCtrl_GetItemCount(HWND hwnd) {
  Shim_vHarshbloom_tabview* t = tabOf(hwnd);
  return t ? t->count() : 0;
}

BOOL TabCtrl_AdjustRect(HWND hwnd, BOOL fLarger, RECT* r) {
  if (!tabOf(hwnd) || !r) return FALSE;
  int s = fLarger ? -1 : 1;
  r->left += 7 * s;
  r->right -= 7 * s;
  r->top += 26 * s;
  r->bottom -= 3 * s;
  return TRUE;
}

BOOL TabCtrl_DeleteItem(HWND hwnd, int idx) {
  Shim_vHarshbloom_tabview* t = tabOf(hwnd);
  if (!t || idx < 0 || idx >= t->count()) return FALSE;
  plat::Ref<View> hold(t);
  t->removeTab(idx);
  return TRUE;
}

int TabCtrl_InsertItem(HWND hwnd, int idx, TCITEM* item) {
  Shim_vHarshbloom_tabview* t = tabOf(hwnd);
  if (!t || !item || !(item->mask & TCIF_TEXT) || !item->pszText) return -1;
  int pos = idx < 0 ? 0 : std::min(idx, t->count());
  // An insert never reports a selection change.
  HWND dest = t->getNotificationWindow();
  t->setNotificationWindow(nullptr);
  t->insertTab(pos, item->pszText);
  t->setNotificationWindow(dest);
  return pos;
}

int TabCtrl_SetCurSel(HWND hwnd, int idx) {
  Shim_vHarshbloom_tabview* t = tabOf(hwnd);
  if (!t) return -1;
  int prev = t->selectedIndex();
  plat::Ref<View> hold(t);
  if (idx >= 0 && idx < t->count()) t->selectTab(idx);
  return prev;
}

int TabCtrl_GetCurSel(HWND hwnd) {
  Shim_vHarshbloom_tabview* t = tabOf(hwnd);
  return t && t->selectedIndex() >= 0 ? t->selectedIndex() : 0;
}
