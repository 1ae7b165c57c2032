#include "storage/config_source.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/component_registry.h"
#include "platform/native_file.h"
#include "platform/native_path.h"
#include "platform/stopwatch.h"
#include "platform/trace.h"
#include "storage/file_path.h"
#include "storage/line_reader.h"
#include "storage/text_pieces.h"
#include "storage/zlib_obj.h"
#include "store/str_copy.h"

namespace {
constexpr const wchar_t* kConfigMember = L"VEXA/pfConfig";
constexpr const wchar_t* kLoaderClosingText = L"Vexa Config File";
constexpr long kZgetsLimit = 128;

char* SkipWhiteSpace(char* p) {
  while (*p && IsWhiteSpace(*p)) ++p;
  return p;
}

char* SkipWord(char* p) {
  while (*p && !IsWhiteSpace(*p)) ++p;
  return p;
}

struct Frame {
  tAtrribute* parent;
  tAtrribute* current;
};

// Reads node lines and blocks of one piece of the text into the tree.
// Iterative, so that deeply nested input cannot exhaust the stack: each open
// block is one frame, and the frames go on from piece to piece. False once a
// "}" has closed the top level, after which nothing more is read.
bool ParseLines(std::vector<Frame>& frames, BufferLineReader& lines) {
  while (char* line = lines.NextLine()) {
    char* name = SkipWhiteSpace(line);
    if (!*name) continue;
    if (*name == '{') {
      frames.push_back({frames.back().current, frames.back().current});
      continue;
    }
    if (*name == '}') {
      frames.pop_back();
      if (frames.empty()) return false;
      continue;
    }
    char* nameEnd = SkipWord(name);
    char* value = SkipWhiteSpace(nameEnd);
    char* valueEnd = value + std::strlen(value);
    while (valueEnd > value && IsWhiteSpace(valueEnd[-1])) --valueEnd;
    *nameEnd = '\0';
    *valueEnd = '\0';
    tAtrribute* node = tAtrribute::CreateChildInText(frames.back().parent, name, value, kRowUnchanged);
    // Only memory stops a node: a line left out would be lost at the next save.
    if (!node) throw std::bad_alloc();
    frames.back().current = node;
  }
  return true;
}

// The file's length as far as the C library can tell it (0 when it cannot,
// and for a folder, whose length no text has): it only sizes the pieces.
unsigned long long PlainFileLength(std::FILE* file) {
  long size = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
  std::rewind(file);
  return size > 0 && size < LONG_MAX ? static_cast<unsigned long long>(size) : 0;
}

// A failed read of the text, traced with the sizes it concerned (0 stated: not known).
void TraceUnreadText(PiecesRead read, unsigned long long done, unsigned long long stated) {
  char text[160];
  if (read == PiecesRead::OutOfMemory)
    std::snprintf(text, sizeof text, "out of memory after %llu of %llu bytes", done, stated);
  else
    std::snprintf(text, sizeof text, "read failed after %llu of %llu bytes", done, stated);
  DebugTrace("tConfigSource::LoadAttributesFromFile, %s\n", text);
}

// The archive component, released on every path out of the loader.
struct ArchiveHandle {
  IZlibObj* archive = nullptr;
  bool open = false;
  ~ArchiveHandle() { Release(); }
  void Release() {
    if (!archive) return;
    if (open) archive->CloseArchive(kLoaderClosingText);
    archive->Release();
    archive = nullptr;
  }
};
}  // namespace

bool ParseRootLine(const char* line, tString& version) {
  if (!line) return false;
  const char* first = line;
  while (*first && IsWhiteSpace(*first)) ++first;
  const char* firstEnd = first;
  while (*firstEnd && !IsWhiteSpace(*firstEnd)) ++firstEnd;
  const char* second = firstEnd;
  while (*second && IsWhiteSpace(*second)) ++second;
  const char* secondEnd = second;
  while (*secondEnd && !IsWhiteSpace(*secondEnd)) ++secondEnd;
  if (second == secondEnd) return false;
  tString word;
  word.Assign(first, static_cast<size_t>(firstEnd - first), 8);
  if (!word.Equals("Root")) return false;
  return SUCCEEDED(version.Assign(second, static_cast<size_t>(secondEnd - second), 8));
}

tConfigSource::tConfigSource() { RegisterArchiveComponent(); }

tConfigSource::~tConfigSource() { DestroyTree(); }

// The whole tree goes to the node pool's deleter thread in one push. Its text
// can go at once: destroying a node never reads its name or value.
void tConfigSource::DestroyTree() {
  if (root_) TreeNodePool().GiveBack(root_, false);
  root_ = nullptr;
  text_.clear();
}

tAtrribute* tConfigSource::LoadAttributesFromFile(const char* path) {
  DestroyTree();
  endedInsideBlock_ = false;
  if (!path || !*path) return nullptr;
  path_.Assign(path, 8);
  root_ = IsArchivePath(path) ? LoadArchive(path) : LoadPlainText(path);
  if (root_) {
    root_->name.Trim();
    root_->value.Trim();
  }
  return root_;
}

