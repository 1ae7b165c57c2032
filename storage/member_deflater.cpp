#include "storage/member_deflater.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <system_error>

namespace {
// The most that deflate looks back.
constexpr size_t kDictionaryBytes = 32 * 1024;
}  // namespace

// The piece's text follows room for the dictionary, which holds the previous
// piece's last bytes just before the text.
struct tMemberDeflater::Piece {
  std::unique_ptr<char[]> buffer;
  size_t dictionarySize = 0;
  size_t textSize = 0;

  char* Text() const { return buffer.get() + kDictionaryBytes; }
};

struct tMemberDeflater::Result {
  DeflatedPiece deflated;
  uint32_t crc = 0;
  size_t textSize = 0;
};

namespace {
// One raw deflate stream, reset for each piece a thread deflates.
class PieceStream {
 public:
  explicit PieceStream(int level) { ready_ = deflateInit2(&stream_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK; }
  ~PieceStream() {
    if (ready_) deflateEnd(&stream_);
  }
  PieceStream(const PieceStream&) = delete;
  PieceStream& operator=(const PieceStream&) = delete;

  // The text after the dictionary, ended by a sync flush, or by the final
  // block when `last`; the bytes are copied out at their exact size.
  bool Deflate(const char* dictionary, size_t dictionarySize, const char* text, size_t size, bool last,
               DeflatedPiece& out) {
    if (!ready_ || deflateReset(&stream_) != Z_OK) return false;
    if (dictionarySize &&
        deflateSetDictionary(&stream_, reinterpret_cast<const Bytef*>(dictionary), static_cast<uInt>(dictionarySize)) !=
            Z_OK)
      return false;
    // A sync flush adds an empty stored block beyond the bound: 5 bytes and the bits before it.
    const size_t bound = deflateBound(&stream_, static_cast<uLong>(size)) + 16;
    if (scratchSize_ < bound) {
      scratch_.reset(new (std::nothrow) char[bound]);
      scratchSize_ = scratch_ ? bound : 0;
      if (!scratch_) return false;
    }
    stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text));
    stream_.avail_in = static_cast<uInt>(size);
    stream_.next_out = reinterpret_cast<Bytef*>(scratch_.get());
    stream_.avail_out = static_cast<uInt>(scratchSize_);
    const int status = deflate(&stream_, last ? Z_FINISH : Z_SYNC_FLUSH);
    // A flush is complete when room is left over.
    const bool complete = last ? status == Z_STREAM_END : status == Z_OK && stream_.avail_out > 0;
    if (!complete || stream_.avail_in != 0) return false;
    out.size = scratchSize_ - stream_.avail_out;
    out.bytes.reset(new (std::nothrow) char[out.size ? out.size : 1]);
    if (!out.bytes) return false;
    std::memcpy(out.bytes.get(), scratch_.get(), out.size);
    return true;
  }

 private:
  z_stream stream_{};
  bool ready_ = false;
  std::unique_ptr<char[]> scratch_;
  size_t scratchSize_ = 0;
};
}  // namespace

tMemberDeflater::tMemberDeflater(int level, size_t pieceBytes, unsigned workers)
    : level_(level), pieceBytes_(std::max(pieceBytes, kDictionaryBytes)), maxWorkers_(std::max(workers, 1u)) {}

tMemberDeflater::~tMemberDeflater() { StopWorkers(); }

bool tMemberDeflater::Append(const char* text, size_t length) {
  while (length > 0 && !failed_) {
    if (!filling_ && !(filling_ = TakeFreePiece())) break;
    const size_t count = std::min(length, pieceBytes_ - filling_->textSize);
    std::memcpy(filling_->Text() + filling_->textSize, text, count);
    filling_->textSize += count;
    text += count;
    length -= count;
    if (filling_->textSize == pieceBytes_ && !Submit(false)) break;
  }
  return !failed_ && length == 0;
}

