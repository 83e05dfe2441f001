#include "private_bus.h"

#include <dbus/dbus.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <map>

extern char** environ;

namespace {

bool Elapsed(std::chrono::steady_clock::time_point start, double seconds) {
  return std::chrono::steady_clock::now() - start > std::chrono::duration<double>(seconds);
}

}  // namespace

pid_t spawnProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                   const std::string& logPath, int stdinFd) {
  std::map<std::string, std::string> vars;
  for (char** e = environ; *e; ++e) {
    std::string kv = *e;
    size_t eq = kv.find('=');
    if (eq != std::string::npos) vars[kv.substr(0, eq)] = kv.substr(eq + 1);
  }
  for (const std::string& kv : env) {
    size_t eq = kv.find('=');
    if (eq + 1 == kv.size())
      vars.erase(kv.substr(0, eq));
    else
      vars[kv.substr(0, eq)] = kv.substr(eq + 1);
  }
  std::vector<std::string> envText;
  for (auto& kv : vars) envText.push_back(kv.first + "=" + kv.second);
  std::vector<char*> envp, args;
  for (std::string& s : envText) envp.push_back(&s[0]);
  envp.push_back(nullptr);
  std::vector<std::string> argCopy = argv;
  for (std::string& s : argCopy) args.push_back(&s[0]);
  args.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  if (stdinFd >= 0)
    posix_spawn_file_actions_adddup2(&fa, stdinFd, 0);
  else
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&fa, 1, 2);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], &fa, nullptr, args.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&fa);
  return pid;
}

void stopProgram(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  auto start = std::chrono::steady_clock::now();
  while (waitpid(pid, nullptr, WNOHANG) == 0) {
    if (Elapsed(start, 10)) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      return;
    }
    usleep(10000);
  }
}

bool PrivateBus::start(const std::string& dir, const std::string& type, std::string* error) {
  stop();
  const std::string config = dir + "/" + type + "-bus.conf";
  m_address = "unix:path=" + dir + "/" + type + "-bus";
  std::ofstream(config)
      << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
         " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
         "<busconfig><type>" << type << "</type><listen>" << m_address << "</listen>\n"
         "<auth>EXTERNAL</auth>\n"
         "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
         "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
  m_pid = spawnProgram({"dbus-daemon", "--nofork", "--config-file=" + config},
                       {}, dir + "/" + type + "-bus.log");
  if (m_pid < 0) {
    *error = "cannot start dbus-daemon (scripts/deps.sh installs it)";
    return false;
  }
  // Ready once a client can register on it.
  auto start = std::chrono::steady_clock::now();
  while (!Elapsed(start, 30)) {
    DBusError err;
    dbus_error_init(&err);
    DBusConnection* c = dbus_connection_open_private(m_address.c_str(), &err);
    bool ok = c && dbus_bus_register(c, &err);
    if (c) {
      dbus_connection_close(c);
      dbus_connection_unref(c);
    }
    dbus_error_free(&err);
    if (ok) return true;
    if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
      m_pid = -1;
      break;
    }
    usleep(20000);
  }
  *error = "dbus-daemon did not come up; see " + dir + "/" + type + "-bus.log";
  stop();
  return false;
}

void PrivateBus::stop() {
  stopProgram(m_pid);
  m_pid = -1;
}

bool FakeInhibitors::start(const std::string& address, std::string* error) {
  DBusError err;
  dbus_error_init(&err);
  DBusConnection* c = dbus_connection_open_private(address.c_str(), &err);
  if (!c || !dbus_bus_register(c, &err)) {
    *error = std::string("cannot join the bus: ") + (err.message ? err.message : "?");
    dbus_error_free(&err);
    if (c) {
      dbus_connection_close(c);
      dbus_connection_unref(c);
    }
    return false;
  }
  dbus_connection_set_exit_on_disconnect(c, FALSE);
  for (const char* name : {"org.freedesktop.ScreenSaver", "org.freedesktop.PowerManagement"}) {
    if (dbus_bus_request_name(c, name, DBUS_NAME_FLAG_DO_NOT_QUEUE, &err) !=
        DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
      *error = std::string("cannot own ") + name;
      dbus_error_free(&err);
      dbus_connection_close(c);
      dbus_connection_unref(c);
      return false;
    }
  }
  m_stop = false;
  m_thread = std::thread([this, c] { run(c); });
  return true;
}

void FakeInhibitors::run(void* connection) {
  DBusConnection* c = static_cast<DBusConnection*>(connection);
  while (!m_stop) {
    dbus_connection_read_write(c, 20);
    while (DBusMessage* m = dbus_connection_pop_message(c)) {
      if (dbus_message_get_type(m) == DBUS_MESSAGE_TYPE_METHOD_CALL) {
        std::string iface = dbus_message_get_interface(m) ? dbus_message_get_interface(m) : "";
        std::string member = dbus_message_get_member(m) ? dbus_message_get_member(m) : "";
        std::string who = iface == "org.freedesktop.ScreenSaver" ? "ScreenSaver"
                          : iface == "org.freedesktop.PowerManagement.Inhibit" ? "PowerManagement"
                                                                               : iface;
        DBusMessage* reply = nullptr;
        const char *app = nullptr, *reason = nullptr;
        dbus_uint32_t cookie = 0;
        std::lock_guard<std::mutex> g(m_mutex);
        if (member == "Inhibit" && dbus_message_get_args(m, nullptr, DBUS_TYPE_STRING, &app,
                                                         DBUS_TYPE_STRING, &reason, DBUS_TYPE_INVALID)) {
          cookie = m_nextCookie++;
          m_calls.push_back(who + ".Inhibit " + app + " " + reason + " -> " + std::to_string(cookie));
          reply = dbus_message_new_method_return(m);
          dbus_message_append_args(reply, DBUS_TYPE_UINT32, &cookie, DBUS_TYPE_INVALID);
        } else if (member == "UnInhibit" &&
                   dbus_message_get_args(m, nullptr, DBUS_TYPE_UINT32, &cookie, DBUS_TYPE_INVALID)) {
          m_calls.push_back(who + ".UnInhibit " + std::to_string(cookie));
          reply = dbus_message_new_method_return(m);
        } else {
          reply = dbus_message_new_error(m, DBUS_ERROR_UNKNOWN_METHOD, "not here");
        }
        dbus_connection_send(c, reply, nullptr);
        dbus_message_unref(reply);
      }
      dbus_message_unref(m);
    }
  }
  dbus_connection_flush(c);
  dbus_connection_close(c);
  dbus_connection_unref(c);
}

void FakeInhibitors::stop() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
}

std::vector<std::string> FakeInhibitors::calls() {
  std::lock_guard<std::mutex> g(m_mutex);
  return m_calls;
}

bool FakeInhibitors::waitForCalls(size_t n, double seconds) {
  auto start = std::chrono::steady_clock::now();
  while (calls().size() < n) {
    if (Elapsed(start, seconds)) return false;
    usleep(5000);
  }
  return true;
}
