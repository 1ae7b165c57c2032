#include "storage/zlib_obj.h"

#include <zip.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>

#include "platform/component_registry.h"
#include "platform/file_replace.h"
#include "platform/native_path.h"
#include "platform/private_file.h"
#include "platform/text_conversion.h"
#include "platform/trace.h"

namespace {
void TraceZipError(const char* action, const std::string& name, zip_error_t* error) {
  DebugTrace("ZlibObj: cannot %s %s: %s\n", action, name.c_str(), zip_error_strerror(error));
}

class ZlibObj final : public IZlibObj, private RefCounted {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IZlibObj) return E_NOINTERFACE;
    *object = static_cast<IZlibObj*>(this);
    AddRef();
    return S_OK;
  }

  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefCount(); }

  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG count = ReleaseCount();
    if (count == 0) delete this;
    return count;
  }

  HRESULT STDMETHODCALLTYPE OpenArchive(const OLECHAR* path, long readFlag, long appendMode) override {
    if (!path) return E_POINTER;
    if ((readFlag != 0 && readFlag != 1) || (appendMode != 0 && appendMode != 2)) return E_INVALIDARG;
    if (archive_) return E_FAIL;
    const std::string name = NativePath(path);
    // libzip finds a missing folder at open on some platforms and only at the
    // commit on others; finding it here gives every platform the same answer.
    std::error_code folderError;
    const std::filesystem::path folder = std::filesystem::u8path(name).parent_path();
    if (readFlag == 0 && !folder.empty() && !std::filesystem::is_directory(folder, folderError)) {
      DebugTrace("ZlibObj: cannot create archive %s: no such folder\n", name.c_str());
      return E_FAIL;
    }
    zip_error_t error;
    zip_error_init(&error);
    if (readFlag == 1) {
      int code = 0;
      archive_ = zip_open(name.c_str(), ZIP_RDONLY, &code);
      zip_error_set(&error, code, 0);
    } else {
      archive_ = OpenInMemory(name, appendMode == 2, &error);
    }
    if (!archive_) {
      TraceZipError("open archive", name, &error);
      zip_error_fini(&error);
      return E_FAIL;
    }
    zip_error_fini(&error);
    reading_ = readFlag == 1;
    path_ = name;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE CloseArchive(const OLECHAR* closingText) override {
    if (!closingText) return E_POINTER;
    if (!archive_) return E_FAIL;
    if (reading_) {
      DropMember();
      Discard();
      return S_OK;
    }
    // All or nothing: if the text or the comment cannot go in, the file on disk
    // is left exactly as it was.
    const std::string comment = Utf8FromWide(closingText);
    if (!AddPendingMember() || comment.size() > UINT16_MAX ||
        zip_set_archive_comment(archive_, comment.c_str(), static_cast<zip_uint16_t>(comment.size())) < 0) {
      TraceZipError("prepare archive", path_, zip_get_error(archive_));
      Discard();
      return E_FAIL;
    }
    return Commit() ? S_OK : E_FAIL;
  }

  HRESULT STDMETHODCALLTYPE OpenFile(const OLECHAR* member, long flag) override {
    if (!member) return E_POINTER;
    if (flag != 0) return E_INVALIDARG;
    if (!archive_) return E_FAIL;
    const std::string name = Utf8FromWide(member);
    if (reading_) {
      // The loader opens its member twice; the bytes of the member read last stay
      // until another one is opened or the archive closes, so that a member is
      // inflated and checked once and both opens see the same bytes.
      if (memberName_.empty() || name != memberName_) {
        DropMember();
        if (!ReadEntry(name, memberData_)) {
          DropMember();
          return E_FAIL;
        }
        memberName_ = name;
      }
      readPos_ = 0;
    } else {
      if (!AddPendingMember()) return E_FAIL;
      memberName_ = name;
    }
    memberOpen_ = true;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE CloseFile() override {
    if (!memberOpen_) return E_FAIL;
    if (reading_) {
      memberOpen_ = false;
      return S_OK;
    }
    return AddPendingMember() ? S_OK : E_FAIL;
  }

  HRESULT STDMETHODCALLTYPE Zread(char* buffer, long byteCount, long* count) override {
    if (!count) return E_POINTER;
    const long wanted = std::min(*count, byteCount);
    *count = -1;
    if (!buffer) return E_POINTER;
    if (wanted < 0) return E_INVALIDARG;
    if (!ReadMemberOpen()) return E_FAIL;
    const size_t n = std::min(static_cast<size_t>(wanted), memberData_.size() - readPos_);
    std::memcpy(buffer, memberData_.data() + readPos_, n);
    readPos_ += n;
    *count = static_cast<long>(n);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Zgets(BSTR* line, long limit, long flag) override {
    if (!line) return E_POINTER;
    *line = nullptr;
    if (flag != 0 || limit < 2) return E_INVALIDARG;
    if (!ReadMemberOpen() || readPos_ == memberData_.size()) return E_FAIL;
    std::wstring text;
    size_t end = readPos_;
    while (end < memberData_.size() && text.size() < static_cast<size_t>(limit - 1)) {
      // Narrow text has a wide character for every byte.
      const char byte = memberData_[end++];
      text += WideFromWindows1252(static_cast<unsigned char>(byte));
      if (byte == '\n') break;
    }
    *line = SysAllocStringLen(text.data(), static_cast<unsigned>(text.size()));
    if (!*line) return E_OUTOFMEMORY;
    readPos_ = end;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE AddFolder(const OLECHAR* folder) override {
    if (!folder) return E_POINTER;
    if (!archive_ || reading_) return E_FAIL;
    const std::string name = Utf8FromWide(folder);
    if (zip_dir_add(archive_, name.c_str(), ZIP_FL_ENC_GUESS) >= 0) return S_OK;
    const bool exists = zip_error_code_zip(zip_get_error(archive_)) == ZIP_ER_EXISTS;
    if (!exists) TraceZipError("add folder", name, zip_get_error(archive_));
    zip_error_clear(archive_);
    return exists ? S_OK : E_FAIL;
  }

  // The file is made anew under its name: a file or link planted there is
  // replaced, never written through.
  HRESULT STDMETHODCALLTYPE ExtractFile(const OLECHAR* member, const OLECHAR* destinationPath) override {
    if (!member || !destinationPath) return E_POINTER;
    if (!archive_ || !reading_) return E_FAIL;
    std::string data;
    if (!ReadEntry(Utf8FromWide(member), data)) return E_FAIL;
    const std::string destination = NativePath(destinationPath);
    if (!WriteReplacingEntry(destination, data)) {
      DebugTrace("ZlibObj: cannot write %s\n", destination.c_str());
      return E_FAIL;
    }
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Zputs(const char* text, long* written) override {
    if (!text || !written) return E_POINTER;
    *written = 0;
    if (!archive_ || reading_ || !memberOpen_) return E_FAIL;
    const size_t length = std::strlen(text);
    memberData_.append(text, length);
    *written = static_cast<long>(length);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetFileLength(long* length) override {
    if (!length) return E_POINTER;
    *length = 0;
    if (!ReadMemberOpen()) return E_FAIL;
    *length = static_cast<long>(memberData_.size());
    return S_OK;
  }

 private:
  ~ZlibObj() {
    if (!archive_) return;
    if (reading_) {
      Discard();
      return;
    }
    // Released with a write still open: commit what was written (without a
    // comment) rather than silently dropping the caller's data.
    AddPendingMember();
    Commit();
  }

  bool ReadMemberOpen() const { return archive_ && reading_ && memberOpen_; }

  void DropMember() {
    memberOpen_ = false;
    memberName_.clear();
    memberData_ = std::string();
    readPos_ = 0;
  }

  // The whole member is read up front so that the CRC has been checked before the
  // caller sees any of it. The size the header claims is checked before reading,
  // and the bytes inflated against the same cap, since the header may lie.
  bool ReadEntry(const std::string& name, std::string& data) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive_, name.c_str(), 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE) && stat.size > kMaxMemberBytes) {
      DebugTrace("ZlibObj: member %s inflates to %llu bytes, more than %llu\n", name.c_str(),
                 static_cast<unsigned long long>(stat.size), static_cast<unsigned long long>(kMaxMemberBytes));
      return false;
    }
    zip_file_t* file = zip_fopen(archive_, name.c_str(), 0);
    if (!file) {
      TraceZipError("open member", name, zip_get_error(archive_));
      zip_error_clear(archive_);
      return false;
    }
    char chunk[16384];
    zip_int64_t n;
    bool fits = true;
    try {
      if (stat.valid & ZIP_STAT_SIZE) data.reserve(static_cast<size_t>(stat.size));
      while (fits && (n = zip_fread(file, chunk, sizeof chunk)) > 0) {
        fits = data.size() + static_cast<size_t>(n) <= kMaxMemberBytes;
        if (fits) data.append(chunk, static_cast<size_t>(n));
      }
    } catch (const std::bad_alloc&) {
      fits = false;
    }
    if (!fits) {
      DebugTrace("ZlibObj: member %s does not fit in memory or exceeds %llu bytes\n", name.c_str(),
                 static_cast<unsigned long long>(kMaxMemberBytes));
      zip_fclose(file);
      data = std::string();
      return false;
    }
    if (n < 0) TraceZipError("read member", name, zip_file_get_error(file));
    return zip_fclose(file) == 0 && n == 0;
  }

  // Writes go to an archive in memory, over the bytes of the file (when kept),
  // so that the file is replaced as a whole at the close.
  zip_t* OpenInMemory(const std::string& name, bool keepMembers, zip_error_t* error) {
    std::string existing;
    if (keepMembers && !ReadFileContent(name, existing)) {
      zip_error_set(error, ZIP_ER_OPEN, 0);
      return nullptr;
    }
    void* copy = existing.empty() ? nullptr : std::malloc(existing.size());
    if (copy) std::memcpy(copy, existing.data(), existing.size());
    else if (!existing.empty()) return nullptr;
    buffer_ = zip_source_buffer_create(copy, existing.size(), 1, error);
    if (!buffer_) {
      std::free(copy);
      return nullptr;
    }
    zip_t* archive = zip_open_from_source(buffer_, keepMembers ? ZIP_CREATE : ZIP_CREATE | ZIP_TRUNCATE, error);
    // The archive owns the source from here on; the extra reference keeps it
    // readable after the close.
    if (archive) zip_source_keep(buffer_);
    else DropBuffer();
    return archive;
  }

  void DropBuffer() {
    if (buffer_) zip_source_free(buffer_);
    buffer_ = nullptr;
  }

  // The bytes that the close left in the memory archive.
  bool WrittenBytes(std::string& bytes) {
    if (zip_source_is_deleted(buffer_)) return false;
    zip_stat_t stat;
    if (zip_source_stat(buffer_, &stat) < 0 || zip_source_open(buffer_) < 0) return false;
    try {
      bytes.resize(static_cast<size_t>(stat.size));
    } catch (const std::bad_alloc&) {
      zip_source_close(buffer_);
      return false;
    }
    const zip_int64_t n = zip_source_read(buffer_, bytes.data(), bytes.size());
    zip_source_close(buffer_);
    return n >= 0 && static_cast<zip_uint64_t>(n) == bytes.size();
  }

  // Hands the collected text of the open write member to libzip, which owns (and
  // frees) the copy from here on.
  bool AddPendingMember() {
    if (!memberOpen_) return true;
    const std::string name = memberName_;
    const std::string data = std::move(memberData_);
    DropMember();
    void* copy = nullptr;
    if (!data.empty()) {
      copy = std::malloc(data.size());
      if (!copy) return false;
      std::memcpy(copy, data.data(), data.size());
    }
    zip_source_t* source = zip_source_buffer(archive_, copy, data.size(), 1);
    if (!source) {
      std::free(copy);
      return false;
    }
    // A member replaced in place keeps libzip's default level whatever is asked,
    // so the old one is deleted and the text added as a new member.
    const zip_int64_t old = zip_name_locate(archive_, name.c_str(), 0);
    if (old >= 0 && zip_delete(archive_, static_cast<zip_uint64_t>(old)) < 0) {
      zip_source_free(source);
      return false;
    }
    const zip_int64_t index = zip_file_add(archive_, name.c_str(), source, ZIP_FL_ENC_GUESS);
    if (index < 0) {
      TraceZipError("add member", name, zip_get_error(archive_));
      zip_source_free(source);
      return false;
    }
    return zip_set_file_compression(archive_, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, kZipDeflateLevel) == 0;
  }

  // The archive is closed in memory and its bytes replace the file's content
  // (see ReplaceFileContent), so a failed save leaves the previous archive intact.
  bool Commit() {
    bool ok = zip_close(archive_) == 0;
    if (!ok) {
      TraceZipError("write archive", path_, zip_get_error(archive_));
      zip_discard(archive_);
    }
    archive_ = nullptr;
    std::string bytes;
    if (ok && !(WrittenBytes(bytes) && ReplaceFileContent(path_, bytes))) {
      DebugTrace("ZlibObj: cannot write %s\n", path_.c_str());
      ok = false;
    }
    DropBuffer();
    return ok;
  }

  void Discard() {
    zip_discard(archive_);
    archive_ = nullptr;
    DropBuffer();
  }

  zip_t* archive_ = nullptr;
  // Write mode: the memory that the archive is written into.
  zip_source_t* buffer_ = nullptr;
  bool reading_ = false;
  std::string path_;
  bool memberOpen_ = false;
  // Read mode: the member whose bytes are held, open or not, and its bytes;
  // write mode: the member being written and the text collected so far.
  std::string memberName_;
  std::string memberData_;
  size_t readPos_ = 0;
};

HRESULT CreateZlibObj(REFIID iid, void** object) {
  auto* instance = new (std::nothrow) ZlibObj;
  if (!instance) return E_OUTOFMEMORY;
  instance->AddRef();
  const HRESULT hr = instance->QueryInterface(iid, object);
  instance->Release();
  return hr;
}

}  // namespace

void RegisterArchiveComponent() { RegisterComponent(kZlibObjProgId, CreateZlibObj); }
