// The editor's view on this desktop: timer, drawing, mouse, wheel and keys,
// the text entry field with its formatter, popup menus and tool tips.

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <map>
#include <utility>

#include "IControl.h"
#include "IGraphicsDesktop.h"
#include "IParam.h"
#include "IPopupMenu.h"
#include "pix.h"
#include "platform/keys.h"
#include "platform/menu.h"
#include "platform/pasteboard.h"
#include "platform/text.h"

using plat::Event;
using plat::Point;
using plat::Rect;

namespace {

int Trunc(double v) { return int(v); }

// While a modal panel, dialog or menu of another window runs, the windows
// behind it show no tool tips.
bool behindModalWindow(const plat::Window* own) {
  const plat::Window* modal = plat::app().modalWindow();
  return modal && modal != own;
}

}  // namespace

// ---- Formatter

bool IFxTextFormatter::IsPartialStringValid(const std::string& text) const {
  const std::vector<plat::CodePoint> chars = plat::decodeUtf8(text);
  if (!mCharacters.empty()) {
    for (const plat::CodePoint& c : chars)
      if (c.cp > 127 || mCharacters.find(char(c.cp)) == std::string::npos) return false;
  }
  if (mMaxLength > 0 && int(chars.size()) > mMaxLength) return false;
  if (mMaxValue > 0 && atoi(text.c_str()) > mMaxValue) return false;
  return true;
}

// ---- Text entry field

IFxTextEntryField::IFxTextEntryField(const Rect& frame, const IText& style,
                                     const IFxTextFormatter& formatter)
    : plat::TextField(frame),
      mStyle(style),
      mFormatter(formatter),
      mFont(style.mFont, double(Trunc(style.mSize * 0.9)),
            style.mStyle == IText::kStyleBold ? plat::kWeightBold : plat::kWeightRegular,
            style.mStyle == IText::kStyleItalic),
      mEditor(this) {
  setBordered(false);
}

void IFxTextEntryField::start(const std::string& text) {
  setStringValue(text);
  mEditor.begin();
}

void IFxTextEntryField::keyDown(const Event& e) {
  const std::vector<plat::CodePoint> chars = plat::decodeUtf8(e.charactersIgnoringModifiers);
  const uint32_t c = chars.empty() ? 0 : chars[0].cp;
  if (e.keyCode == plat::key::Return || e.keyCode == plat::key::KeypadEnter ||
      e.keyCode == plat::key::Tab || c == '\r' || c == 3 || c == '\t') {
    if (onEnd) onEnd(true);
    return;
  }
  if (e.keyCode == plat::key::Escape || c == 0x1B) {
    if (onEnd) onEnd(false);
    return;
  }
  const std::string before = stringValue();
  const int start = selectionStart(), length = selectionLength();
  bool changed = false;
  mEditor.key(e, &changed);
  if (changed && !mFormatter.IsPartialStringValid(stringValue())) {
    setStringValue(before);
    setSelection(start, length);
  }
}

double IFxTextEntryField::textX(const std::string& text) const {
  const double w = mFont.width(text);
  if (mStyle.mAlign == IText::kAlignCenter) return (frame().w - w) / 2.0;
  if (mStyle.mAlign == IText::kAlignFar) return frame().w - w - 2.0;
  return 2.0;
}

void IFxTextEntryField::mouseDown(const Event& e) {
  const std::string text = stringValue();
  mEditor.clickAt(convertFromWindow(e.location).x - textX(text), mFont,
                  (e.modifierFlags & plat::kModShift) != 0);
}

void IFxTextEntryField::mouseDragged(const Event& e) {
  const std::string text = stringValue();
  mEditor.clickAt(convertFromWindow(e.location).x - textX(text), mFont, true);
}

