#include "storage/text_pieces.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {
// The first piece when the input gives no size: most inputs are small.
constexpr size_t kFirstUnknownPieceBytes = size_t{64} << 10;

// The room for the next piece: what is left of the expected size (with the
// carried partial line, and a byte to see the end by), within a piece.
size_t NextRoom(unsigned long long expected, unsigned long long total, size_t carried, size_t pieceBytes) {
  const unsigned long long left = expected > total ? expected - total : 0;
  const unsigned long long unknown = total ? pieceBytes : kFirstUnknownPieceBytes;
  const unsigned long long wanted = (left ? left + 1 : unknown) + carried;
  return static_cast<size_t>(std::min<unsigned long long>(wanted, std::max(pieceBytes, 2 * carried)));
}

PiecesRead ReadPieces(const PieceSource& read, unsigned long long expected, std::vector<TextPiece>& pieces,
                      unsigned long long& total, size_t pieceBytes, const PieceReady& ready) {
  auto keep = [&](TextPiece& piece) {
    pieces.push_back(std::move(piece));
    if (ready) ready(pieces.back());
  };
  pieces.clear();
  total = 0;
  TextPiece current;
  size_t room = NextRoom(expected, 0, 0, pieceBytes);
  current.text = PageBlock(room + 1);
  if (!current.text) return PiecesRead::OutOfMemory;
  for (;;) {
    const long long n = read(current.text.get() + current.length, room - current.length);
    if (n < 0) return PiecesRead::ReadFailed;
    current.length += static_cast<size_t>(n);
    total += static_cast<unsigned long long>(n);
    if (n == 0) break;
    if (current.length < room) continue;
    // Full: the partial line behind the last line feed moves to the next piece;
    // a piece without any line feed grows instead.
    const char* end = current.text.get() + current.length;
    const char* lastFeed = end;
    while (lastFeed > current.text.get() && lastFeed[-1] != '\n') --lastFeed;
    const size_t carried = lastFeed > current.text.get() ? static_cast<size_t>(end - lastFeed) : current.length;
    TextPiece next;
    room = NextRoom(expected, total, carried, pieceBytes);
    next.text = PageBlock(room + 1);
    if (!next.text) return PiecesRead::OutOfMemory;
    std::memcpy(next.text.get(), end - carried, carried);
    next.length = carried;
    current.length -= carried;
    if (current.length > 0) keep(current);
    current = std::move(next);
  }
  if (current.length > 0) keep(current);
  return PiecesRead::Done;
}
}  // namespace

PiecesRead ReadTextPieces(const PieceSource& read, unsigned long long expected, std::vector<TextPiece>& pieces,
                          unsigned long long& total, size_t pieceBytes, const PieceReady& ready) {
  try {
    return ReadPieces(read, expected, pieces, total, pieceBytes, ready);
  } catch (const std::bad_alloc&) {
    return PiecesRead::OutOfMemory;
  }
}
