#include "tests/test_support.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

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
