#include "tools/script_runner.h"

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include "platform/class_activation.h"
#include "platform/dispatch.h"
#include "platform/enum_variant.h"
#include "platform/safearray.h"
#include "platform/text_conversion.h"
#include "platform/wide_compare.h"

namespace {
// A variant that owns what it holds.
class Value {
 public:
  Value() { VariantInit(&v_); }
  // The runtime's copy only reads its source, although its signature does not say so.
  Value(const Value& other) : Value() { VariantCopy(&v_, const_cast<VARIANT*>(&other.v_)); }
  Value& operator=(const Value& other) {
    VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
    return *this;
  }
  ~Value() { VariantClear(&v_); }
  VARIANT* get() { return &v_; }
  const VARIANT& operator*() const { return v_; }

 private:
  VARIANT v_;
};

// Why a line failed: a status of a call, or (hr == S_OK) a syntax error.
struct Failure {
  HRESULT hr;
  std::string text;
};

// A loop body failed and has said so; the lines around it stop too.
struct Stopped {};

[[noreturn]] void Syntax(const std::string& text) { throw Failure{S_OK, text}; }
void Check(HRESULT hr) {
  if (FAILED(hr)) throw Failure{hr, ""};
}

struct Token {
  enum Kind { Name, Text, Number, Symbol, End } kind;
  std::wstring text;
};

std::vector<Token> Tokenize(const std::wstring& line) {
  std::vector<Token> tokens;
  size_t at = 0;
  while (at < line.size()) {
    const wchar_t c = line[at];
    if (std::iswspace(c)) {
      ++at;
    } else if (c == L'\'' || (c == L'#' && tokens.empty())) {
      break;  // a comment runs to the end of the line
    } else if (c == L'"') {
      std::wstring text;
      for (++at;; ++at) {
        if (at >= line.size()) Syntax("unterminated string");
        if (line[at] == L'"' && (at + 1 >= line.size() || line[at + 1] != L'"')) break;
        if (line[at] == L'"') ++at;  // "" stands for one quote
        text += line[at];
      }
      ++at;
      tokens.push_back({Token::Text, text});
    } else if (std::iswdigit(c) || (c == L'-' && at + 1 < line.size() && std::iswdigit(line[at + 1]))) {
      const size_t start = at++;
      while (at < line.size() && (std::iswdigit(line[at]) || line[at] == L'.')) ++at;
      tokens.push_back({Token::Number, line.substr(start, at - start)});
    } else if (std::iswalpha(c) || c == L'_') {
      const size_t start = at;
      while (at < line.size() && (std::iswalnum(line[at]) || line[at] == L'_')) ++at;
      tokens.push_back({Token::Name, line.substr(start, at - start)});
    } else if (std::wcschr(L".,()=", c)) {
      tokens.push_back({Token::Symbol, std::wstring(1, c)});
      ++at;
    } else {
      Syntax("unexpected character '" + Utf8FromWide(std::wstring(1, c)) + "'");
    }
  }
  tokens.push_back({Token::End, L""});
  return tokens;
}

bool SameName(const std::wstring& a, const wchar_t* b) { return CompareWideIgnoringCase(a.c_str(), b) == 0; }

// Invokes `member` of `object` with the arguments in written order.
Value Invoke(IDispatch* object, const std::wstring& member, std::uint16_t flags, std::vector<Value> arguments) {
  OLECHAR* names[] = {const_cast<OLECHAR*>(member.c_str())};
  DISPID id = DISPID_UNKNOWN;
  Check(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
  std::vector<VARIANT> reversed;
  for (auto argument = arguments.rbegin(); argument != arguments.rend(); ++argument) reversed.push_back(**argument);
  DISPID put = DISPID_PROPERTYPUT;
  const bool isPut = flags == DISPATCH_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), isPut ? &put : nullptr, static_cast<unsigned>(reversed.size()), isPut ? 1u : 0u};
  Value result;
  Check(object->Invoke(id, IID_NULL, 0, flags, &params, result.get(), nullptr, nullptr));
  return result;
}

IDispatch* AsObject(const Value& value) {
  if ((*value).vt != VT_DISPATCH || !(*value).pdispVal) Syntax("not an object");
  return (*value).pdispVal;
}

std::wstring Text(const Value& value) {
  const VARIANT& v = *value;
  if (v.vt == (VT_ARRAY | VT_BSTR)) {
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(v.parray, 1, &lower);
    SafeArrayGetUBound(v.parray, 1, &upper);
    std::wstring lines;
    for (LONG i = lower; i <= upper; ++i) {
      BSTR element = nullptr;
      SafeArrayGetElement(v.parray, &i, &element);
      lines += (i == lower ? L"" : L"\n") + std::wstring(element ? element : L"");
      SysFreeString(element);
    }
    return lines;
  }
  if (v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN) return L"(object)";
  Value text;
  Check(VariantChangeType(text.get(), const_cast<VARIANT*>(&v), VARIANT_ALPHABOOL, VT_BSTR));
  return (*text).bstrVal ? (*text).bstrVal : L"";
}

