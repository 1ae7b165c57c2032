// The root values that name the versions of a configuration file.
#pragma once

// "VersionThreePointFourPointFive", "VersionFourPointZero" or "VersionFivePointZero"
// for 3, 4 and 5; null for any other version.
const char* VersionName(int version);

// The version whose name the root value is, ignoring case and surrounding white
// space; 0 when it names none of them.
int VersionFromName(const char* rootValue);
