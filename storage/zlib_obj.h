// The archive component "VexaZLibInterface.ZlibObj": the only way this system
// reads and writes zip archives. Implemented on libzip.
#pragma once
#include <cstddef>

#include "platform/bstr.h"
#include "platform/unknown.h"

// {6A1E2C41-3B7D-4F0A-9C11-5D2E8B7A4F01}
inline constexpr IID IID_IZlibObj = {0x6A1E2C41, 0x3B7D, 0x4F0A, {0x9C, 0x11, 0x5D, 0x2E, 0x8B, 0x7A, 0x4F, 0x01}};

inline constexpr const wchar_t* kZlibObjProgId = L"VexaZLibInterface.ZlibObj";

// The most that one member may inflate to, far above any real configuration: a
// member that claims or inflates to more is refused, whatever memory there is.
inline constexpr size_t kMaxMemberBytes = size_t{1} << 30;

// The deflate level of the members written: zlib's fastest, in pieces
// deflated in parallel. On configuration texts an archive is about 1.5 times
// as large as at zlib's default (6).
inline constexpr int kZipDeflateLevel = 1;

struct IZlibObj : IUnknown {
  // readFlag 1: read; 0: write. appendMode 0: a new archive (replacing any file
  // there); 2: add to the existing archive, keeping its members.
  virtual HRESULT STDMETHODCALLTYPE OpenArchive(const OLECHAR* path, long readFlag, long appendMode) = 0;
  // Commits a write; the closing text is the archive comment.
  virtual HRESULT STDMETHODCALLTYPE CloseArchive(const OLECHAR* closingText) = 0;
  // Read mode: positions at the member's start. Write mode: starts a new text for
  // the member; it replaces any member of that name when the file or archive closes.
  virtual HRESULT STDMETHODCALLTYPE OpenFile(const OLECHAR* member, long flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE CloseFile() = 0;
  // *count in: bytes wanted (byteCount is the buffer size); out: bytes read, -1 on failure.
  virtual HRESULT STDMETHODCALLTYPE Zread(char* buffer, long byteCount, long* count) = 0;
  // The next line of the open member (up to and including its line feed, at most
  // limit - 1 characters). Fails at the end of the member.
  virtual HRESULT STDMETHODCALLTYPE Zgets(BSTR* line, long limit, long flag) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddFolder(const OLECHAR* folder) = 0;
  virtual HRESULT STDMETHODCALLTYPE ExtractFile(const OLECHAR* member, const OLECHAR* destinationPath) = 0;
  virtual HRESULT STDMETHODCALLTYPE Zputs(const char* text, long* written) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetFileLength(long* length) = 0;

 protected:
  ~IZlibObj() = default;
};

// Makes the component creatable by its program identifier (idempotent).
void RegisterArchiveComponent();
