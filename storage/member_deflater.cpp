#include "storage/member_deflater.h"

#include <isa-l/igzip_lib.h>
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
// One raw deflate stream of ISA-L, set up anew for each piece a thread
// deflates. ISA-L rather than zlib: at its level 1 it takes a quarter of
// zlib's level-1 time (half on 32-bit, where it has no assembly) for a
// slightly smaller member, and it has the flush and dictionary that pieces need.
class PieceStream {
 public:
  explicit PieceStream(int level) : level_(static_cast<uint32_t>(std::clamp(level, 0, ISAL_DEF_MAX_LEVEL))) {
    levelBufferSize_ = LevelBufferBytes(level_);
    if (levelBufferSize_) levelBuffer_.reset(new (std::nothrow) uint8_t[levelBufferSize_]);
  }

  // The text after the dictionary, ended by a sync flush (an empty stored
  // block: byte-aligned, not final), or by the final block when `last`; the
  // bytes are copied out at their exact size, so that the room to deflate into
  // is reused rather than made anew (and its pages brought in) for every piece.
  bool Deflate(const char* dictionary, size_t dictionarySize, const char* text, size_t size, bool last,
               std::unique_ptr<char[]>& out, size_t& outSize) {
    if (!stream_ || (levelBufferSize_ && !levelBuffer_)) return false;
    isal_deflate_init(stream_.get());
    stream_->level = level_;
    stream_->level_buf = levelBuffer_.get();
    stream_->level_buf_size = static_cast<uint32_t>(levelBufferSize_);
    stream_->flush = SYNC_FLUSH;
    stream_->end_of_stream = last ? 1 : 0;
    if (dictionarySize &&
        isal_deflate_set_dict(stream_.get(), reinterpret_cast<uint8_t*>(const_cast<char*>(dictionary)),
                              static_cast<uint32_t>(dictionarySize)) != COMP_OK)
      return false;
    // At worst stored blocks: 5 bytes per 64 KB, the flush's empty block, the bits before it.
    const size_t bound = size + (size / 16384 + 1) * 5 + 1024;
    if (scratchSize_ < bound) {
      scratch_.reset(new (std::nothrow) char[bound]);
      scratchSize_ = scratch_ ? bound : 0;
      if (!scratch_) return false;
    }
    stream_->next_in = reinterpret_cast<uint8_t*>(const_cast<char*>(text));
    stream_->avail_in = static_cast<uint32_t>(size);
    stream_->next_out = reinterpret_cast<uint8_t*>(scratch_.get());
    stream_->avail_out = static_cast<uint32_t>(scratchSize_);
    // Done once all the text is in and room is left over.
    if (isal_deflate(stream_.get()) != COMP_OK || stream_->avail_in != 0 || stream_->avail_out == 0) return false;
    outSize = scratchSize_ - stream_->avail_out;
    out.reset(new (std::nothrow) char[outSize ? outSize : 1]);
    if (!out) return false;
    std::memcpy(out.get(), scratch_.get(), outSize);
    return true;
  }

 private:
  static size_t LevelBufferBytes(uint32_t level) {
    switch (level) {
      case 0: return ISAL_DEF_LVL0_DEFAULT;
      case 1: return ISAL_DEF_LVL1_DEFAULT;
      case 2: return ISAL_DEF_LVL2_DEFAULT;
      default: return ISAL_DEF_LVL3_DEFAULT;
    }
  }

  const uint32_t level_;
  std::unique_ptr<isal_zstream> stream_{new (std::nothrow) isal_zstream};
  std::unique_ptr<uint8_t[]> levelBuffer_;
  size_t levelBufferSize_ = 0;
  std::unique_ptr<char[]> scratch_;
  size_t scratchSize_ = 0;
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