void IFxTextEntryField::draw(plat::DrawContext& ctx, const Rect&) {
  const Rect b = bounds();
  ctx.fillRect(b, mStyle.mTextEntryBGColor.Packed() | 0xFF000000u);
  const std::string text = stringValue();
  const plat::FontMetrics m = mFont.metrics();
  const double x = textX(text);
  const double top = (b.h - (m.ascent + m.descent)) / 2.0;
  const std::vector<double> carets = mFont.caretOffsets(text);
  const size_t start = size_t(std::min<int>(selectionStart(), int(text.size())));
  const size_t end = std::min(text.size(), start + size_t(selectionLength()));
  if (end > start)
    ctx.fillRect({x + carets[start], top, carets[end] - carets[start], m.ascent + m.descent},
                 0xFFB4D5FEu);
  const uint32_t fg = mStyle.mTextEntryFGColor.Packed() | 0xFF000000u;
  plat::drawText(ctx, mFont, text, {x, top + m.ascent}, fg);
  if (end == start && window() && window()->firstResponder() == this)
    ctx.fillRect({x + carets[start], top, 1.0, m.ascent + m.descent}, fg);
}

// ---- Editor view

IFxEditorView::IFxEditorView(IGraphicsDesktop* graphics)
    : plat::View({0, 0, double(graphics->Width()), double(graphics->Height())}),
      mGraphics(graphics) {
  setTracksMouse(true);
  // The view holds itself only through the surface: the timer works on the
  // surface's behalf and ends with killTimer().
  mTimer = plat::app().addTimer(1.0 / graphics->FPS(), true, [this] { onTimer(); });
}

IFxEditorView::~IFxEditorView() {
  killTimer();
  hideToolTip();
}

Rect IFxEditorView::toViewRect(const IRECT& r) const {
  const int h = mGraphics ? mGraphics->Height() : int(frame().h);
  return {double(r.L), double(h - 1 - r.B), double(r.R - r.L + 1), double(r.B - r.T + 1)};
}

IRECT IFxEditorView::toEditorRect(const Rect& r) const {
  const int h = mGraphics ? mGraphics->Height() : int(frame().h);
  const int x = Trunc(r.x), y = Trunc(r.y), w = Trunc(r.w), rh = Trunc(r.h);
  return IRECT(x, h - y - rh, x + w, h - y);
}

void IFxEditorView::getMouseXY(const Event& e, int* x, int* y) {
  const Point p = convertFromWindow(e.location);
  const int h = mGraphics ? mGraphics->Height() : int(frame().h);
  // The editor reads positions two pixels left of and three above the
  // pointer.
  *x = Trunc(p.x) - 2;
  *y = h - Trunc(p.y) - 3;
  mPrevX = *x;
  mPrevY = *y;
}

IMouseMod IFxEditorView::modifiersFor(const Event& e) const {
  const uint32_t f = e.modifierFlags;
  const bool shift = f & plat::kModShift, control = f & plat::kModControl,
             option = f & plat::kModOption, command = f & plat::kModCommand;
  const bool right = e.type == plat::EventType::RightMouseDown ||
                     e.type == plat::EventType::RightMouseUp ||
                     e.type == plat::EventType::RightMouseDragged;
  // Control-click (and Command-click) counts as a right click.
  if (right) return IMouseMod(false, true, shift, control, option);
  return IMouseMod(true, control || command, shift, control, option);
}

void IFxEditorView::onTimer() {
  if (!mGraphics) return;
  if (mToolTipWindow && behindModalWindow(window())) hideToolTip();
  IRECT r;
  if (mGraphics->IsDirty(&r)) setNeedsDisplayInRect(toViewRect(r));
}

void IFxEditorView::killTimer() {
  if (mTimer) plat::app().cancelTimer(mTimer);
  mTimer = 0;
}

void IFxEditorView::viewDidMoveToWindow() {
  if (plat::Window* w = window()) {
    w->makeFirstResponder(this);
    w->setAcceptsMouseMovedEvents(true);
  } else {
    hideToolTip();
  }
}

void IFxEditorView::viewDidMoveToSuperview() {
  if (superview()) return;
  // Taken out of its place: the editor closes.
  endUserInput();
  if (IGraphicsDesktop* g = mGraphics) {
    mGraphics = nullptr;
    g->CloseWindow();
  }
}

void IFxEditorView::draw(plat::DrawContext& ctx, const Rect& dirty) {
  if (!mGraphics) return;
  IRECT r = toEditorRect(dirty);
  mDrawing = &ctx;
  mGraphics->Draw(&r);
  mDrawing = nullptr;
}

