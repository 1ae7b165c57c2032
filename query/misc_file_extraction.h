// Extraction of a file kept in the "VEXA/MISC/" folder of a configuration archive.
#pragma once
#include "store/tstring.h"

// Extracts the member "VEXA/MISC/" + fileName of the archive at archivePath into
// the temporary folder; fullPath receives the path of the extracted file.
HRESULT ExtractMiscFile(const char* archivePath, const char* fileName, tString& fullPath);
