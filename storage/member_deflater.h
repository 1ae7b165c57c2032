// A member's text deflated as it is written, so that the whole text is never
// held: the text is cut into pieces of a fixed size (at any byte), and the
// pieces are deflated on a few worker threads while the caller goes on writing.
// Each piece becomes a raw deflate stream of its own that ends on a byte
// boundary without a final block (zlib's sync flush), started with the previous
// piece's last 32 KB as its dictionary; only the last piece ends with a final
// block, so the pieces in order are one deflate stream. zlib rather than
// libdeflate, whose output always ends with a final block.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Deflated bytes of one piece.
struct DeflatedPiece {
  std::unique_ptr<char[]> bytes;
  size_t size = 0;
};

// The whole member once deflated: its pieces in order, the text's size and CRC.
struct DeflatedMember {
  std::deque<DeflatedPiece> pieces;
  uint64_t textSize = 0;
  uint64_t deflatedSize = 0;
  uint32_t crc = 0;
};

class tMemberDeflater {
 public:
  // Pieces of `pieceBytes` (at least the dictionary's 32 KB) deflated at
  // zlib's `level` on up to `workers` threads.
  tMemberDeflater(int level, size_t pieceBytes, unsigned workers);
  ~tMemberDeflater();
  tMemberDeflater(const tMemberDeflater&) = delete;
  tMemberDeflater& operator=(const tMemberDeflater&) = delete;

  // Adds text at the end. Waits while the pieces in flight are all busy, so
  // the memory stays bounded. False once anything failed (memory, a thread,
  // the deflater); the member is then lost.
  bool Append(const char* text, size_t length);
  // Deflates what is left and hands over the member; false when anything failed.
  bool Finish(DeflatedMember& member);

 private:
  struct Piece;
  struct Job {
    std::unique_ptr<Piece> piece;
    size_t index = 0;
    bool last = false;
  };

  struct Result;

  bool Submit(bool last);
  // A piece to fill: a free one, a new one while fewer than the bound exist,
  // else the first that a worker gives back. Null on failure.
  std::unique_ptr<Piece> TakeFreePiece();
  void StartWorker();
  void Work();
  bool Collect(DeflatedMember& member);
  void StopWorkers();

  const int level_;
  const size_t pieceBytes_;
  const unsigned maxWorkers_;
  // The piece being filled, and how many pieces have been submitted.
  std::unique_ptr<Piece> filling_;
  size_t submitted_ = 0;
  bool failed_ = false;

  std::mutex mutex_;
  std::condition_variable jobReady_;
  std::condition_variable pieceDone_;
  std::deque<Job> jobs_;
  std::vector<std::unique_ptr<Piece>> freePieces_;
  size_t piecesMade_ = 0;
  // Per submitted piece, in order.
  std::deque<Result> results_;
  size_t piecesDone_ = 0;
  bool workFailed_ = false;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};
