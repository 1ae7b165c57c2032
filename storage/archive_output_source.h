// The source a written archive is opened on. libzip reads the members it keeps
// from the file as it stood, through its own source over that file, and writes
// the new archive into a scratch file, which the save then copies into place:
// neither archive is ever held in memory.
#pragma once
#include <zip.h>

#include <cstdio>

struct ArchiveOutput;

// `original` is libzip's source over the archive as it stands, taken over; null
// for a new archive. Null (with `error` set) when memory runs out; `output`
// then stays untouched. `output` lives as long as the source.
zip_source_t* ArchiveOutputSource(zip_source_t* original, ArchiveOutput*& output, zip_error_t* error);

// The archive that libzip's commit wrote, positioned at its start; null when
// none was committed or libzip removed the archive because no entry was left.
std::FILE* CommittedArchive(ArchiveOutput& output);

// Lets go of the file as it stood, which a save must not hold open while it
// replaces it.
void ReleaseOriginal(ArchiveOutput& output);
