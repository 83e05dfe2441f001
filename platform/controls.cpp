#include "controls.h"

#include <math.h>

#include <algorithm>

namespace plat {

PopUpButton::PopUpButton(const Rect& frame) : Button(frame) {
  m_menu = Ref<Menu>::adopt(new Menu());
}

void PopUpButton::insertItem(const std::string& title, int index) {
  index = std::max(0, std::min(index, numberOfItems()));
  MenuItem* it = new MenuItem(title);
  m_menu->insertItem(it, index);
  it->release();
  if (m_selected >= index) ++m_selected;
  setNeedsDisplay(true);
}

void PopUpButton::removeItemAt(int index) {
  if (index < 0 || index >= numberOfItems()) return;
  m_menu->removeItemAt(index);
  if (m_selected == index)
    m_selected = numberOfItems() > 0 ? std::min(index, numberOfItems() - 1) : -1;
  else if (m_selected > index)
    --m_selected;
  setNeedsDisplay(true);
}

void PopUpButton::removeAllItems() {
  m_menu->removeAllItems();
  m_selected = -1;
  setNeedsDisplay(true);
}

void PopUpButton::selectItemAt(int index) {
  m_selected = (index >= 0 && index < numberOfItems()) ? index : -1;
  setNeedsDisplay(true);
}

std::string PopUpButton::stringValue() const {
  MenuItem* it = m_menu->item(m_selected);
  return it ? it->title() : std::string();
}

void ComboBox::insertItem(const std::string& s, int index) {
  index = std::max(0, std::min(index, numberOfItems()));
  m_items.insert(m_items.begin() + index, s);
  if (m_selected >= index) ++m_selected;
}

void ComboBox::removeItemAt(int index) {
  if (index < 0 || index >= numberOfItems()) return;
  m_items.erase(m_items.begin() + index);
  if (m_selected == index)
    m_selected = -1;
  else if (m_selected > index)
    --m_selected;
}

void ComboBox::removeAllItems() {
  m_items.clear();
  m_selected = -1;
}

void ComboBox::selectItemAt(int index) {
  if (index < 0 || index >= numberOfItems()) return;
  m_selected = index;
  setStringValue(m_items[size_t(index)]);
}

void Slider::setValue(double v) {
  double lo = std::min(m_min, m_max), hi = std::max(m_min, m_max);
  m_value = std::max(lo, std::min(hi, v));
  setNeedsDisplay(true);
}

void ClipView::setDocumentView(View* v) {
  while (!subviews().empty()) subviews().front()->removeFromSuperview();
  if (v) addSubview(v);
}

void ClipView::setFrame(const Rect& f) {
  bool resized = f.w != frame().w || f.h != frame().h;
  View::setFrame(f);
  if (resized)
    if (View* d = documentView()) d->enclosingClipViewResized();
}

void ClipView::subviewGeometryChanged(View* v) {
  if (v != documentView()) return;
  if (auto* s = dynamic_cast<ScrollView*>(superview())) s->tile();
}

void ClipView::didAddSubview(View* v) {
  if (v != documentView()) return;
  if (auto* s = dynamic_cast<ScrollView*>(superview())) s->tile();
}

// --- scrollers

ScrollView* Scroller::scrollView() const { return dynamic_cast<ScrollView*>(superview()); }

double Scroller::knobProportion() const {
  ScrollView* s = scrollView();
  View* doc = s ? s->documentView() : nullptr;
  if (!doc) return 1;
  Size c = s->contentSize();
  double visible = m_vertical ? c.h : c.w, total = m_vertical ? doc->frame().h : doc->frame().w;
  return total > visible && total > 0 ? std::max(0.0, visible / total) : 1;
}

double Scroller::value() const {
  ScrollView* s = scrollView();
  if (!s) return 0;
  Rect r = s->scrollRange();
  Rect b = s->contentView()->bounds();
  double span = m_vertical ? r.h : r.w;
  if (span <= 0) return 0;
  double at = m_vertical ? b.y - r.y : b.x - r.x;
  return std::max(0.0, std::min(1.0, at / span));
}

Rect Scroller::knobRect() const {
  double prop = knobProportion();
  if (prop >= 1) return {};
  Rect b = bounds();
  double length = m_vertical ? b.h : b.w;
  double knob = std::min(length, std::max(kMinKnobLength, floor(length * prop + 0.5)));
  double start = floor((length - knob) * value() + 0.5);
  return m_vertical ? Rect{0, start, b.w, knob} : Rect{start, 0, knob, b.h};
}

void Scroller::draw(DrawContext& ctx, const Rect&) {
  Rect b = bounds();
  ctx.fillRect(b, 0xFFF5F5F5);
  // A hairline where the track meets the content.
  ctx.fillRect(m_vertical ? Rect{0, 0, 1, b.h} : Rect{0, 0, b.w, 1}, 0xFFDADADA);
  Rect k = knobRect();
  if (k.isEmpty()) return;
  uint32_t c = m_tracking ? 0xFF7F7F7F : 0xFFA9A9A9;
  // A rounded thumb, inset from the track's sides.
  const double inset = 4, thick = (m_vertical ? b.w : b.h) - 2 * inset + 1;
  Rect bar = m_vertical ? Rect{inset, k.y + 2, thick, k.h - 4} : Rect{k.x + 2, inset, k.w - 4, thick};
  if (bar.isEmpty()) return;
  double r = thick;
  if (m_vertical) {
    ctx.fillEllipse({bar.x, bar.y, r, r}, c);
    ctx.fillEllipse({bar.x, bar.maxY() - r, r, r}, c);
    ctx.fillRect({bar.x, bar.y + r / 2, bar.w, std::max(0.0, bar.h - r)}, c);
  } else {
    ctx.fillEllipse({bar.x, bar.y, r, r}, c);
    ctx.fillEllipse({bar.maxX() - r, bar.y, r, r}, c);
    ctx.fillRect({bar.x + r / 2, bar.y, std::max(0.0, bar.w - r), bar.h}, c);
  }
}

void Scroller::mouseDown(const Event& e) {
  ScrollView* s = scrollView();
  Rect k = knobRect();
  if (!s || k.isEmpty()) return;
  Point p = convertPoint(e.location, nullptr);
  double at = along(p), start = m_vertical ? k.y : k.x, len = m_vertical ? k.h : k.w;
  if (at >= start && at < start + len) {
    m_tracking = true;
    m_grab = at - start;
    setNeedsDisplay(true);
    return;
  }
  // The track: a page towards the click, keeping a little of the old view.
  Size c = s->contentSize();
  double page = std::max(1.0, (m_vertical ? c.h : c.w) - 10);
  Point o = {s->contentView()->bounds().x, s->contentView()->bounds().y};
  double step = at < start ? -page : page;
  if (m_vertical) o.y += step;
  else o.x += step;
  s->scrollToPoint(o);
}

void Scroller::mouseDragged(const Event& e) {
  ScrollView* s = scrollView();
  if (!m_tracking || !s) return;
  Rect k = knobRect();
  Rect b = bounds();
  double free = (m_vertical ? b.h - k.h : b.w - k.w);
  if (free <= 0) return;
  double start = along(convertPoint(e.location, nullptr)) - m_grab;
  double v = std::max(0.0, std::min(1.0, start / free));
  Rect r = s->scrollRange();
  Point o = {s->contentView()->bounds().x, s->contentView()->bounds().y};
  if (m_vertical) o.y = r.y + v * r.h;
  else o.x = r.x + v * r.w;
  s->scrollToPoint(o);
}

void Scroller::mouseUp(const Event&) {
  if (!m_tracking) return;
  m_tracking = false;
  setNeedsDisplay(true);
}

// --- scroll views

ScrollView::ScrollView(const Rect& frame) : View(frame) {
  m_clip = new ClipView({0, 0, frame.w, frame.h});
  addSubview(m_clip);
  m_clip->release();  // held as a subview
  m_vBar = new Scroller(true);
  m_hBar = new Scroller(false);
  for (Scroller* b : {m_vBar, m_hBar}) {
    b->setHidden(true);
    addSubview(b);
    b->release();
  }
}

Size ScrollView::contentSize() const { return {m_clip->frame().w, m_clip->frame().h}; }

Rect ScrollView::scrollRange() const {
  View* doc = documentView();
  if (!doc) return {};
  Rect d = doc->frame();
  Size c = contentSize();
  return {d.x, d.y, std::max(0.0, d.w - c.w), std::max(0.0, d.h - c.h)};
}

void ScrollView::scrollToPoint(const Point& p) {
  Rect r = scrollRange();
  double x = std::max(r.x, std::min(p.x, r.x + r.w));
  double y = std::max(r.y, std::min(p.y, r.y + r.h));
  if (!documentView()) x = y = 0;
  m_clip->setBoundsOrigin({x, y});
}

void ScrollView::setHasVerticalScroller(bool s) {
  m_vScroller = s;
  tile();
}

void ScrollView::setHasHorizontalScroller(bool s) {
  m_hScroller = s;
  tile();
}

void ScrollView::setAutohidesScrollers(bool a) {
  m_autohide = a;
  tile();
}

void ScrollView::setFrame(const Rect& f) {
  View::setFrame(f);
  tile();
}

void ScrollView::subviewGeometryChanged(View* v) {
  // Scrolled: the thumbs move.
  if (v != m_clip || !m_vBar) return;
  if (!m_vBar->isHidden()) m_vBar->setNeedsDisplay(true);
  if (!m_hBar->isHidden()) m_hBar->setNeedsDisplay(true);
}

void ScrollView::tile() {
  if (!m_vBar) return;
  if (m_tiling) {
    m_retile = true;
    return;
  }
  m_tiling = true;
  const double W = kScrollerWidth;
  // Showing one scroller narrows the room for the other, and a document that
  // follows the clip's size changes with it: settle in a few rounds.
  for (int round = 0; round < 4; ++round) {
    m_retile = false;
    Rect f = frame();
    bool v = m_vScroller, h = m_hScroller;
    View* doc = documentView();
    if (m_autohide) {
      v = h = false;
      if (doc) {
        Size d = {doc->frame().w, doc->frame().h};
        for (int i = 0; i < 2; ++i) {
          v = m_vScroller && d.h > f.h - (h ? W : 0) + 0.5;
          h = m_hScroller && d.w > f.w - (v ? W : 0) + 0.5;
        }
      }
    }
    double cw = std::max(0.0, f.w - (v ? W : 0)), ch = std::max(0.0, f.h - (h ? W : 0));
    m_vBar->setFrame({cw, h ? W : 0, v ? W : 0, ch});
    m_hBar->setFrame({0, 0, cw, h ? W : 0});
    m_vBar->setHidden(!v);
    m_hBar->setHidden(!h);
    // The clip view sits at the top left whatever the scrollers take.
    m_clip->setFrame({0, f.h - ch, cw, ch});
    if (!m_retile) break;
  }
  m_tiling = false;
  Rect b = m_clip->bounds();
  scrollToPoint({b.x, b.y});
  if (!m_vBar->isHidden()) m_vBar->setNeedsDisplay(true);
  if (!m_hBar->isHidden()) m_hBar->setNeedsDisplay(true);
}

}  // namespace plat
