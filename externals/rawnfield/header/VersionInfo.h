#pragma once

#include <cstdint>
#include <string>

namespace Rawnfield {

// The product's version numbers and the texts built from them, e.g. the
// about page's "Rawnfield Harshbloom Version 1.1.0.5302".
class VersionInfo {
public:
  // Fixed at build time; the texts are built from them on construction.
  static int32_t mMajor;
  static int32_t mMinor;
  static int32_t mBuild;
  static int32_t mRevision;

  VersionInfo();
  virtual ~VersionInfo() = default;

  const std::string& getVendor() const { return vendor; }
  // "Harshbloom 1.1"
  const std::string& getShortName() const { return shortName; }
  // "Harshbloom 1.1.0.5302"
  const std::string& getFullName() const { return fullName; }
  // "Rawnfield Harshbloom Version 1.1.0.5302"
  const std::string& getLongText() const { return longText; }
  const std::string& getProduct() const { return product; }
  // The four id bytes "01bh" read as a little-endian integer.
  int32_t getUniqueID() const;
  // mMajor * 1000 + mMinor * 100.
  int getVendorVersion() const;

private:
  std::string vendor;
  std::string shortName;
  std::string fullName;
  std::string longText;
  std::string product;
  char uniqueId[4];
};

}  // namespace Rawnfield
