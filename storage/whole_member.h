// A member deflated or inflated whole by libdeflate, about twice as fast as zlib
// both ways. libzip keeps the container: it is handed the deflated bytes to copy
// into the archive as they stand, and gives them back as they stand to be
// inflated here.
#pragma once
#include <zip.h>

#include <cstddef>

// A source for zip_file_add with the text deflated at `level` (libdeflate's 1
// to 12), its size and CRC stated; null (the archive's error set) when memory
// runs out. The text may go once this returns.
zip_source_t* DeflatedMemberSource(zip_t* archive, const char* text, size_t size, int level);

enum class WholeMemberRead { Done, Damaged, NotDeflated };

// Inflates the member `name` whole into `text`, which has room for exactly
// `size` bytes, the size the archive states. Damaged when it inflates to any
// other size or its CRC differs; NotDeflated (nothing read) when the member is
// stored, encrypted or otherwise left to libzip's own reading.
WholeMemberRead InflateWholeMember(zip_t* archive, const char* name, char* text, zip_uint64_t size);
