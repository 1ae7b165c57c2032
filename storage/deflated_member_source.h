// A deflated member handed to libzip, which copies its bytes into the archive
// as they stand: libzip writes the container, the deflate is done already.
#pragma once
#include <zip.h>

#include "storage/member_deflater.h"

// A source for zip_file_add stating the member's size, deflated size and CRC.
// It can be read once: each piece is freed as soon as libzip has copied it.
// Null (the archive's error set) when memory runs out.
zip_source_t* DeflatedMemberSource(zip_t* archive, DeflatedMember&& member);
