#include "platform/windows/unique_name.h"

#include <random>

std::string RandomNameTail() {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::uniform_int_distribution<int> pick(0, sizeof kLetters - 2);
  std::string tail(6, 'X');
  for (char& c : tail) c = kLetters[pick(random)];
  return tail;
}
