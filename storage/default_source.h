// The process-wide default configuration source: no tree, made on first demand.
// A query engine is bound to it until its configuration object opens a file.
// Its users hold counted references, so it lives exactly as long as some engine
// is bound to it, and the next demand after that makes it anew.
#pragma once
#include <memory>

#include "storage/config_source.h"

std::shared_ptr<tConfigSource> AcquireDefaultConfigSource();
