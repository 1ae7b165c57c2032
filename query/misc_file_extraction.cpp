#include "query/misc_file_extraction.h"

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/trace.h"

// The archive extraction of the storage layer is not built yet, so every
// extraction fails here with the message of a failed extraction. Once it exists,
// this function hands the request to it.
HRESULT ExtractMiscFile(const char* archivePath, const char* fileName, tString& fullPath) {
  fullPath.Clear();
  const char* backslash = std::strrchr(fileName, '\\');
  tString baseName(backslash ? backslash + 1 : fileName);
  baseName.Trim();
  try {
    std::error_code ignored;
    std::string destination = (std::filesystem::temp_directory_path(ignored) / baseName.c_str()).string();
    DebugTrace("tZBall::UnzipMiscToTemp - Error unzipping file VEXA/MISC/%s from archive %s to location %s\n",
               fileName, archivePath, destination.c_str());
  } catch (const std::exception&) {
    // Out of memory for the message: the extraction fails all the same.
  }
  return E_FAIL;
}
