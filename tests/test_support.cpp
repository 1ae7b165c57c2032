#include "tests/test_support.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/text_conversion.h"

TraceCapture::TraceCapture() {
  SetTraceSink([this](const std::string& line) { lines_.push_back(line); });
}

TraceCapture::~TraceCapture() { SetTraceSink(nullptr); }

bool TraceCapture::Contains(const std::string& text) const {
  for (const auto& line : lines_)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

ScratchDir::ScratchDir() {
  std::random_device random;
  auto dir = std::filesystem::temp_directory_path() / ("vexa-test-" + std::to_string(random()));
  std::filesystem::create_directories(dir);
  root_ = dir.string();
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

std::string ScratchDir::Path(const std::string& name) const { return root_ + "/" + name; }

void WriteTextFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string ReadTextModeFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteArchive(const std::string& path, const ArchiveMembers& members, bool stored) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(archive, nullptr);
  for (const auto& [name, text] : members) {
    zip_source_t* source = zip_source_buffer(archive, text.data(), text.size(), 0);
    const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
    ASSERT_GE(index, 0);
    if (stored) zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
  }
  ASSERT_EQ(zip_close(archive), 0);
}

ArchiveMembers ReadArchive(const std::string& path) {
  ArchiveMembers members;
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
  if (!archive) return members;
  for (zip_int64_t i = 0, count = zip_get_num_entries(archive, 0); i < count; ++i) {
    zip_stat_t stat;
    zip_stat_index(archive, i, 0, &stat);
    std::string data(stat.size, '\0');
    if (zip_file_t* file = zip_fopen_index(archive, i, 0)) {
      zip_fread(file, data.data(), data.size());
      zip_fclose(file);
    }
    members.emplace_back(stat.name, data);
  }
  zip_discard(archive);
  return members;
}

std::string Dump(tAtrribute* node, int depth) {
  std::string out = std::string(depth, ' ') + node->name.c_str() + "=" + node->value.c_str() + "\n";
  node->BeginChildren();
  while (tAtrribute* child = node->NextChild()) out += Dump(child, depth + 1);
  return out;
}

Bstr::Bstr(const std::string& text) : text_(SysAllocString(WideFromUtf8(text).c_str())) {}
