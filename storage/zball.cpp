#include "storage/zball.h"

#include <cstring>

#include "platform/component_registry.h"
#include "platform/native_path.h"
#include "platform/text_conversion.h"
#include "platform/trace.h"
#include "storage/file_path.h"

tZBall::tZBall(const char* archivePath) : archivePath_(WideFromNativePath(archivePath)) {
  RegisterArchiveComponent();
  if (FAILED(CreateComponent(kZlibObjProgId, IID_IZlibObj, reinterpret_cast<void**>(&component_))))
    component_ = nullptr;
}

tZBall::~tZBall() {
  if (component_) component_->Release();
}

HRESULT tZBall::UnzipMiscToTemp(const char* fileName, tString& fullPath) {
  if (!component_ || !fileName || !FileExists(NativePath(archivePath_).c_str())) return E_FAIL;
  if (component_->OpenArchive(archivePath_.c_str(), 1, 0) != S_OK) return E_FAIL;
  const std::wstring member = L"VEXA/MISC/" + WideFromNarrow(fileName);
  // Only the last name of the path counts (a "/" too), so the file always lands
  // inside the temporary folder.
  const char* slash = std::strrchr(fileName, '/');
  const char* backslash = std::strrchr(fileName, '\\');
  const char* last = slash > backslash ? slash : backslash;
  tString baseName(last ? last + 1 : fileName);
  baseName.Trim();
  const std::wstring destination = WideFromNativePath(TemporaryFolder() + "/") + WideFromNarrow(baseName.c_str());
  HRESULT hr = component_->ExtractFile(member.c_str(), destination.c_str());
  if (hr != S_OK) {
    DebugTraceW(L"tZBall::UnzipMiscToTemp - Error unzipping file %ls from archive %ls to location %ls\n",
                member.c_str(), archivePath_.c_str(), destination.c_str());
    component_->CloseArchive(kWriterClosingText);
    return E_FAIL;
  }
  hr = fullPath.Assign(NarrowFromWide(destination.c_str()).c_str());
  component_->CloseArchive(kWriterClosingText);
  return FAILED(hr) ? hr : S_OK;
}