bool tMemberDeflater::Finish(DeflatedMember& member) {
  if (failed_ || (!filling_ && !(filling_ = TakeFreePiece()))) return false;
  // A member of one piece is deflated here, without starting a thread.
  if (submitted_ == 0) {
    PieceStream stream(level_);
    DeflatedPiece piece;
    if (!stream.Deflate(nullptr, 0, filling_->Text(), filling_->textSize, true, piece)) return false;
    member = DeflatedMember();
    member.textSize = filling_->textSize;
    member.deflatedSize = piece.size;
    member.crc = libdeflate_crc32(0, filling_->Text(), filling_->textSize);
    member.pieces.push_back(std::move(piece));
    return true;
  }
  return Submit(true) && Collect(member);
}

bool tMemberDeflater::Submit(bool last) {
  try {
    std::unique_ptr<Piece> next;
    if (!last) {
      if (!(next = TakeFreePiece())) return false;
      next->dictionarySize = std::min(kDictionaryBytes, filling_->textSize);
      std::memcpy(next->Text() - next->dictionarySize, filling_->Text() + filling_->textSize - next->dictionarySize,
                  next->dictionarySize);
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      results_.emplace_back();
      jobs_.push_back({std::move(filling_), submitted_++, last});
    }
    jobReady_.notify_one();
    if (workers_.size() < maxWorkers_) StartWorker();
    filling_ = std::move(next);
  } catch (const std::bad_alloc&) {
    failed_ = true;
  }
  if (workers_.empty()) failed_ = true;
  return !failed_;
}

std::unique_ptr<tMemberDeflater::Piece> tMemberDeflater::TakeFreePiece() {
  // One piece filling, one per worker being deflated and one waiting for a worker.
  const size_t bound = maxWorkers_ + 2;
  std::unique_ptr<Piece> piece;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    pieceDone_.wait(lock, [&] { return workFailed_ || !freePieces_.empty() || piecesMade_ < bound; });
    if (workFailed_) {
      failed_ = true;
      return nullptr;
    }
    if (!freePieces_.empty()) {
      piece = std::move(freePieces_.back());
      freePieces_.pop_back();
    } else {
      ++piecesMade_;
    }
  }
  if (!piece) {
    piece.reset(new (std::nothrow) Piece);
    if (piece) piece->buffer.reset(new (std::nothrow) char[kDictionaryBytes + pieceBytes_]);
    if (!piece || !piece->buffer) {
      failed_ = true;
      return nullptr;
    }
  }
  piece->dictionarySize = piece->textSize = 0;
  return piece;
}

void tMemberDeflater::StartWorker() {
  try {
    workers_.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    // Fewer workers: the ones running take every piece.
  }
}

void tMemberDeflater::Work() {
  PieceStream stream(level_);
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      jobReady_.wait(lock, [&] { return stopping_ || !jobs_.empty(); });
      if (stopping_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    const Piece& piece = *job.piece;
    DeflatedPiece deflated;
    const bool done = stream.Deflate(piece.Text() - piece.dictionarySize, piece.dictionarySize, piece.Text(),
                                     piece.textSize, job.last, deflated);
    const uint32_t crc = done ? libdeflate_crc32(0, piece.Text(), piece.textSize) : 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      Result& result = results_[job.index];
      result = {std::move(deflated), crc, piece.textSize};
      ++piecesDone_;
      workFailed_ = workFailed_ || !done;
      try {
        freePieces_.push_back(std::move(job.piece));
      } catch (const std::bad_alloc&) {
        --piecesMade_;
      }
    }
    pieceDone_.notify_all();
  }
}

// Waits for every piece, then joins them in order and combines their CRCs.
bool tMemberDeflater::Collect(DeflatedMember& member) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    pieceDone_.wait(lock, [&] { return workFailed_ || piecesDone_ == results_.size(); });
    if (workFailed_) return false;
  }
  StopWorkers();
  member = DeflatedMember();
  try {
    for (Result& result : results_) {
      member.crc = static_cast<uint32_t>(
          crc32_combine(member.crc, result.crc, static_cast<z_off_t>(result.textSize)));
      member.textSize += result.textSize;
      member.deflatedSize += result.deflated.size;
      member.pieces.push_back(std::move(result.deflated));
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  results_.clear();
  return true;
}

void tMemberDeflater::StopWorkers() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  jobReady_.notify_all();
  for (std::thread& worker : workers_) worker.join();
  workers_.clear();
}