// Memory that runs out while the tree grows fails the load, not the process.
// The tree's names and values stay in the pieces, which the source keeps.
tAtrribute* tConfigSource::ParseTree(std::vector<TextPiece>& pieces) {
  tAtrribute* root = nullptr;
  try {
    BufferLineReader first(pieces.empty() ? nullptr : pieces.front().text.get(),
                           pieces.empty() ? 0 : pieces.front().length);
    tString version;
    char* line = first.NextLine();
    if (!line) {
      DebugTrace("tConfigSource::LoadAttributesFromFile, failed in config file FGets.. Illegal config file?\n");
      return nullptr;
    }
    if (!ParseRootLine(line, version)) return nullptr;
    root = tAtrribute::CreateChild(nullptr, "Root", version.c_str(), kRowUnchanged);
    if (!root) throw std::bad_alloc();
    std::vector<Frame> frames{{root, root}};
    bool open = ParseLines(frames, first);
    for (size_t i = 1; open && i < pieces.size(); ++i) {
      BufferLineReader lines(pieces[i].text.get(), pieces[i].length);
      open = ParseLines(frames, lines);
    }
    endedInsideBlock_ = open && frames.size() > 1;
    if (endedInsideBlock_)
      DebugTrace("tConfigSource::LoadAttributesFromFile, the input ended inside %d open block(s)\n",
                 static_cast<int>(frames.size() - 1));
    text_ = std::move(pieces);
    return root;
  } catch (const std::bad_alloc&) {
    unsigned long long bytes = 0;
    for (const TextPiece& piece : pieces) bytes += piece.length;
    DebugTrace("tConfigSource::LoadAttributesFromFile, out of memory making the tree of %llu bytes\n", bytes);
    if (root) TreeNodePool().GiveBack(root, false);
    return nullptr;
  }
}

tAtrribute* tConfigSource::LoadPlainText(const char* path) {
  std::FILE* file = OpenNativeFile(path, "r");
  if (!file) return nullptr;
  const unsigned long long length = PlainFileLength(file);
  std::vector<TextPiece> pieces;
  unsigned long long total = 0;
  const PiecesRead read = ReadTextPieces(
      [file](char* buffer, size_t room) -> long long {
        const size_t n = std::fread(buffer, 1, room, file);
        return n == 0 && std::ferror(file) ? -1 : static_cast<long long>(n);
      },
      length, pieces, total);
  std::fclose(file);
  if (read == PiecesRead::ReadFailed)
    DebugTrace("tConfigSource::LoadAttributesFromFile, failed in config file FGets.. Illegal config file?\n");
  if (read == PiecesRead::OutOfMemory) TraceUnreadText(read, total, length);
  return read == PiecesRead::Done ? ParseTree(pieces) : nullptr;
}

tAtrribute* tConfigSource::LoadArchive(const char* path) {
  ArchiveHandle handle;
  if (FAILED(CreateComponent(kZlibObjProgId, IID_IZlibObj, reinterpret_cast<void**>(&handle.archive)))) {
    DebugTrace("tConfigSource::LoadAttributesFromFile, failed to create VexaZLibInterface.ZlibObj\n");
    return nullptr;
  }
  IZlibObj* archive = handle.archive;
  if (archive->OpenArchive(WideFromNativePath(path).c_str(), 1, 0) != S_OK) {
    DebugTrace("tConfigSource::LoadAttributesFromFile, failed in VexaZLibInterface OpenArchive\n");
    return nullptr;
  }
  handle.open = true;
  if (archive->OpenFile(kConfigMember, 0) != S_OK) {
    DebugTrace("tConfigSource::LoadAttributesFromFile, failed in VexaZLibInterface OpenFile\n");
    return nullptr;
  }
  BSTR firstLine = nullptr;
  const HRESULT got = archive->Zgets(&firstLine, kZgetsLimit, 0);
  const std::unique_ptr<OLECHAR, decltype(&SysFreeString)> lineOwner(firstLine, SysFreeString);
  if (got != S_OK) {
    DebugTrace("tConfigSource::LoadAttributesFromFile, failed in VexaZLibInterface Zgets. Illegal config file?\n");
    return nullptr;
  }
  tString line, version;
  TStringFromBstr(firstLine, line);
  if (!ParseRootLine(line.c_str(), version)) return nullptr;

  // The length the archive states sizes the pieces, but is not trusted: the
  // component checks it against what inflating yields. A length it cannot
  // state (a long is 32 bits on Windows) leaves the pieces to their own size.
  long length = 0;
  if (FAILED(archive->GetFileLength(&length)) || length < 0) length = 0;
  const unsigned long long stated = static_cast<unsigned long long>(length);
  // The member read in pieces after its first line, then parsed from memory.
  Stopwatch stopwatch;
  archive->CloseFile();
  archive->OpenFile(kConfigMember, 0);
  DebugTrace("VexaTemplateLib::CreateAttributeBuffer() - Open/close took %f seconds\n",
             static_cast<double>(stopwatch.Seconds()));
  stopwatch.Start();
  std::vector<TextPiece> pieces;
  unsigned long long total = 0;
  const PiecesRead read = ReadTextPieces(
      [archive](char* buffer, size_t room) -> long long {
        long count = static_cast<long>(room);
        return SUCCEEDED(archive->Zread(buffer, count, &count)) ? count : -1;
      },
      stated, pieces, total);
  DebugTrace("VexaTemplateLib::CreateAttributesBuffer() - Config file load took %f seconds with a buffer size of %llu bytes\n",
             static_cast<double>(stopwatch.Seconds()), total);
  if (read != PiecesRead::Done) {
    TraceUnreadText(read, total, stated);
    return nullptr;
  }
  if (stated && total != stated) {
    DebugTrace("tConfigSource::LoadAttributesFromFile, VEXA/pfConfig inflates to %llu bytes, not the %llu it states\n",
               total, stated);
    return nullptr;
  }
  // The archive's own bytes go before the tree is made.
  handle.Release();
  return ParseTree(pieces);
}
