#include "platform/registry.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/private_file.h"
#include "platform/native_file.h"
#include "platform/text_conversion.h"
#include "platform/wide_compare.h"

namespace {
constexpr const char* kHeader = "Windows Registry Editor Version 5.00";
constexpr const wchar_t* kRoot = L"HKEY_CLASSES_ROOT";

struct IgnoringCase {
  bool operator()(const std::wstring& a, const std::wstring& b) const { return CompareWideIgnoringCase(a.c_str(), b.c_str()) < 0; }
};
using Values = std::map<std::wstring, std::wstring, IgnoringCase>;
// Every key by its full path. A parent's path sorts before its children's, so
// the file lists each key before the keys below it.
using Keys = std::map<std::wstring, Values, IgnoringCase>;

std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::string& FilePath() {
  static std::string path = [] {
    const char* home = std::getenv("HOME");
    std::error_code error;
    const std::filesystem::path folder = home && *home ? std::filesystem::path(home)
                                                        : std::filesystem::temp_directory_path(error);
    return (folder / ".vexa-registry.reg").string();
  }();
  return path;
}

bool IsBelow(const std::wstring& path, const std::wstring& key) {
  return key.empty() || (path.size() > key.size() && path[key.size()] == L'\\' &&
                         CompareWideIgnoringCase(path.c_str(), key.c_str(), key.size()) == 0);
}

std::string Quoted(const std::wstring& text) {
  std::wstring quoted = L"\"";
  for (wchar_t c : text) {
    if (c == L'"' || c == L'\\') quoted += L'\\';
    quoted += c;
  }
  return Utf8FromWide(quoted + L"\"");
}

// Reads a quoted string starting at `at`; moves `at` behind it.
bool ReadQuoted(const std::wstring& line, size_t& at, std::wstring& text) {
  if (at >= line.size() || line[at] != L'"') return false;
  text.clear();
  for (++at; at < line.size(); ++at) {
    if (line[at] == L'"') return ++at, true;
    if (line[at] == L'\\' && at + 1 < line.size()) ++at;
    text += line[at];
  }
  return false;
}

// One value line: @="value" or "name"="value".
bool ReadValue(const std::wstring& line, std::wstring& name, std::wstring& value) {
  size_t at = 0;
  name.clear();
  if (line.compare(0, 1, L"@") == 0) ++at;
  else if (!ReadQuoted(line, at, name)) return false;
  if (at >= line.size() || line[at] != L'=') return false;
  ++at;
  return ReadQuoted(line, at, value) && at == line.size();
}

HRESULT Load(Keys& keys) {
  std::ifstream file(FileSystemPath(FilePath()));
  if (!file) return std::filesystem::exists(FileSystemPath(FilePath())) ? REGDB_E_READREGDB : S_OK;
  const std::wstring rootPrefix = std::wstring(kRoot) + L"\\";
  Values* current = nullptr;
  std::string narrow;
  while (std::getline(file, narrow)) {
    if (!narrow.empty() && narrow.back() == '\r') narrow.pop_back();
    if (narrow.empty() || narrow[0] == ';' || narrow == kHeader) continue;
    const std::wstring line = WideFromUtf8(narrow);
    std::wstring name, value;
    if (line.front() == L'[' && line.back() == L']') {
      const std::wstring path = line.substr(1, line.size() - 2);
      if (CompareWideIgnoringCase(path.c_str(), rootPrefix.c_str(), rootPrefix.size()) != 0) return REGDB_E_READREGDB;
      current = &keys[path.substr(rootPrefix.size())];
    } else if (current && ReadValue(line, name, value)) {
      (*current)[name] = value;
    } else {
      return REGDB_E_READREGDB;
    }
  }
  return S_OK;
}

// The file is UTF-8. It is written under a new name beside itself and renamed
// over itself, so that a reader never sees half a registry.
HRESULT Store(const Keys& keys) {
  std::ostringstream file;
  file << kHeader << "\n";
  for (const auto& [key, values] : keys) {
    file << "\n[" << Utf8FromWide(kRoot) << "\\" << Utf8FromWide(key) << "]\n";
    for (const auto& [name, value] : values)
      file << (name.empty() ? std::string("@") : Quoted(name)) << "=" << Quoted(value) << "\n";
  }
  return WriteReplacingEntry(FilePath(), file.str()) ? S_OK : REGDB_E_WRITEREGDB;
}

void AddWithParents(Keys& keys, const std::wstring& key) {
  for (size_t slash = key.find(L'\\'); slash != std::wstring::npos; slash = key.find(L'\\', slash + 1))
    keys[key.substr(0, slash)];
  keys[key];
}

// Runs `change` on the loaded keys and writes them back when it succeeded.
template <class Change>
HRESULT Update(Change change) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Keys keys;
  if (HRESULT hr = Load(keys); FAILED(hr)) return hr;
  const HRESULT hr = change(keys);
  if (FAILED(hr)) return hr;
  const HRESULT stored = Store(keys);
  return FAILED(stored) ? stored : hr;
}

template <class Read>
HRESULT Inspect(Read read) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  Keys keys;
  if (HRESULT hr = Load(keys); FAILED(hr)) return hr;
  return read(keys);
}
}  // namespace

void SetRegistryFile(const std::string& path) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  FilePath() = path;
}

std::string RegistryFile() {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  return FilePath();
}

HRESULT RegistryCreateKey(const std::wstring& key) {
  return Update([&](Keys& keys) {
    AddWithParents(keys, key);
    return S_OK;
  });
}

HRESULT RegistrySetValue(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  return Update([&](Keys& keys) {
    AddWithParents(keys, key);
    keys[key][name] = value;
    return S_OK;
  });
}

HRESULT RegistryQueryValue(const std::wstring& key, const std::wstring& name, std::wstring& value) {
  return Inspect([&](const Keys& keys) {
    const auto found = keys.find(key);
    if (found == keys.end()) return REGDB_E_KEYMISSING;
    const auto named = found->second.find(name);
    if (named == found->second.end()) return REGDB_E_KEYMISSING;
    value = named->second;
    return S_OK;
  });
}

HRESULT RegistrySubKeys(const std::wstring& key, std::vector<std::wstring>& names) {
  return Inspect([&](const Keys& keys) {
    if (!key.empty() && keys.find(key) == keys.end()) return REGDB_E_KEYMISSING;
    names.clear();
    const size_t skip = key.empty() ? 0 : key.size() + 1;
    for (const auto& entry : keys) {
      const std::wstring& path = entry.first;
      if (IsBelow(path, key) && path.find(L'\\', skip) == std::wstring::npos) names.push_back(path.substr(skip));
    }
    return S_OK;
  });
}

HRESULT RegistryDeleteTree(const std::wstring& key) {
  if (key.empty()) return E_INVALIDARG;
  return Update([&](Keys& keys) {
    const size_t before = keys.size();
    for (auto entry = keys.begin(); entry != keys.end();) {
      if (IsBelow(entry->first, key) || CompareWideIgnoringCase(entry->first.c_str(), key.c_str()) == 0) entry = keys.erase(entry);
      else ++entry;
    }
    return keys.size() == before ? S_FALSE : S_OK;
  });
}
