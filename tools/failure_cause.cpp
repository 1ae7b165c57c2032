#include "tools/failure_cause.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/native_file.h"
#include "platform/trace_scope.h"
#include "storage/file_path.h"

namespace {
bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string FirstLine(const std::string& path) {
  std::FILE* file = OpenNativeFile(path, "rb");
  if (!file) return "";
  std::string line;
  for (int c; (c = std::fgetc(file)) != EOF && c != '\n' && line.size() < 60;)
    line += std::isprint(static_cast<unsigned char>(c)) || (c & 0x80) ? static_cast<char>(c) : c == '\r' ? '\0' : '?';
  std::fclose(file);
  line.erase(std::remove(line.begin(), line.end(), '\0'), line.end());
  return line.size() == 60 ? line + "..." : line;
}

std::string Lowercase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Lowered(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

// The reason libzip gave, the text after the last ": " of the archive trace.
std::string ArchiveReason(const std::vector<std::string>& traces) {
  for (const std::string& trace : traces)
    if (trace.rfind("ZlibObj: cannot open", 0) == 0) return Lowered(trace.substr(trace.rfind(": ") + 2));
  return "";
}
}  // namespace

std::string StatementFailureCause(const std::string& statement, HRESULT hr, const std::vector<std::string>& traces) {
  std::string cause = TracedCause(traces, statement);
  if (!cause.empty()) return cause;
  const size_t start = statement.find_first_not_of(" \t");
  if (start == std::string::npos) return "empty statement";
  const std::string word = statement.substr(start, statement.find_first_of(" \t", start) - start);
  const std::string lower = Lowercase(statement), keyword = Lowercase(word);
  if (hr == E_INVALIDARG) {
    if (keyword == "commit") return "commit is no statement; saving commits every table";
    return "unknown statement '" + word + "' (select, update, delete, create, drop or sort)";
  }
  // The grammar of select, create, drop and sort fails without a trace.
  if (keyword == "select")
    return lower.find("from ") == std::string::npos ? "missing 'from' clause: select COLUMNS from TABLE [where ...]"
                                                    : "no column between select and from";
  if (keyword == "create") return "expected create table NAME (COLUMN TYPE, ...)";
  if (keyword == "drop") return "expected drop table NAME";
  if (keyword == "sort") return "expected sort table NAME on COLUMN[,COLUMN...]";
  if (keyword.rfind("updat", 0) == 0) {
    // With its "=", the statement is well formed and only its table can be missing.
    const size_t set = lower.find("set ");
    if (set != std::string::npos && lower.find('=', set) != std::string::npos) {
      const size_t table = statement.find_first_not_of(" \t", start + word.size());
      return "unknown table (" + statement.substr(table, statement.find_first_of(" \t", table) - table) + ")";
    }
    return "expected update TABLE set COLUMN = VALUE, ... [where ...]";
  }
  return "";
}

std::string FailureText(FailedStep step, const std::string& subject, HRESULT hr, std::string messages,
                        const std::vector<std::string>& traces, const std::string& context) {
  std::string cause;
  if (step == FailedStep::kOpen) {
    if (messages.empty() && LacksParameterDefaultsState(traces))
      messages = "Open: ( " + subject + " ) has no ParameterDefaultsState table, which Open cannot repair";
    else if (messages.rfind("Open: Unable to load", 0) == 0) {
      // The tool names the cause in its own words, in place of the traced one that the log line ends with.
      if (const std::string traced = TracedCause(traces); !traced.empty() && EndsWith(messages, ": " + traced))
        messages.resize(messages.size() - traced.size() - 2);
      cause = LoadFailureCause(subject, traces);
    }
  } else if (step == FailedStep::kStatement) {
    cause = StatementFailureCause(subject, hr, traces);
  } else {
    cause = TracedCause(traces);
  }
  if (messages.empty()) messages = context.empty() && step == FailedStep::kStatement ? subject : context;
  if (!cause.empty() && EndsWith(messages, ": " + cause)) cause.clear();
  if (!messages.empty() && !cause.empty()) return messages + ": " + cause;
  return messages + cause;
}

std::string LoadFailureCause(const std::string& path, const std::vector<std::string>& traces) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::file_status status = fs::status(FileSystemPath(path), error);
  if (!fs::exists(status)) return "no such file";
  if (fs::is_directory(status)) return "a folder, not a file";
  if (std::FILE* file = OpenNativeFile(path, "rb")) {
    std::fclose(file);
  } else {
    return Lowered(std::strerror(errno));
  }
  for (const std::string& trace : traces) {
    if (Contains(trace, "failed in VexaZLibInterface OpenArchive")) {
      const std::string reason = ArchiveReason(traces);
      return "not a readable zip archive" + (reason.empty() ? "" : " (" + reason + ")");
    }
    // A member that is there but cannot be read says why.
    if (trace.rfind("ZlibObj: ", 0) == 0 && !Contains(trace, "cannot open archive") && !Contains(trace, ": No such file"))
      return TracedCause({trace});
    if (Contains(trace, "failed in VexaZLibInterface OpenFile")) return "an archive without \"VEXA/pfConfig\"";
    if (Contains(trace, "failed in VexaZLibInterface Zgets")) return "\"VEXA/pfConfig\" is empty";
    if (Contains(trace, "failed in config file FGets")) return "an empty file";
  }
  if (IsArchivePath(path.c_str()))
    return "not a configuration file: \"VEXA/pfConfig\" does not begin with \"Root\" and a version name";
  return "not a configuration file: its first line is \"" + FirstLine(path) +
         "\" where \"Root\" and a version name were expected";
}

bool LacksParameterDefaultsState(const std::vector<std::string>& traces) {
  for (const std::string& trace : traces)
    if (Contains(trace, "unknown 'From' table (ParameterDefaultsState)")) return true;
  return false;
}
