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
  std::unique_ptr<char[]> bytes;
  size_t size = 0;
  uint32_t crc = 0;
  size_t textSize = 0;
  bool done = false;
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
  // block when `last`, into a new block of `out`.
  bool Deflate(const char* dictionary, size_t dictionarySize, const char* text, size_t size, bool last,
               std::unique_ptr<char[]>& out, size_t& outSize) {
    if (!ready_ || deflateReset(&stream_) != Z_OK) return false;
    if (dictionarySize &&
        deflateSetDictionary(&stream_, reinterpret_cast<const Bytef*>(dictionary), static_cast<uInt>(dictionarySize)) !=
            Z_OK)
      return false;
    // A sync flush adds an empty stored block beyond the bound: 5 bytes and the bits before it.
    const size_t bound = deflateBound(&stream_, static_cast<uLong>(size)) + 16;
    out.reset(new (std::nothrow) char[bound]);
    if (!out) return false;
    stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text));
    stream_.avail_in = static_cast<uInt>(size);
    stream_.next_out = reinterpret_cast<Bytef*>(out.get());
    stream_.avail_out = static_cast<uInt>(bound);
    const int status = deflate(&stream_, last ? Z_FINISH : Z_SYNC_FLUSH);
    // A flush is complete when room is left over.
    const bool complete = last ? status == Z_STREAM_END : status == Z_OK && stream_.avail_out > 0;
    outSize = bound - stream_.avail_out;
    return complete && stream_.avail_in == 0;
  }

 private:
  z_stream stream_{};
  bool ready_ = false;
};
}  // namespace

tMemberDeflater::tMemberDeflater(int level, size_t pieceBytes, unsigned workers, DeflatedSink sink)
    : level_(level),
      pieceBytes_(std::max(pieceBytes, kDictionaryBytes)),
      maxWorkers_(std::max(workers, 1u)),
      sink_(std::move(sink)) {}

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
    std::unique_ptr<char[]> bytes;
    size_t size = 0;
    if (!stream.Deflate(nullptr, 0, filling_->Text(), filling_->textSize, true, bytes, size) ||
        !Sink(bytes.get(), size, libdeflate_crc32(0, filling_->Text(), filling_->textSize), filling_->textSize))
      return false;
  } else if (!Submit(true) || !HandOver(true)) {
    return false;
  }
  StopWorkers();
  member = member_;
  return true;
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
  for (bool taken = false; !taken;) {
    if (!HandOver(false)) return nullptr;
    std::unique_lock<std::mutex> lock(mutex_);
    const auto canTake = [&] { return submitted_ - handedOver_ < bound - 1 && (!freePieces_.empty() || piecesMade_ < bound); };
    pieceDone_.wait(lock, [&] { return workFailed_ || canTake() || (!results_.empty() && results_.front().done); });
    if (workFailed_) {
      failed_ = true;
      return nullptr;
    }
    if (!canTake()) continue;
    if (!freePieces_.empty()) {
      piece = std::move(freePieces_.back());
      freePieces_.pop_back();
    } else {
      ++piecesMade_;
    }
    taken = true;
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

bool tMemberDeflater::HandOver(bool all) {
  while (!failed_) {
    Result result;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (all) pieceDone_.wait(lock, [&] { return workFailed_ || results_.empty() || results_.front().done; });
      if (workFailed_) failed_ = true;
      if (failed_ || results_.empty() || !results_.front().done) break;
      result = std::move(results_.front());
      results_.pop_front();
      ++handedOver_;
    }
    if (!Sink(result.bytes.get(), result.size, result.crc, result.textSize)) break;
  }
  return !failed_;
}

bool tMemberDeflater::Sink(const char* bytes, size_t size, uint32_t crc, size_t textSize) {
  if (!sink_(bytes, size)) {
    failed_ = true;
    return false;
  }
  member_.crc = static_cast<uint32_t>(crc32_combine(member_.crc, crc, static_cast<z_off_t>(textSize)));
  member_.textSize += textSize;
  member_.deflatedSize += size;
  return true;
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
    Result done;
    const bool deflated = stream.Deflate(piece.Text() - piece.dictionarySize, piece.dictionarySize, piece.Text(),
                                         piece.textSize, job.last, done.bytes, done.size);
    done.crc = deflated ? libdeflate_crc32(0, piece.Text(), piece.textSize) : 0;
    done.textSize = piece.textSize;
    done.done = true;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      results_[job.index - handedOver_] = std::move(done);
      workFailed_ = workFailed_ || !deflated;
      try {
        freePieces_.push_back(std::move(job.piece));
      } catch (const std::bad_alloc&) {
        --piecesMade_;
      }
    }
    pieceDone_.notify_all();
  }
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