void IFxEditorView::drawScreen() {
  if (!mDrawing || !mGraphics) return;
  PIX_IBitmap* src = mGraphics->GetDrawBitmap();
  if (!src || !src->getBits()) return;
  plat::Bitmap* dst = mDrawing->bitmap();
  const Rect view = pixelRectInWindow();
  const Rect clip = view.intersect(mDrawing->clipPixels());
  if (clip.isEmpty()) return;
  const int x0 = int(clip.x), x1 = int(clip.maxX()), y0 = int(clip.y), y1 = int(clip.maxY());
  const int vx = int(view.x), vy = int(view.y);
  const int span = src->getRowSpan();
  const unsigned int* bits = src->getBits();
  const int sw = src->getWidth(), sh = src->getHeight();
  for (int y = y0; y < y1; ++y) {
    const int sy = y - vy;
    if (sy < 0 || sy >= sh) continue;
    uint32_t* out = dst->row(y);
    const unsigned int* in = bits + size_t(sy) * size_t(span);
    for (int x = x0; x < x1; ++x) {
      const int sx = x - vx;
      // The picture is opaque: its alpha channel is not shown.
      if (sx >= 0 && sx < sw) out[x] = in[sx] | 0xFF000000u;
    }
  }
}

// ---- Mouse and keys

void IFxEditorView::buttonDown(const Event& e, bool doubleClicks) {
  if (!mGraphics) return;
  hideToolTip();
  // A click beside the field ends the entry with its text.
  if (mTextField) textEntryEnded(true);
  if (!mGraphics) return;
  int x, y;
  getMouseXY(e, &x, &y);
  IMouseMod mod = modifiersFor(e);
  if (doubleClicks && e.clickCount >= 2)
    mGraphics->OnMouseDblClick(x, y, &mod);
  else
    mGraphics->OnMouseDown(x, y, &mod);
}

void IFxEditorView::mouseDown(const Event& e) { buttonDown(e, true); }

void IFxEditorView::rightMouseDown(const Event& e) { buttonDown(e, false); }

void IFxEditorView::mouseUp(const Event& e) {
  if (!mGraphics) return;
  int x, y;
  getMouseXY(e, &x, &y);
  IMouseMod mod = modifiersFor(e);
  mGraphics->OnMouseUp(x, y, &mod);
}

void IFxEditorView::rightMouseUp(const Event& e) { mouseUp(e); }

void IFxEditorView::mouseDragged(const Event& e) {
  if (!mGraphics || mTextField) return;
  int x, y;
  getMouseXY(e, &x, &y);
  IMouseMod mod = modifiersFor(e);
  mGraphics->OnMouseDrag(x, y, &mod);
}

void IFxEditorView::rightMouseDragged(const Event& e) { mouseDragged(e); }

void IFxEditorView::mouseMoved(const Event& e) {
  if (!mGraphics) return;
  int x, y;
  getMouseXY(e, &x, &y);
  IMouseMod mod = modifiersFor(e);
  mGraphics->OnMouseOver(x, y, &mod);
  trackToolTip(e);
}

void IFxEditorView::mouseExited(const Event&) { hideToolTip(); }

void IFxEditorView::scrollWheel(const Event& e) {
  if (!mGraphics) return;
  hideToolTip();
  endUserInput();
  int x, y;
  getMouseXY(e, &x, &y);
  IMouseMod mod = modifiersFor(e);
  mGraphics->OnMouseWheel(x, y, &mod, Trunc(e.deltaY));
}

void IFxEditorView::keyDown(const Event& e) {
  if (!mGraphics) return;
  hideToolTip();
  const std::vector<plat::CodePoint> chars = plat::decodeUtf8(e.charactersIgnoringModifiers);
  if (chars.size() != 1) return;
  int key = -1;
  switch (e.keyCode) {
    case plat::key::Space: key = 0; break;
    case plat::key::UpArrow: key = 1; break;
    case plat::key::DownArrow: key = 2; break;
    case plat::key::LeftArrow: key = 3; break;
    case plat::key::RightArrow: key = 4; break;
    default: {
      const uint32_t c = chars[0].cp;
      if (c >= '0' && c <= '9')
        key = 5 + int(c - '0');
      else if (c >= 'A' && c <= 'Z')
        key = 15 + int(c - 'A');
      else if (c >= 'a' && c <= 'z')
        key = 15 + int(c - 'a');
    }
  }
  if (key < 0 || !mGraphics->OnKeyDown(mPrevX, mPrevY, key)) plat::View::keyDown(e);
}

