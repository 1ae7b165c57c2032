// One archive component instance for one configuration archive: used for one
// save or one extraction of a file kept in the archive's "VEXA/MISC/" folder.
#pragma once
#include <string>

#include "storage/zlib_obj.h"
#include "store/tstring.h"

class tZBall {
 public:
  // The archive's native path.
  explicit tZBall(const char* archivePath);
  ~tZBall();
  tZBall(const tZBall&) = delete;
  tZBall& operator=(const tZBall&) = delete;

  // Null when the component could not be created; every operation then fails.
  IZlibObj* Component() const { return component_; }
  const std::wstring& ArchivePath() const { return archivePath_; }

  // Extracts "VEXA/MISC/" + fileName (narrow text) into the temporary folder,
  // under the part of the name behind its last backslash; fullPath gets where it
  // went, as narrow text.
  HRESULT UnzipMiscToTemp(const char* fileName, tString& fullPath);

 private:
  IZlibObj* component_ = nullptr;
  std::wstring archivePath_;
};

inline constexpr const wchar_t* kWriterClosingText = L"VEXA Config File";
