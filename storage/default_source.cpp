#include "storage/default_source.h"

tConfigSource* DefaultConfigSource() {
  static tConfigSource source;
  return &source;
}