// ---- Text entry

void IFxEditorView::createTextEntry(IControl* control, IParam* param, const IText& style,
                                    const char* str, const Rect& viewRect) {
  if (!control || mTextField) return;
  IFxTextFormatter formatter;
  if (param) {
    switch (param->Type()) {
      case IParam::kTypeDouble: formatter.mCharacters = "0123456789.-+"; break;
      case IParam::kTypeBool:
      case IParam::kTypeInt:
      case IParam::kTypeEnum: formatter.mCharacters = "0123456789-+"; break;
      default: break;
    }
    formatter.mMaxLength = control->GetTextEntryLength();
  }
  plat::Ref<IFxTextEntryField> field =
      plat::Ref<IFxTextEntryField>::adopt(new IFxTextEntryField(viewRect, style, formatter));
  // Typing replaces the value shown.
  field->start(str ? str : "");
  field->onEnd = [this](bool commit) { textEntryEnded(commit); };
  mTextField = field;
  mEdControl = control;
  mEdParam = param;
  addSubview(field.get());
  if (plat::Window* w = window()) {
    w->makeKeyAndOrderFront();
    w->makeFirstResponder(field.get());
  }
}

void IFxEditorView::textEntryEnded(bool commit) {
  if (!mTextField) return;
  // The field goes first, so nothing the control does can end it twice.
  plat::Ref<IFxTextEntryField> field = mTextField;
  IControl* control = mEdControl;
  IParam* param = mEdParam;
  endUserInput();
  if (commit && mGraphics && control) {
    const std::string text = field->stringValue();
    if (param)
      mGraphics->SetFromStringAfterPrompt(control, param, text.c_str());
    else
      control->TextFromTextEntry(text.c_str());
  }
  setNeedsDisplay(true);
}

void IFxEditorView::endUserInput() {
  if (!mTextField) return;
  plat::Ref<IFxTextEntryField> field = mTextField;
  mTextField.reset();
  mEdControl = nullptr;
  mEdParam = nullptr;
  field->onEnd = nullptr;
  field->setBeingEdited(false);
  field->removeFromSuperview();
  if (plat::Window* w = window()) w->makeFirstResponder(this);
}

// ---- Popup menus

namespace {

// Builds the platform menu of a model; every menu built is recorded with
// the model it came from. Items carry their index as tag.
plat::Menu* BuildMenu(IPopupMenu* model, std::map<plat::Menu*, IPopupMenu*>* models, int depth) {
  plat::Menu* menu = new plat::Menu("");
  (*models)[menu] = model;
  for (int i = 0; i < model->GetNItems(); ++i) {
    IPopupMenuItem* item = model->GetItem(i);
    std::string title;
    const int prefix = model->GetPrefix();
    if (prefix >= 1 && prefix <= 3) {
      char number[32];
      snprintf(number, sizeof number, prefix == 1 ? "%1d: " : prefix == 2 ? "%02d: " : "%03d: ",
               i + 1);
      title = number;
    }
    title += item->GetText();
    plat::MenuItem* entry;
    // A sub-menu that holds its own parent would never end.
    if (item->GetSubmenu() && depth < 16) {
      entry = new plat::MenuItem(title, i);
      plat::Menu* sub = BuildMenu(item->GetSubmenu(), models, depth + 1);
      entry->setSubmenu(sub);
      sub->release();
    } else if (item->GetIsSeparator()) {
      entry = plat::MenuItem::separator();
      entry->setTag(i);
    } else {
      // Title items are shown indented.
      entry = new plat::MenuItem(item->GetIsTitle() ? "    " + title : title, i);
      entry->setState(item->GetChecked() ? 1 : 0);
      entry->setEnabled(item->GetEnabled());
    }
    menu->addItem(entry);
    entry->release();
  }
  return menu;
}

}  // namespace

