// The version numbers and the texts built from them.
#include <gtest/gtest.h>

#include "VersionInfo.h"

using Rawnfield::VersionInfo;

TEST(VersionInfo, TextsAndNumbers) {
  const VersionInfo v;
  EXPECT_EQ(v.getVendor(), "Rawnfield");
  EXPECT_EQ(v.getProduct(), "Harshbloom");
  EXPECT_EQ(v.getShortName(), "Harshbloom 1.1");
  EXPECT_EQ(v.getFullName(), "Harshbloom 1.1.0.5302");
  EXPECT_EQ(v.getLongText(), "Rawnfield Harshbloom Version 1.1.0.5302");
  EXPECT_EQ(v.getVendorVersion(), 1100);
  // "01bh" with the first byte lowest.
  EXPECT_EQ(v.getUniqueID(), 0x68623130);
}

TEST(VersionInfo, TextsFollowTheStatics) {
  const int minor = VersionInfo::mMinor;
  VersionInfo::mMinor = 12;
  const VersionInfo v;
  VersionInfo::mMinor = minor;
  EXPECT_EQ(v.getShortName(), "Harshbloom 1.12");
  EXPECT_EQ(v.getLongText(), "Rawnfield Harshbloom Version 1.12.0.5302");
  EXPECT_EQ(v.getVendorVersion(), 1100);  // read when asked: the statics are back
  VersionInfo::mMinor = 12;
  EXPECT_EQ(v.getVendorVersion(), 2200);
  VersionInfo::mMinor = minor;
}
