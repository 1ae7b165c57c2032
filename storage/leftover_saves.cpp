#include "storage/leftover_saves.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "platform/file_replace.h"
#include "platform/native_file.h"

namespace fs = std::filesystem;

namespace {
constexpr size_t kRandomLength = 6;
// The end-of-central-directory record: 22 bytes and a comment of up to 65,535.
constexpr std::streamoff kDirectoryEndSearch = 22 + 65535;

// `name` is `prefix` followed by exactly six letters or digits.
bool IsRandomTail(const std::string& name, const std::string& prefix) {
  if (name.size() != prefix.size() + kRandomLength || name.compare(0, prefix.size(), prefix) != 0) return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

bool IsUnfinishedArchive(const fs::path& file) {
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size == 0) return true;
  std::string head(2, '\0');
  in.seekg(0);
  if (!in.read(head.data(), 2) || head != "PK") return false;
  const std::streamoff start = std::max<std::streamoff>(0, size - kDirectoryEndSearch);
  std::string tail(static_cast<size_t>(size - start), '\0');
  in.seekg(start);
  if (!in.read(tail.data(), static_cast<std::streamsize>(tail.size()))) return false;
  return tail.find(std::string("PK\x05\x06", 4)) == std::string::npos;
}
}  // namespace

void RemoveLeftoverSaves(const std::string& path) {
  const fs::path target = FileSystemPath(ResolvedPath(path));
  const std::string name = target.filename().u8string();
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string extension = target.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(), [](char c) { return std::tolower(c); });
  const bool archive = extension == ".zip";
  std::error_code error;
  std::vector<std::string> candidates;
  if (!FolderEntryNames(folder.u8string(), candidates)) return;
  for (const std::string& candidate : candidates) {
    const fs::path entry = folder / FileSystemPath(candidate);
    if (!fs::is_regular_file(fs::symlink_status(entry, error)) || error) continue;
    const bool leftover = IsRandomTail(candidate, name + kSavingSuffix) ||
                          IsRandomTail(candidate, name + kBackupSuffix + kSavingSuffix) ||
                          (archive && candidate != name + kBackupSuffix && IsRandomTail(candidate, name + ".") &&
                           IsUnfinishedArchive(entry));
    if (leftover) RemoveAbandonedSaveFile(entry.u8string());
  }
}
