#include "storage/zlib_obj.h"

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "automation/dispatch_object.h"
#include "platform/component_registry.h"
#include "platform/file_replace.h"
#include "platform/native_file.h"
#include "platform/native_path.h"
#include "platform/private_file.h"
#include "platform/scratch_file.h"
#include "platform/text_conversion.h"
#include "platform/trace.h"
#include "storage/archive_fragments.h"
#include "storage/archive_output_source.h"
#include "storage/deflated_member_source.h"
#include "storage/member_deflater.h"
#include "storage/whole_member.h"

namespace {
// Zgets inflates this much ahead of the line it hands out.
constexpr size_t kLookaheadBytes = 4096;
// A written member is deflated in pieces of this size, one per core at a time.
constexpr size_t kDeflatePieceBytes = 1024 * 1024;

unsigned DeflateWorkers() { return std::clamp(std::thread::hardware_concurrency(), 1u, 4u); }

void TraceZipError(const char* action, const std::string& name, zip_error_t* error) {
  DebugTrace("ZlibObj: cannot %s %s: %s\n", action, name.c_str(), zip_error_strerror(error));
}

// No exception may leave a method (GuardedCall): its caller may be a script
// host or another module, whose process it would end.
class ZlibObj final : public DispatchObject<IZlibObj> {
 public:
  HRESULT STDMETHODCALLTYPE OpenArchive(const OLECHAR* path, long readFlag, long appendMode) override {
    return GuardedCall("ZlibObj", nullptr, [&]() -> HRESULT {
      if (!path) return E_POINTER;
      if ((readFlag != 0 && readFlag != 1) || (appendMode != 0 && appendMode != 2)) return E_INVALIDARG;
      if (archive_) return E_FAIL;
      std::string name = NativePath(path);
      // libzip finds a missing folder at open on some platforms and only at the
      // commit on others; finding it here gives every platform the same answer.
      std::error_code folderError;
      const std::filesystem::path folder = FileSystemPath(name).parent_path();
      if (readFlag == 0 && !folder.empty() && !std::filesystem::is_directory(folder, folderError)) {
        DebugTrace("ZlibObj: cannot create archive %s: no such folder\n", name.c_str());
        return E_FAIL;
      }
      zip_error_t error;
      zip_error_init(&error);
      if (readFlag == 1) {
        archive_ = OpenForReading(name, &error);
      } else {
        archive_ = OpenForWriting(name, appendMode == 2, &error);
      }
      if (!archive_) {
        TraceZipError("open archive", name, &error);
        zip_error_fini(&error);
        return E_FAIL;
      }
      zip_error_fini(&error);
      reading_ = readFlag == 1;
      path_ = std::move(name);  // nothing may fail once the archive is open
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE CloseArchive(const OLECHAR* closingText) override {
    return GuardedCall("ZlibObj", nullptr, [&]() -> HRESULT {
      if (!closingText) return E_POINTER;
      if (!archive_) return E_FAIL;
      if (reading_) {
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
    });
  }

  HRESULT STDMETHODCALLTYPE OpenFile(const OLECHAR* member, long flag) override {
    return GuardedCall("ZlibObj", nullptr, [&]() -> HRESULT {
      if (!member) return E_POINTER;
      if (flag != 0) return E_INVALIDARG;
      if (!archive_) return E_FAIL;
      const std::string name = Utf8FromWide(member);
      if (reading_) {
        if (!OpenMemberStream(name)) return E_FAIL;
      } else {
        if (!AddPendingMember()) return E_FAIL;
        // The deflated member waits in a scratch file until the archive is written.
        memberSpill_ = OpenScratchFile();
        if (!memberSpill_) {
          DebugTrace("ZlibObj: cannot make a scratch file for member %s\n", name.c_str());
          return E_FAIL;
        }
        memberDeflater_.reset(new (std::nothrow) tMemberDeflater(
            kZipDeflateLevel, kDeflatePieceBytes, DeflateWorkers(),
            [this, name](const char* bytes, size_t size) {
              if (std::fwrite(bytes, 1, size, memberSpill_) == size) return true;
              DebugTrace("ZlibObj: cannot write member %s aside: %s\n", name.c_str(), std::strerror(errno));
              return false;
            }));
        if (!memberDeflater_) {
          DropMember();
          return E_OUTOFMEMORY;
        }
        memberName_ = name;
      }
      memberOpen_ = true;
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE CloseFile() override {
    return GuardedCall("ZlibObj", nullptr, [&]() -> HRESULT {
      if (!memberOpen_) return E_FAIL;
      if (reading_) {
        CloseMemberStream();
        return S_OK;
      }
      return AddPendingMember() ? S_OK : E_FAIL;
    });
  }

  HRESULT STDMETHODCALLTYPE Zread(char* buffer, long byteCount, long* count) override {
    return GuardedCall("ZlibObj", nullptr, [&]() -> HRESULT {
      if (!count) return E_POINTER;
      const long wanted = std::min(*count, byteCount);
      *count = -1;
      if (!buffer) return E_POINTER;
      if (wanted < 0) return E_INVALIDARG;
      if (!ReadMemberOpen()) return E_FAIL;
      // The whole member asked for at once, as the loader does: inflated in one go.
      if (readPos_ == 0 && lookahead_.empty() && static_cast<zip_uint64_t>(wanted) >= memberSize_) {
        switch (InflateWholeMember(archive_, memberName_.c_str(), buffer, memberSize_)) {
          case WholeMemberRead::Done:
            readPos_ = memberSize_;
            endChecked_ = true;
            *count = static_cast<long>(memberSize_);
            return S_OK;
          case WholeMemberRead::Damaged:
            DebugTrace("ZlibObj: member %s is damaged\n", memberName_.c_str());
            return E_FAIL;
          case WholeMemberRead::NotDeflated:
            break;
        }
      }
      const zip_int64_t n = ReadMemberBytes(buffer, static_cast<zip_uint64_t>(wanted));
      if (n < 0 || !(readPos_ < memberSize_ || MemberEndChecked())) return E_FAIL;
      *count = static_cast<long>(n);
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE Zgets(BSTR* line, long limit, long flag) override {
    return GuardedCall("ZlibObj", nullptr, [&]() -> HRESULT {
      if (!line) return E_POINTER;
      *line = nullptr;
      if (flag != 0 || limit < 2) return E_INVALIDARG;
      if (!ReadMemberOpen()) return E_FAIL;
      std::wstring text;
      while (text.size() < static_cast<size_t>(limit - 1)) {
        if (lookaheadPos_ == lookahead_.size() && !FillLookahead()) return E_FAIL;
        if (lookahead_.empty()) break;
        // Narrow text has a wide character for every byte.
        const char byte = lookahead_[lookaheadPos_++];
        ++readPos_;
        text += WideFromWindows1252(static_cast<unsigned char>(byte));
        if (byte == '\n') break;
      }
      if (text.empty()) return E_FAIL;
      *line = SysAllocStringLen(text.data(), static_cast<unsigned>(text.size()));
      return *line ? S_OK : E_OUTOFMEMORY;
    });
  }

  HRESULT STDMETHODCALLTYPE AddFolder(const OLECHAR* folder) override {
    return GuardedCall("ZlibObj", nullptr, [&]() -> HRESULT {
      if (!folder) return E_POINTER;
      if (!archive_ || reading_) return E_FAIL;
      const std::string name = Utf8FromWide(folder);
      if (zip_dir_add(archive_, name.c_str(), ZIP_FL_ENC_GUESS) >= 0) return S_OK;
      const bool exists = zip_error_code_zip(zip_get_error(archive_)) == ZIP_ER_EXISTS;
      if (!exists) TraceZipError("add folder", name, zip_get_error(archive_));
      zip_error_clear(archive_);
      return exists ? S_OK : E_FAIL;
    });
  }

  // The file is made anew under its name: a file or link planted there is
  // replaced, never written through.
  HRESULT STDMETHODCALLTYPE ExtractFile(const OLECHAR* member, const OLECHAR* destinationPath) override {
    return GuardedCall("ZlibObj", nullptr, [&]() -> HRESULT {
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
    });
  }

  HRESULT STDMETHODCALLTYPE Zputs(const char* text, long* written) override {
    return GuardedCall("ZlibObj", nullptr, [&]() -> HRESULT {
      if (!text || !written) return E_POINTER;
      *written = 0;
      if (!archive_ || reading_ || !memberOpen_) return E_FAIL;
      const size_t length = std::strlen(text);
      if (!memberDeflater_->Append(text, length)) return E_OUTOFMEMORY;
      *written = static_cast<long>(length);
      return S_OK;
    });
  }

  HRESULT STDMETHODCALLTYPE GetFileLength(long* length) override {
    if (!length) return E_POINTER;
    *length = 0;
    if (!ReadMemberOpen()) return E_FAIL;
    // A long has 32 bits on Windows: a larger member can still be read, in pieces.
    if (memberSize_ > static_cast<zip_uint64_t>(LONG_MAX)) {
      DebugTrace("ZlibObj: member %s states %llu bytes, more than a length can hold\n", memberName_.c_str(),
                 static_cast<unsigned long long>(memberSize_));
      return E_FAIL;
    }
    *length = static_cast<long>(memberSize_);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_MemberCount(LONG* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    if (!archive_) return E_FAIL;
    *count = static_cast<LONG>(zip_get_num_entries(archive_, 0));
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_MemberName(LONG index, BSTR* name) override {
    return GuardedCall("ZlibObj", nullptr, [&]() -> HRESULT {
      if (!name) return E_POINTER;
      *name = nullptr;
      if (!archive_) return E_FAIL;
      if (index < 1 || index > zip_get_num_entries(archive_, 0)) return E_INVALIDARG;
      const char* entry = zip_get_name(archive_, static_cast<zip_uint64_t>(index - 1), ZIP_FL_ENC_GUESS);
      if (!entry) return E_FAIL;
      *name = SysAllocString(WideFromUtf8(entry).c_str());
      return *name ? S_OK : E_OUTOFMEMORY;
    });
  }

  HRESULT STDMETHODCALLTYPE DiscardArchive() override {
    if (!archive_) return E_FAIL;
    DropMember();
    Discard();
    return S_OK;
  }

 private:
  ~ZlibObj() override {
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

  bool ReadMemberOpen() const { return archive_ && reading_ && memberOpen_ && memberFile_; }

  void DropMember() {
    memberOpen_ = false;
    memberName_.clear();
    memberDeflater_.reset();
    if (memberSpill_) std::fclose(memberSpill_);
    memberSpill_ = nullptr;
  }

  // Read mode: the archive's bytes are read once and kept until the close, so
  // that a member reopened reads the same bytes whatever happens to the file.
  zip_t* OpenForReading(const std::string& name, zip_error_t* error) {
    if (!archiveBytes_.Read(name, error)) return nullptr;
    zip_source_t* source = archiveBytes_.Source(error);
    if (!source) return nullptr;
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, error);
    if (!archive) zip_source_free(source);
    return archive;
  }

  // The member's entry (`stat` left empty when it has none).
  void StatMember(const std::string& name, zip_stat_t& stat) {
    zip_stat_init(&stat);
    zip_stat(archive_, name.c_str(), 0, &stat);
  }

  // Read mode: a member is inflated as it is read, straight into the caller's
  // buffer, never beyond the size its entry states; its CRC is checked once the
  // last byte has been read.
  bool OpenMemberStream(const std::string& name) {
    CloseMemberStream();
    zip_stat_t stat;
    StatMember(name, stat);
    memberFile_ = zip_fopen(archive_, name.c_str(), 0);
    if (!memberFile_ || !(stat.valid & ZIP_STAT_SIZE)) {
      TraceZipError("open member", name, zip_get_error(archive_));
      zip_error_clear(archive_);
      CloseMemberStream();
      return false;
    }
    memberName_ = name;
    memberSize_ = stat.size;
    return true;
  }

  void CloseMemberStream() {
    if (memberFile_) zip_fclose(memberFile_);
    memberFile_ = nullptr;
    memberOpen_ = false;
    memberName_.clear();
    memberSize_ = readPos_ = 0;
    endChecked_ = false;
    lookahead_.clear();
    lookaheadPos_ = 0;
  }

  // Inflates the next piece of the member for Zgets; false when the member is damaged.
  bool FillLookahead() {
    lookahead_.resize(kLookaheadBytes);
    const zip_int64_t n = zip_fread(memberFile_, lookahead_.data(), lookahead_.size());
    lookahead_.resize(n > 0 ? static_cast<size_t>(n) : 0);
    lookaheadPos_ = 0;
    return n >= 0 && (readPos_ + lookahead_.size() <= memberSize_ || TraceOversized());
  }

  // Up to `wanted` bytes of the member: first those Zgets inflated ahead, then
  // straight from the inflater. -1 when the member is damaged.
  zip_int64_t ReadMemberBytes(char* buffer, zip_uint64_t wanted) {
    zip_uint64_t done = std::min<zip_uint64_t>(wanted, lookahead_.size() - lookaheadPos_);
    std::memcpy(buffer, lookahead_.data() + lookaheadPos_, done);
    lookaheadPos_ += done;
    while (done < wanted && readPos_ + done < memberSize_) {
      const zip_int64_t n = zip_fread(memberFile_, buffer + done, std::min(wanted, memberSize_ - readPos_) - done);
      if (n < 0) return -1;
      if (n == 0) break;
      done += static_cast<zip_uint64_t>(n);
    }
    readPos_ += done;
    return static_cast<zip_int64_t>(done);
  }

  // At the member's stated end: the inflater must end there too, which is when
  // libzip checks the CRC.
  bool MemberEndChecked() {
    if (endChecked_) return true;
    char extra;
    const zip_int64_t n = zip_fread(memberFile_, &extra, 1);
    if (n > 0) return TraceOversized();
    if (n < 0) TraceZipError("read member", memberName_, zip_file_get_error(memberFile_));
    endChecked_ = n == 0 && readPos_ == memberSize_;
    return endChecked_;
  }

  bool TraceOversized() const {
    DebugTrace("ZlibObj: member %s inflates to more than its stated %llu bytes\n", memberName_.c_str(),
               static_cast<unsigned long long>(memberSize_));
    return false;
  }

  // The whole member is read up front so that the CRC has been checked before the
  // caller sees any of it. The header may lie about the size: memory grows only
  // as inflating yields bytes, and never past the size the header states.
  bool ReadEntry(const std::string& name, std::string& data) {
    zip_stat_t stat;
    StatMember(name, stat);
    const zip_uint64_t stated = stat.valid & ZIP_STAT_SIZE ? stat.size : UINT64_MAX;
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
      while (fits && (n = zip_fread(file, chunk, sizeof chunk)) > 0) {
        fits = data.size() + static_cast<zip_uint64_t>(n) <= stated;
        if (fits) data.append(chunk, static_cast<size_t>(n));
      }
    } catch (const std::bad_alloc&) {
      fits = false;
    }
    if (!fits) {
      DebugTrace("ZlibObj: member %s does not fit in memory or inflates to more than its stated %llu bytes\n",
                 name.c_str(), static_cast<unsigned long long>(stated));
      zip_fclose(file);
      std::string().swap(data);
      return false;
    }
    if (n < 0) TraceZipError("read member", name, zip_file_get_error(file));
    return zip_fclose(file) == 0 && n == 0;
  }

  // The archive is written at the close, into the file that then replaces the
  // file's content as a whole; the members kept are read from the file as it
  // stands.
  zip_t* OpenForWriting(const std::string& name, bool keepMembers, zip_error_t* error) {
    zip_source_t* original = nullptr;
    if (keepMembers && !(original = zip_source_file_create(name.c_str(), 0, -1, error))) return nullptr;
    output_ = ArchiveOutputSource(original, outputState_, error);
    if (!output_) return nullptr;
    zip_t* archive = zip_open_from_source(output_, keepMembers ? 0 : ZIP_CREATE | ZIP_TRUNCATE, error);
    // The archive owns the source from here on; the extra reference keeps the
    // output's state (whether the commit went through) after the close.
    if (archive) zip_source_keep(output_);
    else DropOutput();
    return archive;
  }

  void DropOutput() {
    if (output_) zip_source_free(output_);
    output_ = nullptr;
    outputState_ = nullptr;
  }

  // Finishes the deflate of the open write member and hands it to libzip,
  // which copies it into the archive at the close.
  bool AddPendingMember() {
    if (!memberOpen_) return true;
    const std::string name = memberName_;
    DeflatedMember member;
    const bool deflated = memberDeflater_->Finish(member) && std::fflush(memberSpill_) == 0;
    std::FILE* spill = memberSpill_;
    memberSpill_ = nullptr;
    DropMember();
    zip_source_t* source = nullptr;
    if (deflated) source = DeflatedMemberSource(archive_, spill, member);
    else std::fclose(spill);
    if (!source) {
      DebugTrace("ZlibObj: cannot deflate member %s\n", name.c_str());
      return false;
    }
    // A member replaced in place would keep the old entry's method, so the old
    // one is deleted and the text added as a new member.
    const zip_int64_t old = zip_name_locate(archive_, name.c_str(), 0);
    if (old >= 0 && zip_delete(archive_, static_cast<zip_uint64_t>(old)) < 0) {
      zip_source_free(source);
      return false;
    }
    if (zip_file_add(archive_, name.c_str(), source, ZIP_FL_ENC_GUESS) < 0) {
      TraceZipError("add member", name, zip_get_error(archive_));
      zip_source_free(source);
      return false;
    }
    return true;
  }

  // libzip writes the archive straight into the file that replaces the
  // target's content (see ReplaceFileContent), so a failed save leaves the
  // previous archive intact. The file as it stood is let go before the
  // replacement, which must not find it open.
  bool Commit() {
    bool ok = false;
    try {
      ok = ReplaceFileContent(path_, [this](std::FILE* file) {
        WriteArchiveInto(*outputState_, file);
        const bool written = zip_close(archive_) == 0;
        if (!written) {
          TraceZipError("write archive", path_, zip_get_error(archive_));
          zip_discard(archive_);
        }
        archive_ = nullptr;
        ReleaseOriginal(*outputState_);
        return written && ArchiveCommitted(*outputState_);
      });
    } catch (const std::bad_alloc&) {
      DebugTrace("ZlibObj: out of memory writing %s\n", path_.c_str());
    }
    // The replacement failed before it gave a file to write into.
    if (archive_) zip_discard(archive_);
    archive_ = nullptr;
    if (!ok) DebugTrace("ZlibObj: cannot write %s\n", path_.c_str());
    DropOutput();
    return ok;
  }

  void Discard() {
    CloseMemberStream();
    zip_discard(archive_);
    archive_ = nullptr;
    DropOutput();
    archiveBytes_.Clear();
  }

  zip_t* archive_ = nullptr;
  // Write mode: the source that the archive is written through.
  zip_source_t* output_ = nullptr;
  ArchiveOutput* outputState_ = nullptr;
  bool reading_ = false;
  std::string path_;
  bool memberOpen_ = false;
  // The member open for reading or being written; write mode: its deflate so far.
  std::string memberName_;
  std::unique_ptr<tMemberDeflater> memberDeflater_;
  std::FILE* memberSpill_ = nullptr;
  // Read mode: the archive's bytes, and the open member's stream.
  tArchiveFragments archiveBytes_;
  zip_file_t* memberFile_ = nullptr;
  zip_uint64_t memberSize_ = 0;
  zip_uint64_t readPos_ = 0;
  bool endChecked_ = false;
  std::string lookahead_;
  size_t lookaheadPos_ = 0;
};

IZlibObj* Self(IDispatch* object) { return static_cast<IZlibObj*>(object); }

// The members whose arguments are wide texts, bound by hand: the C++ methods
// take plain wide strings, which an automation string passes as.
HRESULT CallOpenArchive(IDispatch* object, VARIANT* arguments, VARIANT*) {
  return Self(object)->OpenArchive(arguments[0].bstrVal, arguments[1].lVal, arguments[2].lVal);
}
HRESULT CallCloseArchive(IDispatch* object, VARIANT* arguments, VARIANT*) {
  return Self(object)->CloseArchive(arguments[0].bstrVal);
}
HRESULT CallOpenFile(IDispatch* object, VARIANT* arguments, VARIANT*) {
  return Self(object)->OpenFile(arguments[0].bstrVal, arguments[1].lVal);
}
HRESULT CallAddFolder(IDispatch* object, VARIANT* arguments, VARIANT*) {
  return Self(object)->AddFolder(arguments[0].bstrVal);
}
HRESULT CallExtractFile(IDispatch* object, VARIANT* arguments, VARIANT*) {
  return Self(object)->ExtractFile(arguments[0].bstrVal, arguments[1].bstrVal);
}
HRESULT CallGetFileLength(IDispatch* object, VARIANT*, VARIANT* result) {
  long length = 0;
  const HRESULT hr = Self(object)->GetFileLength(&length);
  if (SUCCEEDED(hr) && result) result->vt = VT_I4, result->lVal = static_cast<LONG>(length);
  return hr;
}

constexpr DispatchMember kZlibObjMembers[] = {
    {L"OpenArchive", 1, MemberKind::Method, 3, {VT_BSTR, VT_I4, VT_I4}, 0, {}, CallOpenArchive},
    {L"CloseArchive", 2, MemberKind::Method, 1, {VT_BSTR}, 0, {}, CallCloseArchive},
    {L"OpenFile", 3, MemberKind::Method, 2, {VT_BSTR, VT_I4}, 0, {}, CallOpenFile},
    Member<&IZlibObj::CloseFile>(L"CloseFile", 4, MemberKind::Method),
    {L"AddFolder", 7, MemberKind::Method, 1, {VT_BSTR}, 0, {}, CallAddFolder},
    {L"ExtractFile", 8, MemberKind::Method, 2, {VT_BSTR, VT_BSTR}, 0, {}, CallExtractFile},
    {L"GetFileLength", 10, MemberKind::Method, 0, {}, 0, {}, CallGetFileLength},
    Member<&IZlibObj::get_MemberCount>(L"MemberCount", 11, MemberKind::Get),
    Member<&IZlibObj::get_MemberName>(L"MemberName", 12, MemberKind::Get),
    Member<&IZlibObj::DiscardArchive>(L"DiscardArchive", 13, MemberKind::Method),
};
}  // namespace

const DispatchTable IZlibObj::kDispatch{kZlibObjMembers};

HRESULT CreateZlibObj(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  ZlibObj* instance = NewObject<ZlibObj>();
  if (!instance) return E_OUTOFMEMORY;
  const HRESULT hr = instance->QueryInterface(iid, object);
  instance->Release();
  return hr;
}

void RegisterArchiveComponent() { RegisterComponent(kZlibObjProgId, CreateZlibObj); }
