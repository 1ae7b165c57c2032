// A configuration source: the tree of one loaded configuration file. File names
// here are native paths (UTF-8), never narrow text, so that any name reaches its file.
#pragma once
#include <string>
#include <vector>

#include "store/attribute.h"
#include "storage/text_pieces.h"
#include "storage/tree_parser.h"
#include "store/tstring.h"

class tConfigSource {
 public:
  tConfigSource();
  virtual ~tConfigSource();
  tConfigSource(const tConfigSource&) = delete;
  tConfigSource& operator=(const tConfigSource&) = delete;

  // Reads a plain text file, or the member "VEXA/pfConfig" of a ".zip" archive
  // (".zip.bak" too), into a new tree. Null when nothing could be loaded; the
  // previous tree is gone either way.
  tAtrribute* LoadAttributesFromFile(const char* path);

  // Writes the tree as plain text, or into the member "VEXA/pfConfig" of a
  // ".zip" archive (creating the archive with its folders when there is none).
  // Null path: the path of the last load.
  HRESULT SaveToFile(const char* path);

  tAtrribute* Root() const { return root_; }
  // The last load reached the end of its input inside a block: the file may
  // have been cut off.
  bool EndedInsideBlock() const { return endedInsideBlock_; }
  // The native path of the last load.
  const tString& Path() const { return path_; }

 private:
  tAtrribute* LoadPlainText(const char* path);
  tAtrribute* LoadArchive(const char* path);
  tAtrribute* FinishTree(tTreeParser& parser, std::vector<TextPiece>& pieces, unsigned long long bytes);
  void DestroyTree();

  tAtrribute* root_ = nullptr;
  // The loaded text, in which the tree's names and values stand until edited.
  std::vector<TextPiece> text_;
  tString path_;
  bool endedInsideBlock_ = false;
};
