#include "storage/tree_parser.h"

#include <cstring>
#include <new>
#include <system_error>
#include <utility>

#include "platform/trace.h"
#include "storage/line_reader.h"
#include "store/str_copy.h"

namespace {
char* SkipWhiteSpace(char* p) {
  while (*p && IsWhiteSpace(*p)) ++p;
  return p;
}

char* SkipWord(char* p) {
  while (*p && !IsWhiteSpace(*p)) ++p;
  return p;
}
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

tTreeParser::~tTreeParser() {
  StopThread();
  if (root_) TreeNodePool().GiveBack(root_, false);
}

void tTreeParser::Add(char* text, size_t length) {
  std::lock_guard<std::mutex> lock(mutex_);
  queue_.push_back({text, length});
  // A lone piece is parsed by Finish on the caller's thread; a second one shows
  // that a thread is worth it. Without a thread the pieces wait for Finish.
  if (queue_.size() == 2 && !threadTried_) {
    threadTried_ = true;
    try {
      thread_ = std::thread(&tTreeParser::ParseQueued, this);
    } catch (const std::system_error&) {
      DebugTrace("tTreeParser: no thread to parse on, the text is parsed once read\n");
    }
  }
  added_.notify_one();
}

tTreeParser::Outcome tTreeParser::Finish(tAtrribute*& root, int& openBlocks) {
  root = nullptr;
  openBlocks = 0;
  StopThread();
  ParseQueued();
  if (!root_ && failure_ == Outcome::Tree) {
    DebugTrace("tConfigSource::LoadAttributesFromFile, failed in config file FGets.. Illegal config file?\n");
    failure_ = Outcome::NotAConfiguration;
  }
  if (failure_ != Outcome::Tree) return failure_;
  openBlocks = done_ ? 0 : static_cast<int>(frames_.size()) - 1;
  root = std::exchange(root_, nullptr);
  return Outcome::Tree;
}

void tTreeParser::StopThread() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finishing_ = true;
  }
  added_.notify_one();
  if (thread_.joinable()) thread_.join();
}

void tTreeParser::ParseQueued() {
  for (;;) {
    Piece piece;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      added_.wait(lock, [this] { return !queue_.empty() || finishing_; });
      if (queue_.empty()) return;
      piece = queue_.front();
      queue_.pop_front();
    }
    if (!done_) done_ = !ParsePiece(piece);
  }
}

// Memory that runs out while the tree grows fails the load, not the process.
bool tTreeParser::ParsePiece(Piece piece) {
  try {
    BufferLineReader lines(piece.text, piece.length);
    return (root_ || ParseRootOf(lines)) && ParseLines(lines);
  } catch (const std::bad_alloc&) {
    failure_ = Outcome::OutOfMemory;
    return false;
  }
}

bool tTreeParser::ParseRootOf(BufferLineReader& lines) {
  tString version;
  char* line = lines.NextLine();
  if (!line) return false;
  if (!ParseRootLine(line, version)) {
    failure_ = Outcome::NotAConfiguration;
    return false;
  }
  root_ = tAtrribute::CreateChild(nullptr, "Root", version.c_str(), kRowUnchanged);
  if (!root_) throw std::bad_alloc();
  frames_.push_back({root_, root_});
  return true;
}

// Node lines and blocks, iteratively, so that deeply nested input cannot
// exhaust the stack: each open block is one frame, and the frames go on from
// piece to piece. False once a "}" has closed the top level, after which
// nothing more is read.
bool tTreeParser::ParseLines(BufferLineReader& lines) {
  while (char* line = lines.NextLine()) {
    char* name = SkipWhiteSpace(line);
    if (!*name) continue;
    if (*name == '{') {
      frames_.push_back({frames_.back().current, frames_.back().current});
      continue;
    }
    if (*name == '}') {
      frames_.pop_back();
      if (frames_.empty()) return false;
      continue;
    }
    char* nameEnd = SkipWord(name);
    char* value = SkipWhiteSpace(nameEnd);
    char* valueEnd = value + std::strlen(value);
    while (valueEnd > value && IsWhiteSpace(valueEnd[-1])) --valueEnd;
    *nameEnd = '\0';
    *valueEnd = '\0';
    tAtrribute* node = tAtrribute::CreateChildInText(frames_.back().parent, name, value, kRowUnchanged);
    // Only memory stops a node: a line left out would be lost at the next save.
    if (!node) throw std::bad_alloc();
    frames_.back().current = node;
  }
  return true;
}
