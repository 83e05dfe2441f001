#include "workspace.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>

#include "task.h"

namespace plat {

namespace {

std::mutex& runnerMutex() {
  static std::mutex m;
  return m;
}
CommandRunner& runnerSlot() {
  static CommandRunner r;
  return r;
}

bool isExecutableFile(const std::string& p) {
  struct stat st;
  return stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(p.c_str(), X_OK) == 0;
}

// Starts argv[0] (looked up in PATH when it has no '/') and lets it go; the
// task collects it when it ends, so no zombie is left.
bool spawnDetached(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  std::string prog = argv[0].find('/') == std::string::npos ? findProgram(argv[0]) : argv[0];
  Task* t = Task::launch(prog, std::vector<std::string>(argv.begin() + 1, argv.end()), false);
  if (!t) return false;
  t->release();
  return true;
}

bool run(const std::vector<std::string>& argv) {
  CommandRunner r;
  {
    std::lock_guard<std::mutex> g(runnerMutex());
    r = runnerSlot();
  }
  return r ? r(argv) : spawnDetached(argv);
}

}  // namespace

void setCommandRunner(CommandRunner runner) {
  std::lock_guard<std::mutex> g(runnerMutex());
  runnerSlot() = std::move(runner);
}

std::string findProgram(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return isExecutableFile(name) ? name : std::string();
  const char* path = getenv("PATH");
  std::string p = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= p.size()) {
    size_t colon = p.find(':', start);
    std::string dir = p.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (dir.empty()) dir = ".";
    std::string full = dir + "/" + name;
    if (isExecutableFile(full)) return full;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return {};
}

bool openURL(const std::string& url) { return !url.empty() && run({"xdg-open", url}); }
bool openDocument(const std::string& path) { return !path.empty() && run({"xdg-open", path}); }

bool openDocumentWithApplication(const std::string& path, const std::string& app) {
  if (path.empty() || app.empty()) return false;
  return run({app, path});
}

bool launchApplication(const std::string& app) { return !app.empty() && run({app}); }

bool revealInFileManager(const std::string& path) {
  if (path.empty()) return false;
  size_t slash = path.find_last_of("/\\");
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  return run({"xdg-open", folder});
}

std::string executableDirectory() {
  char buf[PATH_MAX + 1];
  ssize_t n = readlink("/proc/self/exe", buf, PATH_MAX);
  if (n <= 0) return ".";
  std::string p(buf, size_t(n));
  size_t slash = p.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : p.substr(0, slash);
}

}  // namespace plat
