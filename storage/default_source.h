// The process-wide default configuration source: no tree, made on first demand.
// A query engine is bound to it until its configuration object opens a file.
#pragma once
#include "storage/config_source.h"

tConfigSource* DefaultConfigSource();
