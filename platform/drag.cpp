#include "drag.h"

#include "object.h"
#include "view.h"
#include "window.h"

namespace plat {

namespace {
DragDestination* g_destination = nullptr;
FileDragStarter g_starter;
// The view the drag is over (one drag at a time, main thread).
Ref<View> g_current;
DraggingInfo g_last;

View* destinationAt(const DraggingInfo& d) {
  if (!g_destination || !d.window || !d.window->contentView()) return nullptr;
  return g_destination->destinationFor(d.window->contentView()->hitTest(d.location));
}
}  // namespace

void setDragDestination(DragDestination* d) {
  g_destination = d;
  g_current.reset();
}

DragDestination* dragDestination() { return g_destination; }

unsigned dragMoved(const DraggingInfo& d) {
  Ref<View> v(destinationAt(d));
  if (v.get() != g_current.get()) {
    if (g_current && g_destination) g_destination->draggingExited(g_current.get(), g_last);
    g_current = v;
    g_last = d;
    return v && g_destination ? g_destination->draggingEntered(v.get(), d) : kDragOperationNone;
  }
  g_last = d;
  return v && g_destination ? g_destination->draggingUpdated(v.get(), d) : kDragOperationNone;
}

void dragCancelled() {
  Ref<View> v = g_current;
  g_current.reset();
  if (v && g_destination) g_destination->draggingExited(v.get(), g_last);
}

bool dragDropped(const DraggingInfo& d) {
  Ref<View> v(destinationAt(d));
  if (v.get() != g_current.get()) dragMoved(d);
  Ref<View> target = g_current;
  g_current.reset();
  if (!target || !g_destination) return false;
  return g_destination->performDragOperation(target.get(), d);
}

bool dropFiles(const DraggingInfo& d) {
  if (dragMoved(d) == kDragOperationNone) {
    dragCancelled();
    return false;
  }
  return dragDropped(d);
}

void setFileDragStarter(FileDragStarter starter) { g_starter = std::move(starter); }

bool startFileDrag(const FileDrag& drag) { return g_starter ? g_starter(drag) : false; }

}  // namespace plat
