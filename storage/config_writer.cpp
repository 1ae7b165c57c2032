// Writing the tree back: plain text, or the member "VEXA/pfConfig" of an archive.
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/file_replace.h"
#include "platform/text_conversion.h"
#include "platform/trace.h"
#include "storage/config_source.h"
#include "storage/config_writer.h"
#include "storage/file_path.h"
#include "storage/leftover_saves.h"
#include "storage/zball.h"

namespace {
constexpr const wchar_t* kConfigMember = L"VEXA/pfConfig";
constexpr const wchar_t* kArchiveFolders[] = {L"VEXA", L"VEXA/COM/", L"VEXA/MISC/", L"VEXA/USER/"};
constexpr const char* kIndentation = "   ";

// One line of the file in its parts: the indentation, then `a`, then, when
// given, a space and `b`. Every line ends with carriage return and line feed,
// the file format's line end.
struct Line {
  struct Part {
    const char* text;
    size_t size;
  };
  Line(const std::string& indentation, const char* a, const char* b) {
    add(indentation.data(), indentation.size());
    add(a, std::strlen(a));
    if (b) {
      add(" ", 1);
      add(b, std::strlen(b));
    }
    add("\r\n", 2);
  }
  const Part* begin() const { return parts; }
  const Part* end() const { return parts + count; }

  Part parts[5];
  size_t count = 0;
  size_t size = 0;

 private:
  void add(const char* text, size_t partSize) {
    parts[count++] = {text, partSize};
    size += partSize;
  }
};

// Where the lines go, one whole line at a time; false once a line could not be written.
class TextSink {
 public:
  virtual ~TextSink() = default;
  virtual bool PutLine(const Line& line) = 0;
};

// Lines gathered into a piece of a size that stays in the cache, and written
// piece by piece: the whole text is never built, nor its memory touched. Every
// piece handed to the writer is followed by a NUL (a line's parts are whole
// strings), so that it can go to Zputs as it stands.
class PieceSink final : public TextSink {
 public:
  explicit PieceSink(const ContentWriter& write) : write_(write), piece_(new char[kPieceBytes + 1]) {}
  bool PutLine(const Line& line) override {
    if (used_ + line.size > kPieceBytes && !Flush()) return false;
    if (line.size > kPieceBytes) {
      for (const Line::Part& part : line)
        if (!write_(part.text, part.size)) return false;
      return true;
    }
    for (const Line::Part& part : line) {
      std::memcpy(piece_.get() + used_, part.text, part.size);
      used_ += part.size;
    }
    return true;
  }
  bool Flush() {
    piece_[used_] = '\0';
    const bool written = used_ == 0 || write_(piece_.get(), used_);
    used_ = 0;
    return written;
  }

 private:
  static constexpr size_t kPieceBytes = 256 * 1024;
  const ContentWriter& write_;
  std::unique_ptr<char[]> piece_;
  size_t used_ = 0;
};

// The canonical layout: a node line, and for a node with children a block in
// braces at the node's indentation with the children one level deeper. Walks
// with an explicit stack, so any depth that the loader accepted can be written.
bool WriteNode(tAtrribute* root, TextSink& sink) {
  std::vector<tAtrribute*> open;
  std::vector<std::string> indentations{""};
  auto indentation = [&](size_t depth) -> const std::string& {
    while (indentations.size() <= depth) indentations.push_back(indentations.back() + kIndentation);
    return indentations[depth];
  };
  auto enter = [&](tAtrribute* node) {
    const std::string& own = indentation(open.size());
    if (!sink.PutLine(Line(own, node->name.c_str(), node->value.c_str()))) return false;
    if (node->ChildCount() == 0) return true;
    open.push_back(node);
    node->BeginChildren();
    return sink.PutLine(Line(own, "{", nullptr));
  };
  if (!enter(root)) return false;
  while (!open.empty()) {
    tAtrribute* child = open.back()->NextChild();
    if (child) {
      if (!enter(child)) return false;
      continue;
    }
    open.pop_back();
    if (!sink.PutLine(Line(indentation(open.size()), "}", nullptr))) return false;
  }
  return true;
}

}  // namespace

bool WriteConfigText(tAtrribute* root, const ContentWriter& write) {
  try {
    PieceSink sink(write);
    return WriteNode(root, sink) && sink.Flush();
  } catch (const std::bad_alloc&) {
    return false;
  }
}

namespace {
HRESULT CreateArchive(tZBall& zball) {
  IZlibObj* archive = zball.Component();
  if (archive->OpenArchive(zball.ArchivePath().c_str(), 0, 0) != S_OK) return E_FAIL;
  HRESULT hr = S_OK;
  for (const wchar_t* folder : kArchiveFolders) {
    hr = archive->AddFolder(folder);
    if (hr != S_OK) break;
  }
  archive->CloseArchive(kWriterClosingText);
  return hr;
}

// The archive component keeps every other member and replaces the archive's
// content as a plain save does, so an archive on disk is never half written;
// a member that cannot be opened or is cut short is discarded with the archive.
HRESULT SaveArchive(tAtrribute* root, const char* path) {
  tZBall zball(path);
  IZlibObj* archive = zball.Component();
  if (!archive) return E_FAIL;
  if (!FileExists(path)) CreateArchive(zball);
  if (!FileExists(path) || archive->OpenArchive(zball.ArchivePath().c_str(), 0, 2) != S_OK) return E_FAIL;
  bool written = false;
  try {
    written = archive->OpenFile(kConfigMember, 0) == S_OK && WriteConfigText(root, [archive](const char* piece, size_t) {
                long count = 0;
                return archive->Zputs(piece, &count) == S_OK;
              });
  } catch (const std::bad_alloc&) {
  }
  if (!written) {
    archive->DiscardArchive();
    return E_FAIL;
  }
  return archive->CloseArchive(kWriterClosingText) == S_OK ? S_OK : E_FAIL;
}

// The text is written as it is made, into the replacement of the file's
// content, which keeps the previous file whole when the save fails.
HRESULT SavePlainText(tAtrribute* root, const std::string& path) {
  try {
    return ReplaceFileContent(path, [root](const ContentWriter& write) { return WriteConfigText(root, write); })
               ? S_OK
               : E_FAIL;
  } catch (const std::bad_alloc&) {
    return E_FAIL;
  }
}
}  // namespace

HRESULT tConfigSource::SaveToFile(const char* path) {
  if (!root_) return E_FAIL;
  if (!path) path = path_.c_str();
  if (!*path) return E_FAIL;
  // A read-only file stays as it is, even where its folder would allow it to be
  // replaced (and for a user whom no permission stops).
  if (IsReadOnlyFile(path)) {
    DebugTrace("tConfigSource::SaveToFile, %s is read-only\n", NarrowFromUtf8(path).c_str());
    return E_FAIL;
  }
  const HRESULT hr = tString(FileExtension(path)).Equals(".zip") ? SaveArchive(root_, path) : SavePlainText(root_, path);
  // The clean-up is left for the next save when it fails (memory that runs
  // out, a folder that cannot be read): this save is done.
  if (hr == S_OK) {
    try {
      RemoveLeftoverSaves(path);
    } catch (const std::exception&) {
    }
  }
  return hr;
}
