// A member's text deflated as it is written, so that neither the text nor its
// deflated form is ever held whole: the text is cut into pieces of a fixed size
// (at any byte), the pieces are deflated on a few worker threads while the
// caller goes on writing, and each deflated piece is handed on, in order, as
// soon as it and those before it are done.
// Each piece becomes a raw deflate stream of its own that ends on a byte
// boundary without a final block (a sync flush), started with the previous
// piece's last 32 KB as its dictionary; only the last piece ends with a final
// block, so the pieces in order are one deflate stream. ISA-L's deflate rather
// than libdeflate, whose output always ends with a final block.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Takes the next deflated bytes of the member; false once they cannot be kept.
using DeflatedSink = std::function<bool(const char* bytes, size_t size)>;

// What the whole member came to.
struct DeflatedMember {
  uint64_t textSize = 0;
  uint64_t deflatedSize = 0;
  uint32_t crc = 0;
};

class tMemberDeflater {
 public:
  // Pieces of `pieceBytes` (at least the dictionary's 32 KB) deflated at
  // ISA-L's `level` (0 to 3) on up to `workers` threads, handed to `sink` on the
  // caller's thread, from within Append and Finish.
  tMemberDeflater(int level, size_t pieceBytes, unsigned workers, DeflatedSink sink);
  ~tMemberDeflater();
  tMemberDeflater(const tMemberDeflater&) = delete;
  tMemberDeflater& operator=(const tMemberDeflater&) = delete;

  // Adds text at the end. Waits while the pieces in flight are all busy, so
  // the memory stays bounded. False once anything failed (memory, a thread,
  // the deflater, the sink); the member is then lost.
  bool Append(const char* text, size_t length);
  // Deflates what is left and hands it to the sink; false when anything failed.
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
  // A piece to fill once fewer than the bound are in flight (submitted and
  // not yet handed to the sink): a free one, or a new one while fewer than the
  // bound exist. Hands on what is done while it waits. Null on failure.
  std::unique_ptr<Piece> TakeFreePiece();
  // Hands the done pieces at the front to the sink; with `all`, waits for
  // every piece submitted.
  bool HandOver(bool all);
  bool Sink(const char* bytes, size_t size, uint32_t crc, size_t textSize);
  void StartWorker();
  void Work();
  void StopWorkers();

  const int level_;
  const size_t pieceBytes_;
  const unsigned maxWorkers_;
  const DeflatedSink sink_;
  // The piece being filled; how many pieces have been submitted and handed on.
  std::unique_ptr<Piece> filling_;
  size_t submitted_ = 0;
  size_t handedOver_ = 0;
  DeflatedMember member_;
  bool failed_ = false;

  std::mutex mutex_;
  std::condition_variable jobReady_;
  std::condition_variable pieceDone_;
  std::deque<Job> jobs_;
  std::vector<std::unique_ptr<Piece>> freePieces_;
  size_t piecesMade_ = 0;
  // Per piece submitted and not yet handed on, in order.
  std::deque<Result> results_;
  bool workFailed_ = false;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};
