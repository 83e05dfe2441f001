#pragma once

// Bundles: a folder that carries a loadable module with its resources. On
// this desktop a bundle is a folder NAME.bundle (or NAME.anything) holding
//   Contents/<machine>-linux/NAME.so   the code, e.g. Contents/x86_64-linux/
//   Contents/Resources/                its files
// One object stands for one folder while anybody holds it; its code is
// loaded at most once and unloaded when the last reference goes.

#include <string>

#include "object.h"

namespace plat {

class Bundle : public Object {
public:
  // The bundle of a folder, with one more reference for the caller; the same
  // object for the same folder while it lives. Null when path names no folder.
  static Bundle* create(const std::string& path);

  // The folder, absolute, without a trailing '/'.
  const std::string& path() const { return m_path; }
  // NAME: the folder's name without its extension.
  std::string name() const;
  std::string executablePath() const;
  std::string resourcePath() const;
  // The file of a resource (a name under Resources/, subfolders allowed);
  // empty when there is no such file or the name climbs out with "..".
  std::string pathForResource(const std::string& name) const;

  // Loads the code once; false with the loader's reason. Later calls
  // answer whether the first one succeeded (and its reason).
  bool loadExecutable(bool globalSymbols, std::string* error = nullptr);
  bool isLoaded() const { return m_dl != nullptr; }
  // An exported symbol of the loaded code; null before loading.
  void* symbol(const char* name) const;

  // The folder under Contents/ that holds code for this machine.
  static const char* machineFolder();

protected:
  ~Bundle() override;

private:
  explicit Bundle(const std::string& path) : m_path(path) {}
  std::string m_path;
  void* m_dl = nullptr;
  bool m_tried = false;
  std::string m_loadError;
};

}  // namespace plat
