// The source a written archive is opened on. libzip reads the members it keeps
// from the file as it stood, through its own source over that file, and writes
// the new archive into a file that the save gives it at the close (the
// temporary file that then replaces the target): neither archive is ever held
// in memory.
#pragma once
#include <zip.h>

#include <cstdio>

struct ArchiveOutput;

// `original` is libzip's source over the archive as it stands, taken over; null
// for a new archive. Null (with `error` set) when memory runs out; `output`
// then stays untouched. `output` lives as long as the source.
zip_source_t* ArchiveOutputSource(zip_source_t* original, ArchiveOutput*& output, zip_error_t* error);

// Where the archive goes when libzip writes it, from the file's start; the
// file is the caller's, and must stay open until the archive is closed.
void WriteArchiveInto(ArchiveOutput& output, std::FILE* file);

// True once libzip's commit wrote the whole archive; false when it failed, or
// removed the archive because no entry was left.
bool ArchiveCommitted(const ArchiveOutput& output);

// Lets go of the file as it stood, which a save must not hold open while it
// replaces it.
void ReleaseOriginal(ArchiveOutput& output);
