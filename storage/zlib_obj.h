// The archive component "VexaZLibInterface.ZlibObj": the only way this system
// reads and writes zip archives. Implemented on libzip; on Windows it is the
// class of its own module, VexaZLibInterface.dll, described by its own type
// library (server/vexa_zlib_interface.idl).
#pragma once
#include <cstddef>

#include "automation/dispatch_table.h"
#include "platform/bstr.h"
#include "platform/unknown.h"

// The type library, interface and class, all {6A1E2C41-3B7D-4F0A-9C11-5D2E8B7A4Fxx}.
inline constexpr GUID LIBID_VexaZLibInterfaceLib = {0x6A1E2C41, 0x3B7D, 0x4F0A, {0x9C, 0x11, 0x5D, 0x2E, 0x8B, 0x7A, 0x4F, 0x00}};
inline constexpr IID IID_IZlibObj = {0x6A1E2C41, 0x3B7D, 0x4F0A, {0x9C, 0x11, 0x5D, 0x2E, 0x8B, 0x7A, 0x4F, 0x01}};
inline constexpr CLSID CLSID_ZlibObj = {0x6A1E2C41, 0x3B7D, 0x4F0A, {0x9C, 0x11, 0x5D, 0x2E, 0x8B, 0x7A, 0x4F, 0x02}};

inline constexpr const wchar_t* kZlibObjProgId = L"VexaZLibInterface.ZlibObj";

// The deflate level of the members written: ISA-L's level 1, in pieces
// deflated in parallel. On configuration texts an archive is about 1.4 times
// as large as at zlib's default (6).
inline constexpr int kZipDeflateLevel = 1;

struct IZlibObj : IDispatch {
  static constexpr const IID* kIid = &IID_IZlibObj;
  // Late binding reaches what a script can pass and read; the narrow buffers of
  // Zread and Zputs, and Zgets's line, are for callers that bind early.
  static const DispatchTable kDispatch;
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
  // The archive's entries, folders included, numbered from 1 in the archive's order.
  virtual HRESULT STDMETHODCALLTYPE get_MemberCount(LONG* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_MemberName(LONG index, BSTR* name) = 0;
  // Closes the archive without writing anything: what was written since
  // OpenArchive is dropped and the file stays as it was.
  virtual HRESULT STDMETHODCALLTYPE DiscardArchive() = 0;

 protected:
  ~IZlibObj() = default;
};

// Makes the component creatable by its program identifier in the program that
// links it in (idempotent).
void RegisterArchiveComponent();
// A new instance with one reference for the caller, as its class object makes it.
HRESULT CreateZlibObj(REFIID iid, void** object);
