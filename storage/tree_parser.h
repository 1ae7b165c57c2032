// Makes the tree of a configuration text handed over piece by piece, in order,
// while the caller reads the next pieces: from the second piece on, parsing
// runs on a thread of its own, so that a large file is read and parsed on two
// cores at once. The names and values stay in place in the pieces, which must
// outlive the tree.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "store/attribute.h"
#include "store/tstring.h"

class BufferLineReader;

class tTreeParser {
 public:
  tTreeParser() = default;
  // Waits for the parsing thread; a tree not handed over is given back.
  ~tTreeParser();
  tTreeParser(const tTreeParser&) = delete;
  tTreeParser& operator=(const tTreeParser&) = delete;

  // The next piece: `length` bytes of whole lines and one writable byte behind them.
  void Add(char* text, size_t length);

  enum class Outcome { Tree, NotAConfiguration, OutOfMemory };
  // Parses what is left and hands over the tree. `openBlocks`: the blocks
  // still open where the text ended (a file cut off).
  Outcome Finish(tAtrribute*& root, int& openBlocks);

 private:
  struct Piece {
    char* text;
    size_t length;
  };
  struct Frame {
    tAtrribute* parent;
    tAtrribute* current;
  };

  // Parses one piece on whichever thread parses; false once nothing more is
  // to be read (the top level closed, or a failure).
  bool ParsePiece(Piece piece);
  bool ParseRootOf(BufferLineReader& lines);
  bool ParseLines(BufferLineReader& lines);
  void ParseQueued();
  void StopThread();

  tAtrribute* root_ = nullptr;
  std::vector<Frame> frames_;
  bool done_ = false;
  Outcome failure_ = Outcome::Tree;

  std::mutex mutex_;
  std::condition_variable added_;
  std::deque<Piece> queue_;
  bool finishing_ = false;
  bool threadTried_ = false;
  std::thread thread_;
};

// The first line of a configuration text: "Root" (any case) and the version name.
// On success `version` holds the second word.
bool ParseRootLine(const char* line, tString& version);
