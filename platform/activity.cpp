#include "activity.h"

#include <SDL.h>
#include <dbus/dbus.h>
#include <stdlib.h>

namespace plat {

namespace {

// A reply is waited for this long: a service that hangs must not freeze the
// program's window for long.
constexpr int kReplyMs = 1000;

struct Service {
  const char* name;
  const char* path;
  const char* interface;
};

const Service kServices[] = {
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"org.freedesktop.PowerManagement", "/org/freedesktop/PowerManagement/Inhibit",
     "org.freedesktop.PowerManagement.Inhibit"},
};

// The session bus named in the environment; never started on demand, and a
// bus that goes away never ends the program.
DBusConnection* openSessionBus() {
  const char* address = getenv("DBUS_SESSION_BUS_ADDRESS");
  if (!address || !*address) return nullptr;
  DBusError err;
  dbus_error_init(&err);
  DBusConnection* c = dbus_connection_open_private(address, &err);
  if (c && !dbus_bus_register(c, &err)) {
    dbus_connection_close(c);
    dbus_connection_unref(c);
    c = nullptr;
  }
  dbus_error_free(&err);
  if (c) dbus_connection_set_exit_on_disconnect(c, FALSE);
  return c;
}

DBusMessage* call(const char* service, const char* path, const char* iface,
                  const char* method) {
  DBusMessage* m = dbus_message_new_method_call(service, path, iface, method);
  if (m) dbus_message_set_auto_start(m, FALSE);  // only a service already running
  return m;
}

}  // namespace

Activity* Activity::begin(const std::string& application, const std::string& reason) {
  Activity* a = new Activity();
  if (SDL_WasInit(SDL_INIT_VIDEO)) {
    SDL_DisableScreenSaver();
    a->m_screenSaver = true;
  }
  a->m_bus = openSessionBus();
  if (!a->m_bus) return a;
  const char* app = application.c_str();
  const char* why = reason.c_str();
  for (const Service& s : kServices) {
    DBusMessage* m = call(s.name, s.path, s.interface, "Inhibit");
    if (!m) continue;
    dbus_message_append_args(m, DBUS_TYPE_STRING, &app, DBUS_TYPE_STRING, &why, DBUS_TYPE_INVALID);
    DBusError err;
    dbus_error_init(&err);
    DBusMessage* reply = dbus_connection_send_with_reply_and_block(a->m_bus, m, kReplyMs, &err);
    dbus_message_unref(m);
    dbus_uint32_t cookie = 0;
    if (reply && dbus_message_get_args(reply, &err, DBUS_TYPE_UINT32, &cookie, DBUS_TYPE_INVALID))
      a->m_inhibitions.push_back({s.name, s.path, s.interface, cookie});
    if (reply) dbus_message_unref(reply);
    dbus_error_free(&err);
  }
  // Services drop an inhibition when its holder leaves the bus: keep the
  // connection only while something is held.
  if (a->m_inhibitions.empty()) {
    dbus_connection_close(a->m_bus);
    dbus_connection_unref(a->m_bus);
    a->m_bus = nullptr;
  }
  return a;
}

Activity::~Activity() {
  if (m_screenSaver && SDL_WasInit(SDL_INIT_VIDEO)) SDL_EnableScreenSaver();
  if (m_bus) {
    for (const Inhibition& i : m_inhibitions) {
      DBusMessage* m = call(i.service.c_str(), i.path.c_str(), i.interface.c_str(), "UnInhibit");
      if (!m) continue;
      dbus_uint32_t cookie = i.cookie;
      dbus_message_append_args(m, DBUS_TYPE_UINT32, &cookie, DBUS_TYPE_INVALID);
      DBusError err;
      dbus_error_init(&err);
      DBusMessage* reply = dbus_connection_send_with_reply_and_block(m_bus, m, kReplyMs, &err);
      dbus_message_unref(m);
      if (reply) dbus_message_unref(reply);
      dbus_error_free(&err);
    }
    dbus_connection_close(m_bus);
    dbus_connection_unref(m_bus);
  }
}

std::vector<std::string> Activity::desktopServices() const {
  std::vector<std::string> out;
  for (const Inhibition& i : m_inhibitions) out.push_back(i.service);
  return out;
}

}  // namespace plat