struct IgnoringCase {
  bool operator()(const std::wstring& a, const std::wstring& b) const { return CompareWideIgnoringCase(a.c_str(), b.c_str()) < 0; }
};

// A reference whose last member is not yet used: statements put it, call it
// or read it.
struct Reference {
  Value object;          // the object whose member is named; empty for a plain value
  std::wstring member;
  std::vector<Value> arguments;
  bool parenthesized = false;
  Value value;           // a plain value (no member)
};

class Interpreter {
 public:
  explicit Interpreter(std::vector<std::wstring> lines) : lines_(std::move(lines)) {}

  int Run() {
    const bool done = RunLines(0, lines_.size());
    variables_.clear();  // releases the objects before the module counts them
    return done ? 0 : 1;
  }

 private:
  bool RunLines(size_t first, size_t last) {
    for (size_t line = first; line < last; ++line) {
      try {
        line = RunLine(line);
      } catch (const Failure& failure) {
        const std::string where = "line " + std::to_string(line + 1) + ": " + Utf8FromWide(lines_[line]);
        if (failure.hr == S_OK) std::fprintf(stderr, "vexacfg: %s (%s)\n", where.c_str(), failure.text.c_str());
        else std::fprintf(stderr, "vexacfg: %s at %s\n", DescribeHResult(failure.hr).c_str(), where.c_str());
        return false;
      } catch (const Stopped&) {
        return false;
      }
    }
    return true;
  }

  // Runs one statement; returns the last line it used (the "next" of a loop).
  size_t RunLine(size_t line) {
    tokens_ = Tokenize(lines_[line]);
    at_ = 0;
    if (Peek().kind == Token::End) return line;
    if (Keyword(L"print")) {
      std::wstring text = Text(Evaluate());
      while (Accept(L",")) text += L" " + Text(Evaluate());
      std::printf("%s\n", Utf8FromWide(text).c_str());
      std::fflush(stdout);
    } else if (Keyword(L"for")) {
      return ForEach(line);
    } else if (Keyword(L"next")) {
      Syntax("next without for each");
    } else {
      const bool set = Keyword(L"set");
      const size_t start = at_;
      Reference target = ParseReference(true);
      const bool plainName = target.member.empty() && tokens_[start].kind == Token::Name && at_ == start + 1;
      if (Accept(L"=")) {
        Value value = Evaluate();
        if (plainName) variables_[tokens_[start].text] = value;
        else if (target.parenthesized) Syntax("cannot assign to a call");
        else Invoke(AsObject(target.object), target.member, DISPATCH_PROPERTYPUT, {value});
      } else if (set) {
        Syntax("expected =");
      } else {
        if (target.member.empty()) Syntax("expected a call or an assignment");
        // Arguments without parentheses, as in: cfg.Open "a.cfg", False
        if (!target.parenthesized && Peek().kind != Token::End) target.arguments = Arguments(L"");
        Invoke(AsObject(target.object), target.member, DISPATCH_METHOD, target.arguments);
      }
    }
    if (Peek().kind != Token::End) Syntax("unexpected text at the end");
    return line;
  }

