// A loaded configuration text, held in pieces of bounded size rather than one
// block of the file's size: a fragmented address space (a 32-bit process) can
// hold many pieces where it has no room for the whole. Each piece ends at a
// line end (or at the end of the input), so that every line stands whole in
// one piece, where the tree's names and values are read in place.
#pragma once
#include <cstddef>
#include <functional>
#include <vector>

#include "platform/page_block.h"

struct TextPiece {
  // `length` bytes of text, and one writable byte behind them.
  PageBlock text;
  size_t length = 0;
};

// The most a piece holds, unless one line is longer.
inline constexpr size_t kTextPieceBytes = size_t{32} << 20;

enum class PiecesRead { Done, ReadFailed, OutOfMemory };

// Fills up to `room` bytes of `buffer`: the count read, 0 at the end of the
// input, negative on a failure.
using PieceSource = std::function<long long(char* buffer, size_t room)>;
// Gets each piece as soon as it is whole, while the next is read.
using PieceReady = std::function<void(TextPiece& piece)>;

// Reads the whole input into `pieces` of at most `pieceBytes` (unless a line is
// longer), with `total` the bytes read. `expected` (0 when unknown) is what the
// input says it holds: it sizes the pieces, so a small input takes a small
// piece, but is never trusted beyond one piece.
PiecesRead ReadTextPieces(const PieceSource& read, unsigned long long expected, std::vector<TextPiece>& pieces,
                          unsigned long long& total, size_t pieceBytes = kTextPieceBytes,
                          const PieceReady& ready = nullptr);
