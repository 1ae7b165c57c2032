#include "storage/config_source.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/component_registry.h"
#include "platform/native_file.h"
#include "platform/native_path.h"
#include "platform/stopwatch.h"
#include "platform/trace.h"
#include "storage/file_path.h"
#include "storage/line_reader.h"
#include "storage/zlib_obj.h"
#include "store/str_copy.h"

namespace {
constexpr const wchar_t* kConfigMember = L"VEXA/pfConfig";
constexpr const wchar_t* kLoaderClosingText = L"Vexa Config File";
constexpr long kZgetsLimit = 128;
constexpr long kArchiveSlack = 4000;

char* SkipWhiteSpace(char* p) {
  while (*p && IsWhiteSpace(*p)) ++p;
  return p;
}

char* SkipWord(char* p) {
  while (*p && !IsWhiteSpace(*p)) ++p;
  return p;
}

// Reads node lines and blocks into the tree. Iterative, so that deeply nested
// input cannot exhaust the stack: each open block is one frame. True when the
// input ended inside a block, whose missing "}" the end of input stands for.
bool ParseBlock(tAtrribute* top, BufferLineReader& lines) {
  struct Frame {
    tAtrribute* parent;
    tAtrribute* current;
  };
  std::vector<Frame> frames{{top, top}};
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
    if (node) frames.back().current = node;
  }
  if (frames.size() == 1) return false;
  DebugTrace("tConfigSource::LoadAttributesFromFile, the input ended inside %d open block(s)\n",
             static_cast<int>(frames.size() - 1));
  return true;
}

// The whole file in one buffer with room for a zero byte behind it. Sized by
// the file's length, grown only if more comes (a file still being written); a
// length no text could have (a folder's) is not believed.
bool ReadWholeFile(std::FILE* file, std::unique_ptr<char[]>& text, size_t& length) {
  size_t capacity = 1 << 16;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long size = std::ftell(file);
    if (size >= 0 && size < INT_MAX) capacity = static_cast<size_t>(size) + 2;
  }
  std::rewind(file);
  text.reset(new (std::nothrow) char[capacity]);
  length = 0;
  while (text) {
    length += std::fread(text.get() + length, 1, capacity - 1 - length, file);
    if (length < capacity - 1) break;
    std::unique_ptr<char[]> larger(new (std::nothrow) char[capacity * 2]);
    if (larger) std::memcpy(larger.get(), text.get(), length);
    text = std::move(larger);
    capacity *= 2;
  }
  return text && !std::ferror(file);
}

bool IsArchivePath(const char* path) {
  tString candidate(path);
  if (tString(FileExtension(path)).CompareTrimmed(".bak") == 0) candidate.CutTail(4);
  return tString(FileExtension(candidate.c_str())).Equals(".zip");
}

// The archive component, released on every path out of the loader.
struct ArchiveHandle {
  IZlibObj* archive = nullptr;
  bool open = false;
  ~ArchiveHandle() {
    if (!archive) return;
    if (open) archive->CloseArchive(kLoaderClosingText);
    archive->Release();
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
  text_.reset();
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
// The tree's names and values stay in `text`, which the source keeps with it.
tAtrribute* tConfigSource::ParseTree(tAtrribute* root, BufferLineReader& lines, std::unique_ptr<char[]>& text) {
  try {
    endedInsideBlock_ = ParseBlock(root, lines);
    text_ = std::move(text);
    return root;
  } catch (const std::bad_alloc&) {
    DebugTrace("tConfigSource::LoadAttributesFromFile, out of memory\n");
    TreeNodePool().GiveBack(root, false);
    return nullptr;
  }
}

tAtrribute* tConfigSource::LoadPlainText(const char* path) {
  std::FILE* file = OpenNativeFile(path, "r");
  if (!file) return nullptr;
  std::unique_ptr<char[]> text;
  size_t length = 0;
  const bool read = ReadWholeFile(file, text, length);
  std::fclose(file);
  BufferLineReader lines(text.get(), read ? length : 0);
  tAtrribute* root = nullptr;
  tString version;
  if (char* first = read ? lines.NextLine() : nullptr; !first) {
    DebugTrace("tConfigSource::LoadAttributesFromFile, failed in config file FGets.. Illegal config file?\n");
  } else if (ParseRootLine(first, version)) {
    root = tAtrribute::CreateChild(nullptr, "Root", version.c_str(), kRowUnchanged);
    if (root) root = ParseTree(root, lines, text);
  }
  return root;
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
  if (archive->Zgets(&firstLine, kZgetsLimit, 0) != S_OK) {
    SysFreeString(firstLine);
    DebugTrace("tConfigSource::LoadAttributesFromFile, failed in VexaZLibInterface Zgets. Illegal config file?\n");
    return nullptr;
  }
  tString line, version;
  TStringFromBstr(firstLine, line);
  SysFreeString(firstLine);
  if (!ParseRootLine(line.c_str(), version)) return nullptr;

  long length = 0;
  archive->GetFileLength(&length);
  if (length < 0) return nullptr;
  // Not zero-filled: the read fills what the parse looks at.
  std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(length) + kArchiveSlack]);
  if (!text) return nullptr;
  // The whole member in one read, parsed from memory.
  Stopwatch stopwatch;
  archive->CloseFile();
  archive->OpenFile(kConfigMember, 0);
  DebugTrace("VexaTemplateLib::CreateAttributeBuffer() - Open/close took %f seconds\n",
             static_cast<double>(stopwatch.Seconds()));
  stopwatch.Start();
  long count = length;
  archive->Zread(text.get(), length, &count);
  text[count >= 0 && count <= length ? count : 0] = '\0';
  DebugTrace("VexaTemplateLib::CreateAttributesBuffer() - Config file load took %f seconds with a buffer size of %d bytes\n",
             static_cast<double>(stopwatch.Seconds()), static_cast<int>(length));

  BufferLineReader lines(text.get(), static_cast<size_t>(count >= 0 && count <= length ? count : 0));
  char* first = lines.NextLine();
  if (!ParseRootLine(first, version)) return nullptr;
  tAtrribute* root = tAtrribute::CreateChild(nullptr, "Root", version.c_str(), kRowUnchanged);
  if (root) root = ParseTree(root, lines, text);
  return root;
}
