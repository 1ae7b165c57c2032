#include "platform/windows/unique_name.h"

#include <random>
#include <utility>

#include "platform/text_conversion.h"

namespace {
std::string RandomNameTail() {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::uniform_int_distribution<int> pick(0, sizeof kLetters - 2);
  std::string tail(6, 'X');
  for (char& c : tail) c = kLetters[pick(random)];
  return tail;
}
}  // namespace

HANDLE CreateUniquelyNamedFile(const std::string& prefix, DWORD access, DWORD flags, std::wstring& name) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::wstring candidate = WideFromUtf8(prefix + RandomNameTail());
    const HANDLE file = CreateFileW(candidate.c_str(), access, 0, nullptr, CREATE_NEW, flags, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      name = std::move(candidate);
      return file;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}
