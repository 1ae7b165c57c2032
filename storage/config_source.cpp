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
#include "storage/text_pieces.h"
#include "storage/tree_parser.h"
#include "storage/zlib_obj.h"
#include "store/str_copy.h"

namespace {
constexpr const wchar_t* kConfigMember = L"VEXA/pfConfig";
constexpr const wchar_t* kLoaderClosingText = L"Vexa Config File";
constexpr long kZgetsLimit = 128;

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

// The pieces belong to the source once the tree is made: its names and
// values stand in them.
tAtrribute* tConfigSource::FinishTree(tTreeParser& parser, std::vector<TextPiece>& pieces,
                                      unsigned long long bytes) {
  tAtrribute* root = nullptr;
  int openBlocks = 0;
  switch (parser.Finish(root, openBlocks)) {
    case tTreeParser::Outcome::Tree:
      break;
    case tTreeParser::Outcome::NotAConfiguration:
      return nullptr;
    case tTreeParser::Outcome::OutOfMemory:
      DebugTrace("tConfigSource::LoadAttributesFromFile, out of memory making the tree of %llu bytes\n", bytes);
      return nullptr;
  }
  endedInsideBlock_ = openBlocks > 0;
  if (endedInsideBlock_)
    DebugTrace("tConfigSource::LoadAttributesFromFile, the input ended inside %d open block(s)\n", openBlocks);
  text_ = std::move(pieces);
  return root;
}

// A plain file is parsed while it is read.
tAtrribute* tConfigSource::LoadPlainText(const char* path) {
  std::FILE* file = OpenNativeFile(path, "r");
  if (!file) return nullptr;
  const unsigned long long length = PlainFileLength(file);
  std::vector<TextPiece> pieces;
  tTreeParser parser;
  unsigned long long total = 0;
  const PiecesRead read = ReadTextPieces(
      [file](char* buffer, size_t room) -> long long {
        const size_t n = std::fread(buffer, 1, room, file);
        return n == 0 && std::ferror(file) ? -1 : static_cast<long long>(n);
      },
      length, pieces, total, kTextPieceBytes, [&parser](TextPiece& piece) { parser.Add(piece.text.get(), piece.length); });
  std::fclose(file);
  if (read == PiecesRead::ReadFailed)
    DebugTrace("tConfigSource::LoadAttributesFromFile, failed in config file FGets.. Illegal config file?\n");
  if (read == PiecesRead::OutOfMemory) TraceUnreadText(read, total, length);
  return read == PiecesRead::Done ? FinishTree(parser, pieces, total) : nullptr;
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
  // The archive's own bytes go before the tree is made, so that the two are
  // never held at once.
  handle.Release();
  tTreeParser parser;
  for (TextPiece& piece : pieces) parser.Add(piece.text.get(), piece.length);
  return FinishTree(parser, pieces, total);
}
