#pragma once

// Keeps the desktop from idling the program: while an activity is held,
// neither the screen saver nor idle sleep sets in. It holds SDL's screen
// saver switch when SDL video runs here, and the desktop's inhibit services
// on the session bus when they are there (org.freedesktop.ScreenSaver for
// the screen saver and idle, org.freedesktop.PowerManagement.Inhibit for
// idle sleep). Ended by its last release.

#include <stdint.h>

#include <string>
#include <vector>

#include "object.h"

struct DBusConnection;

namespace plat {

class Activity : public Object {
public:
  // Never null: what the desktop offers is held, the rest is left out.
  static Activity* begin(const std::string& application, const std::string& reason);

  // What is held (tests and diagnostics).
  bool holdsScreenSaver() const { return m_screenSaver; }
  // The desktop services that granted an inhibition, by bus name.
  std::vector<std::string> desktopServices() const;

protected:
  ~Activity() override;

private:
  Activity() = default;
  struct Inhibition {
    std::string service, path, interface;
    uint32_t cookie;
  };
  bool m_screenSaver = false;
  DBusConnection* m_bus = nullptr;
  std::vector<Inhibition> m_inhibitions;
};

}  // namespace plat
