#pragma once

// Modal panels: choosing files or a folder to open, a file name to save
// under, and alerts with a row of buttons. A panel is answered by the
// installed PanelRunner: by default the desktop's dialog through `zenity`
// when it is installed and a presenter runs, else a modal window of this
// layer; tests install a runner that answers from a script.

#include <functional>
#include <string>
#include <vector>

#include "object.h"
#include "view.h"

namespace plat {

enum class PanelKind { Open, Save, Folder };

class FilePanel : public Object {
public:
  explicit FilePanel(PanelKind kind) : m_kind(kind) {}
  PanelKind kind() const { return m_kind; }

  std::string title;
  std::string directory;  // where the panel starts (empty: the current folder)
  std::string fileName;   // save panels: the name offered
  // Extensions without the dot that files must have (empty: any file); the
  // first one is the type a save panel adds to a name without one. It may
  // change while the panel runs (an accessory view choosing the type).
  std::vector<std::string> allowedTypes;
  bool allowsMultipleSelection = false;
  bool canCreateDirectories = false;
  // Shown inside the panel where the runner can (retained).
  void setAccessoryView(View* v) { m_accessory = v; }
  View* accessoryView() const { return m_accessory.get(); }

  // The chosen paths after a confirmed run.
  std::vector<std::string> paths;

  // Runs the panel modally: 1 confirmed, 0 cancelled.
  int runModal();

private:
  PanelKind m_kind;
  Ref<View> m_accessory;
};

class Alert {
public:
  std::string title;
  std::string message;
  // Left to right as read; the first is the default (Return).
  std::vector<std::string> buttons;
  // The button that closing the alert or Escape stands for.
  int cancelIndex = -1;

  // Index of the button chosen.
  int runModal();
};

class PanelRunner {
public:
  virtual ~PanelRunner() = default;
  virtual int runFilePanel(FilePanel& panel) = 0;
  virtual int runAlert(Alert& alert) = 0;
};

// Not owned; null restores the default.
void setPanelRunner(PanelRunner* runner);
PanelRunner* panelRunner();

// The file name a panel offers: the last file's name without its folder; a
// save panel's with an extension of its allowed types (the first replacing
// any other).
std::string offeredFileName(const FilePanel& panel);

// The modal windows of this layer (what runs without zenity). The file
// panel's title is the panel's, else what it does ("Save", "Open"); its name
// field offers offeredFileName() with the part before the extension
// selected, and typing replaces the selection.
int runFilePanelWindow(FilePanel& panel);
int runAlertWindow(Alert& alert);

}  // namespace plat
