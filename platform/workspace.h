#pragma once

// Handing files and addresses to the desktop: opening a web address or a
// document with its default program, opening a document with a named
// program, launching a program, showing a file in the file manager. All go
// through `xdg-open` or the named program, started without a shell; each call
// says whether the desktop took the request (false when the helper is not
// installed or could not be started).

#include <functional>
#include <string>
#include <vector>

namespace plat {

bool openURL(const std::string& url);
bool openDocument(const std::string& path);
// app: a program name looked up in PATH, or a path to one.
bool openDocumentWithApplication(const std::string& path, const std::string& app);
bool launchApplication(const std::string& app);
// Opens the folder that holds the file (file managers here have no common
// way to select an item).
bool revealInFileManager(const std::string& path);

// Where the requests go: by default a new process for argv, not waited for.
// Tests put a recorder here. Null restores the default.
using CommandRunner = std::function<bool(const std::vector<std::string>& argv)>;
void setCommandRunner(CommandRunner runner);

// Full path of a program found in PATH (empty when there is none).
std::string findProgram(const std::string& name);

// The folder of the running executable (no trailing '/'), for files
// installed beside the program.
std::string executableDirectory();

}  // namespace plat
