// Helpers shared by the tests: trace capture and scratch files.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "platform/trace.h"
#include "store/attribute.h"

// Collects every trace while alive.
class TraceCapture {
 public:
  TraceCapture();
  ~TraceCapture();
  const std::vector<std::string>& Lines() const { return lines_; }
  bool Contains(const std::string& text) const;

 private:
  std::vector<std::string> lines_;
};

// A fresh directory under the system's temporary folder, removed with its contents.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  std::string Path(const std::string& name) const;

 private:
  std::string root_;
};

void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);
// The same through the C library's text mode, which reads CR LF as LF on Windows.
std::string ReadTextModeFile(const std::string& path);

using ArchiveMembers = std::vector<std::pair<std::string, std::string>>;
// Writes and reads zip archives with libzip directly, bypassing the archive
// component; members `stored` uncompressed, so that a test can find and damage their bytes.
void WriteArchive(const std::string& path, const ArchiveMembers& members, bool stored = false);
ArchiveMembers ReadArchive(const std::string& path);

// One line per node, "name=value", indented by depth.
std::string Dump(tAtrribute* node, int depth = 0);

#include "platform/bstr.h"

// An automation string, from UTF-8, for the duration of a call.
class Bstr {
 public:
  explicit Bstr(const std::string& text);
  ~Bstr() { SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  operator BSTR() const { return text_; }

 private:
  BSTR text_;
};
