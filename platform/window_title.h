#pragma once

// What the desktop's title bar shows for a window: its title, or, for a
// window that stands for a document, the document's name and folder the way
// desktop programs show them ("*" in front while it has unsaved changes).

#include <string>

namespace plat {

class Window;

// "name (folder) - title" for a represented file, the home folder written
// as "~"; the plain title otherwise.
std::string windowDisplayTitle(const Window& w);

}  // namespace plat
