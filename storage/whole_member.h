// A member inflated whole by libdeflate, about twice as fast as zlib. libzip
// keeps the container: it gives the deflated bytes back as they stand to be
// inflated here.
#pragma once
#include <zip.h>

#include <cstddef>

enum class WholeMemberRead { Done, Damaged, NotDeflated };

// Inflates the member `name` whole into `text`, which has room for exactly
// `size` bytes, the size the archive states. Damaged when it inflates to any
// other size or its CRC differs; NotDeflated (nothing read) when the member is
// stored, encrypted or otherwise left to libzip's own reading.
WholeMemberRead InflateWholeMember(zip_t* archive, const char* name, char* text, zip_uint64_t size);
