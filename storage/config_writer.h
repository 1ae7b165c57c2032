// The canonical text of a tree, as a save writes it.
#pragma once
#include "platform/file_replace.h"
#include "store/attribute.h"

// Gives the text to `write` in pieces of a few hundred kilobytes, each followed
// by a NUL; false once a piece could not be written or memory ran out.
bool WriteConfigText(tAtrribute* root, const ContentWriter& write);
