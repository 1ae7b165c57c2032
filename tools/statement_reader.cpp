#include "tools/statement_reader.h"

#include <cctype>

namespace {
const char* const kWhite = " \t\r\n\v\f";

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(kWhite);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(kWhite) - first + 1);
}
}  // namespace

bool BeginsStatement(const std::string& line) {
  static const char* const kKeywords[] = {"select", "update", "updat2", "updat3", "delete",
                                          "create", "drop",   "sort",   "commit"};
  const std::string text = Trimmed(line);
  std::string word = text.substr(0, text.find_first_of(kWhite));
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* keyword : kKeywords)
    if (word == keyword) return true;
  return false;
}

std::vector<std::string> StatementReader::Feed(const std::string& line) {
  std::vector<std::string> complete;
  std::string text = Trimmed(line);
  if (ending_ == Ending::kLineOrSemicolon && Pending() && (text.empty() || text[0] == '.' || BeginsStatement(text)))
    complete = Finish();
  if (text.empty()) return complete;
  if (!Pending() && text[0] == '.') {
    complete.push_back(text);
    return complete;
  }
  const bool ends = text.back() == ';';
  if (ends) text = Trimmed(text.substr(0, text.size() - 1));
  pending_ += (pending_.empty() || text.empty() ? "" : " ") + text;
  if (ends) {
    if (!pending_.empty()) complete.push_back(pending_);
    pending_.clear();
  }
  return complete;
}

std::vector<std::string> StatementReader::Finish() {
  std::vector<std::string> complete;
  if (Pending()) complete.push_back(pending_);
  pending_.clear();
  return complete;
}