IPopupMenu* IFxEditorView::createPopupMenu(IPopupMenu* model, const Rect& viewRect) {
  hideToolTip();
  plat::MenuTracker* tracker = plat::app().menuTracker();
  plat::Window* w = window();
  if (!model || !tracker || !w) return nullptr;
  std::map<plat::Menu*, IPopupMenu*> models;
  plat::Ref<plat::Menu> menu = plat::Ref<plat::Menu>::adopt(BuildMenu(model, &models, 0));
  // Just below the rectangle's bottom-left corner.
  const Point at = w->convertToScreen(convertToWindow({viewRect.x, viewRect.y - 4}));
  plat::Ref<plat::MenuItem> chosen(tracker->popUp(menu.get(), w, at));
  if (!chosen || !chosen->menu()) return nullptr;
  auto found = models.find(chosen->menu());
  const int index = chosen->menu()->indexOfItemWithTag(chosen->tag());
  if (found == models.end() || index < 0 || chosen->isSeparator() || chosen->submenu())
    return nullptr;
  found->second->SetChosenItemIdx(index);
  return found->second;
}

// ---- Tool tips

void IFxEditorView::removeAllToolTips() {
  mToolTips.clear();
  hideToolTip();
}

std::string IFxEditorView::stringForToolTip() const {
  if (!mGraphics) return "";
  IControl* c = mGraphics->GetControl(mGraphics->GetMouseOver());
  return c ? c->GetTooltip() : "";
}

void IFxEditorView::trackToolTip(const Event& e) {
  const Point p = convertFromWindow(e.location);
  bool inside = false;
  for (const Rect& r : mToolTips)
    if (r.contains(p)) inside = true;
  if (!inside || !mGraphics || !mGraphics->TooltipsEnabled() || behindModalWindow(window())) {
    hideToolTip();
    return;
  }
  const Point screen = e.screenLocation();
  if (mToolTipWindow) {
    // Showing: follow the control under the pointer.
    const std::string text = stringForToolTip();
    if (text.empty()) hideToolTip();
    return;
  }
  mToolTipAt = screen;
  if (mToolTipTimer) plat::app().cancelTimer(mToolTipTimer);
  mToolTipTimer = plat::app().addTimer(kToolTipDelay, false, [this] {
    mToolTipTimer = 0;
    showToolTip();
  });
}

namespace {

// A small window with one line of text; never key.
class ToolTipWindow : public plat::Window {
public:
  ToolTipWindow(const Rect& frame, const std::string& text)
      : plat::Window(frame, plat::kStyleBorderless), mText(text) {}
  bool canBecomeKeyWindow() override { return false; }
  bool canBecomeMainWindow() override { return false; }
  const std::string& text() const { return mText; }

private:
  std::string mText;
};

class ToolTipView : public plat::View {
public:
  ToolTipView(const Rect& frame, const std::string& text, const plat::Font& font)
      : plat::View(frame), mText(text), mFont(font) {}
  bool isFlipped() const override { return true; }
  void draw(plat::DrawContext& ctx, const Rect&) override {
    const Rect b = bounds();
    ctx.fillRect(b, 0xFFFFFFE1u);
    ctx.strokeRect(b, 0xFF808080u);
    plat::drawText(ctx, mFont, mText, {4.0, 2.0 + mFont.ascent()}, 0xFF000000u);
  }

private:
  std::string mText;
  plat::Font mFont;
};

}  // namespace

void IFxEditorView::showToolTip() {
  hideToolTip();
  const std::string text = stringForToolTip();
  if (text.empty() || !window() || behindModalWindow(window())) return;
  const plat::Font font = plat::Font::system(11);
  const double w = ceil(font.width(text)) + 8.0, h = ceil(font.lineHeight()) + 4.0;
  // Below and right of the pointer (screen y runs up).
  const Rect frame{mToolTipAt.x + 8.0, mToolTipAt.y - 20.0 - h, w, h};
  ToolTipWindow* tip = new ToolTipWindow(frame, text);
  tip->setTitle(text);
  tip->setLevel(plat::kLevelPopUpMenu);
  tip->setHasShadow(false);
  ToolTipView* content = new ToolTipView({0, 0, w, h}, text, font);
  tip->setContentView(content);
  content->release();
  mToolTipWindow = tip;
  tip->orderFront();
}

void IFxEditorView::hideToolTip() {
  if (mToolTipTimer) plat::app().cancelTimer(mToolTipTimer);
  mToolTipTimer = 0;
  if (mToolTipWindow) {
    plat::Ref<plat::Window> tip = mToolTipWindow;
    mToolTipWindow.reset();
    tip->close();
  }
}
