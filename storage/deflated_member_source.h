// A deflated member handed to libzip, which copies its bytes into the archive
// as they stand: libzip writes the container, the deflate is done already.
#pragma once
#include <zip.h>

#include <cstdio>

#include "storage/member_deflater.h"

// A source for zip_file_add stating the member's size, deflated size and CRC,
// whose deflated bytes are read from `deflated` (from its start), a scratch
// file that the source owns and closes. It can be read once. Null (the
// archive's error set, the file closed) when memory runs out.
zip_source_t* DeflatedMemberSource(zip_t* archive, std::FILE* deflated, const DeflatedMember& member);
