#pragma once

// Drag and drop of files. Drops: the presenter (or a test) reports a drag of
// files over a window; the program's drag destination decides which view
// under the point takes part and is told when the drag enters that view,
// moves over it, leaves it, and when the files are dropped. Drags out of the
// program: started through the installed starter where the desktop lets the
// presenter be a drag source; without one, starting answers "not available".

#include <functional>
#include <string>
#include <vector>

#include "geometry.h"

namespace plat {

class View;
class Window;

// Answers of a destination (0: no operation).
enum DragOperation : unsigned { kDragOperationNone = 0, kDragOperationCopy = 1, kDragOperationGeneric = 4 };

struct DraggingInfo {
  // Paths of the files dragged.
  std::vector<std::string> files;
  // Names of files a drag of this program promises to write on request, and
  // how: given a folder, writes them there and gives the full paths.
  std::vector<std::string> promised;
  std::function<std::vector<std::string>(const std::string& folder)> writePromised;
  Window* window = nullptr;
  Point location;  // window base coordinates
  // The view of this program the drag started from (null: from elsewhere).
  View* source = nullptr;
};

class DragDestination {
public:
  virtual ~DragDestination() = default;
  // The view under the pointer (`hit`, maybe null) that takes part, or null.
  virtual View* destinationFor(View* hit) = 0;
  virtual unsigned draggingEntered(View* v, const DraggingInfo& d) = 0;
  virtual unsigned draggingUpdated(View* v, const DraggingInfo& d) = 0;
  virtual void draggingExited(View* v, const DraggingInfo& d) = 0;
  virtual bool performDragOperation(View* v, const DraggingInfo& d) = 0;
};

// Not owned; null: drops are refused everywhere.
void setDragDestination(DragDestination* d);
DragDestination* dragDestination();

// The drag moved over d.window at d.location: enters, updates or leaves
// destination views as the pointer moves. Returns the operation offered.
unsigned dragMoved(const DraggingInfo& d);
// The drag left the window or was cancelled.
void dragCancelled();
// The files were dropped at d.location: true when a view took them.
bool dragDropped(const DraggingInfo& d);
// dragMoved then dragDropped, for a drop reported only when it happens.
bool dropFiles(const DraggingInfo& d);

// --- drags out of the program

struct FileDrag {
  View* view = nullptr;
  Rect from;  // in the view's coordinates
  std::vector<std::string> files;  // a list of existing files, or
  std::vector<std::string> promisedTypes;  // one promised file of this type
  std::string promisedName;                // and this name
  std::function<std::vector<std::string>(const std::string& folder)> writePromised;
};
using FileDragStarter = std::function<bool(const FileDrag&)>;
// Installed by a presenter that can be a drag source (and by tests).
void setFileDragStarter(FileDragStarter starter);
// False when no drag could be started: nothing is dragged.
bool startFileDrag(const FileDrag& drag);

}  // namespace plat