  // for each NAME in EXPRESSION ... next, through the collection's enumerator.
  size_t ForEach(size_t line) {
    if (!Keyword(L"each")) Syntax("expected for each");
    const std::wstring name = ExpectName();
    if (!Keyword(L"in")) Syntax("expected in");
    Value collection = Evaluate();
    if (Peek().kind != Token::End) Syntax("unexpected text at the end");
    const size_t next = MatchingNext(line);
    Value enumerator = Invoke(AsObject(collection), L"_NewEnum", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {});
    IUnknown* unknown = (*enumerator).vt == VT_UNKNOWN || (*enumerator).vt == VT_DISPATCH ? (*enumerator).punkVal : nullptr;
    if (!unknown) Syntax("_NewEnum gave no enumerator");
    IEnumVARIANT* items = nullptr;
    Check(unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&items)));
    Value item;
    bool ok = true;
    while (ok && items->Next(1, item.get(), nullptr) == S_OK) {
      variables_[name] = item;
      VariantClear(item.get());
      ok = RunLines(line + 1, next);
    }
    items->Release();
    if (!ok) throw Stopped{};
    return next;
  }

  size_t MatchingNext(size_t line) {
    int depth = 0;
    for (size_t i = line + 1; i < lines_.size(); ++i) {
      const std::vector<Token> words = Tokenize(lines_[i]);
      if (words[0].kind != Token::Name) continue;
      if (SameName(words[0].text, L"for")) ++depth;
      else if (SameName(words[0].text, L"next") && depth-- == 0) return i;
    }
    Syntax("for each without next");
  }

  // NAME { . MEMBER [ ( ARGUMENTS ) ] }, or any expression when `statement` is
  // false; the last member is left for the caller.
  Reference ParseReference(bool statement) {
    Reference reference;
    const Token token = Next();
    if (token.kind == Token::Text) {
      reference.value = Literal(token);
    } else if (token.kind == Token::Number) {
      reference.value = Literal(token);
    } else if (token.kind == Token::Name && SameName(token.text, L"CreateObject")) {
      reference.value = CreateObject();
    } else if (token.kind == Token::Name && (SameName(token.text, L"True") || SameName(token.text, L"False"))) {
      reference.value = Literal(token);
    } else if (token.kind == Token::Name) {
      const auto found = variables_.find(token.text);
      if (found != variables_.end()) reference.value = found->second;
      else if (!statement || Peek().text == L".") Syntax("unknown variable " + Utf8FromWide(token.text));
    } else {
      Syntax("expected a value");
    }
    while (Accept(L".")) {
      if (!reference.member.empty()) reference.value = Use(reference);
      reference.object = reference.value;
      reference.member = ExpectName();
      reference.parenthesized = Accept(L"(");
      reference.arguments = reference.parenthesized ? Arguments(L")") : std::vector<Value>{};
    }
    return reference;
  }

  // Reads the last member of a reference as a property get or method call.
  Value Use(Reference& reference) {
    if (reference.member.empty()) return reference.value;
    return Invoke(AsObject(reference.object), reference.member, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                  reference.arguments);
  }

  Value Evaluate() {
    Reference reference = ParseReference(false);
    return Use(reference);
  }

  // Comma-separated expressions up to `close` (or the end of the line when empty).
  std::vector<Value> Arguments(const wchar_t* close) {
    std::vector<Value> arguments;
    if (*close && Accept(close)) return arguments;
    do arguments.push_back(Evaluate());
    while (Accept(L","));
    if (*close && !Accept(close)) Syntax("expected )");
    return arguments;
  }

  Value CreateObject() {
    if (!Accept(L"(") || Peek().kind != Token::Text) Syntax("expected CreateObject(\"ProgID\")");
    const std::wstring progId = Next().text;
    if (!Accept(L")")) Syntax("expected )");
    CLSID clsid;
    Check(ClassIdFromProgramId(progId, &clsid));
    Value object;
    IDispatch* dispatch = nullptr;
    Check(CreateRegisteredInstance(clsid, nullptr, IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
    object.get()->vt = VT_DISPATCH;
    object.get()->pdispVal = dispatch;
    return object;
  }

  static Value Literal(const Token& token) {
    Value value;
    VARIANT& v = *value.get();
    if (token.kind == Token::Text) {
      v.vt = VT_BSTR, v.bstrVal = SysAllocString(token.text.c_str());
    } else if (token.kind == Token::Number) {
      const double number = std::wcstod(token.text.c_str(), nullptr);
      if (token.text.find(L'.') == std::wstring::npos && number >= -2147483648.0 && number <= 2147483647.0)
        v.vt = VT_I4, v.lVal = static_cast<LONG>(number);
      else
        v.vt = VT_R8, v.dblVal = number;
    } else {
      v.vt = VT_BOOL, v.boolVal = SameName(token.text, L"True") ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return value;
  }

  const Token& Peek() const { return tokens_[at_]; }
  Token Next() { return Peek().kind == Token::End ? Peek() : tokens_[at_++]; }
  bool Accept(const wchar_t* symbol) {
    if (Peek().kind != Token::Symbol || Peek().text != symbol) return false;
    ++at_;
    return true;
  }
  bool Keyword(const wchar_t* word) {
    if (Peek().kind != Token::Name || !SameName(Peek().text, word)) return false;
    ++at_;
    return true;
  }
  std::wstring ExpectName() {
    if (Peek().kind != Token::Name) Syntax("expected a name");
    return Next().text;
  }

  std::vector<std::wstring> lines_;
  std::vector<Token> tokens_;
  size_t at_ = 0;
  std::map<std::wstring, Value, IgnoringCase> variables_;
};
}  // namespace

int RunScript(std::istream& script) {
  std::vector<std::wstring> lines;
  std::string line;
  while (std::getline(script, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(WideFromUtf8(line));
  }
  return Interpreter(std::move(lines)).Run();
}
