#include "schema/version_names.h"

#include "store/tstring.h"

namespace {
struct NamedVersion {
  int version;
  const char* name;
};

// Newest first: the order in which an opened file's root value is matched.
constexpr NamedVersion kVersions[] = {
    {5, "VersionFivePointZero"},
    {4, "VersionFourPointZero"},
    {3, "VersionThreePointFourPointFive"},
};
}  // namespace

const char* VersionName(int version) {
  for (const NamedVersion& named : kVersions)
    if (named.version == version) return named.name;
  return nullptr;
}

int VersionFromName(const char* rootValue) {
  tString value(rootValue);
  for (const NamedVersion& named : kVersions)
    if (value.CompareTrimmed(named.name) == 0) return named.version;
  return 0;
}
