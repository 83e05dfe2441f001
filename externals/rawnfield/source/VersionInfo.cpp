#include "VersionInfo.h"

#include <locale>
#include <sstream>

namespace Rawnfield {

int32_t VersionInfo::mMajor = 1;
int32_t VersionInfo::mMinor = 1;
int32_t VersionInfo::mBuild = 0;
int32_t VersionInfo::mRevision = 5302;

namespace {

// Numbers without grouping, whatever the process locale.
std::ostringstream textStream() {
  std::ostringstream s;
  s.imbue(std::locale::classic());
  return s;
}

}  // namespace

VersionInfo::VersionInfo() : vendor("Rawnfield"), product("Harshbloom"), uniqueId{'0', '1', 'b', 'h'} {
  std::ostringstream s = textStream();
  s << product << " " << mMajor << "." << mMinor;
  shortName = s.str();

  s = textStream();
  s << product << " " << mMajor << "." << mMinor << "." << mBuild << "." << mRevision;
  fullName = s.str();

  s = textStream();
  s << vendor << " " << product << " Version " << mMajor << "." << mMinor << "." << mBuild << "."
    << mRevision;
  longText = s.str();
}

int32_t VersionInfo::getUniqueID() const {
  uint32_t id = 0;
  for (int i = 3; i >= 0; --i) id = id << 8 | static_cast<uint8_t>(uniqueId[i]);
  return static_cast<int32_t>(id);
}

int VersionInfo::getVendorVersion() const {
  return mMajor * 1000 + mMinor * 100;
}

}  // namespace Rawnfield
