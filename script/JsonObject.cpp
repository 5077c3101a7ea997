// JsonObject holds its value natively as insertion-ordered JSON. A path is
// lexed as a member expression rooted at the object's name ("da" + "." + P,
// or "da" + P before a bracket) and walked through the tree; nothing in a
// path, a value or a parsed text is ever evaluated as code.
#include "script/JsonObject.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "text/CodePage.h"

namespace mailvane {

using Json = nlohmann::ordered_json;

namespace {

// Nesting deeper than this is refused: the tree is copied and written out
// recursively, and a hostile answer must not exhaust the stack.
constexpr int kMaxDepth = 512;
// Integral numbers below this magnitude are exact in a double and are written
// as plain digits, so a numeric identifier survives being sent back.
constexpr double kExactIntegerLimit = 9007199254740992.0;  // 2^53
constexpr size_t kNoIndex = std::numeric_limits<size_t>::max();

// ---- Texts across the boundary ---------------------------------------------

std::string_view UpToNul(std::string_view text) {
  size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

// The position of the first byte of 0x80 or more at or after start, eight
// bytes at a time; text.size() when there is none.
size_t NextNonAscii(std::string_view text, size_t start) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  size_t i = start;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if (word & kHighBits) break;
  }
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) ++i;
  return i;
}

bool IsAscii(std::string_view text) { return NextNonAscii(text, 0) == text.size(); }

// Where the run of non-ASCII characters that begins at start ends: a lead
// byte takes its trail byte with it, which may look like ASCII ("[", "\").
size_t RunEnd(std::string_view local, size_t start) {
  size_t i = start;
  while (i < local.size() && static_cast<unsigned char>(local[i]) >= 0x80) {
    auto lead = static_cast<unsigned char>(local[i]);
    if (lead >= 0x81 && lead <= 0xFE && i + 1 < local.size()) {
      auto trail = static_cast<unsigned char>(local[i + 1]);
      if ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFE)) ++i;
    }
    ++i;
  }
  return i;
}

// Local text up to its first zero byte, as UTF-8. ASCII is the same in both,
// so it is copied, and only the runs of other characters go through the
// converter, together in one call with a line break after each: a line break
// ends any two-byte sequence and comes out as itself.
std::string ToUtf8(std::string_view local) {
  local = UpToNul(local);
  std::string runs;
  size_t runCount = 0;
  for (size_t i = NextNonAscii(local, 0); i < local.size(); i = NextNonAscii(local, i)) {
    size_t end = RunEnd(local, i);
    runs.append(local, i, end - i).push_back('\n');
    ++runCount;
    i = end;
  }
  if (runCount == 0) return std::string(local);
  std::string converted = LocalToUtf8(runs);
  if (static_cast<size_t>(std::count(converted.begin(), converted.end(), '\n')) != runCount) {
    return LocalToUtf8(local);
  }
  std::string utf8;
  utf8.reserve(local.size() + converted.size());
  size_t piece = 0;
  for (size_t i = 0; i < local.size();) {
    size_t asciiEnd = NextNonAscii(local, i);
    utf8.append(local, i, asciiEnd - i);
    if (asciiEnd == local.size()) break;
    size_t pieceEnd = converted.find('\n', piece);
    utf8.append(converted, piece, pieceEnd - piece);
    piece = pieceEnd + 1;
    i = RunEnd(local, asciiEnd);
  }
  return utf8;
}

// UTF-8 up to its first zero character, as local text.
std::string ToLocal(std::string_view utf8) {
  utf8 = UpToNul(utf8);
  return IsAscii(utf8) ? std::string(utf8) : Utf8ToLocal(utf8);
}

// A path as UTF-8: a view of the caller's text when that is ASCII (the usual
// case, no copy), else a converted copy. Converting first keeps the second
// byte of a two-byte character from being read as "[" or "]".
class Utf8Path {
 public:
  explicit Utf8Path(std::string_view local) {
    local = UpToNul(local);
    if (IsAscii(local)) {
      view_ = local;
    } else {
      converted_ = LocalToUtf8(local);
      view_ = converted_;
    }
  }
  Utf8Path(const Utf8Path&) = delete;
  Utf8Path& operator=(const Utf8Path&) = delete;
  std::string_view view() const { return view_; }
  bool converted() const { return !converted_.empty(); }

 private:
  std::string converted_;
  std::string_view view_;
};

// ---- Parsing ---------------------------------------------------------------

// Builds the tree with nlohmann's own tree builder (the one json::parse
// uses), but stops the parse as soon as objects and arrays nest deeper than
// kMaxDepth. Checking while parsing costs no extra pass over the text.
class DepthLimitedBuilder {
 public:
  explicit DepthLimitedBuilder(Json& result) : builder_(result, /*allow_exceptions=*/false) {}

  bool null() { return builder_.null(); }
  bool boolean(bool value) { return builder_.boolean(value); }
  bool number_integer(Json::number_integer_t value) { return builder_.number_integer(value); }
  bool number_unsigned(Json::number_unsigned_t value) { return builder_.number_unsigned(value); }
  bool number_float(Json::number_float_t value, const Json::string_t& text) {
    return builder_.number_float(value, text);
  }
  bool string(Json::string_t& value) { return builder_.string(value); }
  bool binary(Json::binary_t& value) { return builder_.binary(value); }
  bool key(Json::string_t& value) { return builder_.key(value); }
  bool start_object(std::size_t size) { return ++depth_ <= kMaxDepth && builder_.start_object(size); }
  bool end_object() {
    --depth_;
    return builder_.end_object();
  }
  bool start_array(std::size_t size) { return ++depth_ <= kMaxDepth && builder_.start_array(size); }
  bool end_array() {
    --depth_;
    return builder_.end_array();
  }
  template <class Exception>
  bool parse_error(std::size_t position, const std::string& token, const Exception& error) {
    return builder_.parse_error(position, token, error);
  }

  bool errored() const { return builder_.is_errored(); }

 private:
  nlohmann::detail::json_sax_dom_parser<Json> builder_;
  int depth_ = 0;
};

// A local JSON text as a value; nothing when it is not valid JSON.
std::optional<Json> ParseJson(std::string_view local) {
  std::string utf8 = ToUtf8(local);
  try {
    Json value;
    DepthLimitedBuilder builder(value);
    if (!Json::sax_parse(utf8, &builder) || builder.errored()) return std::nullopt;
    return value;
  } catch (const Json::exception&) {
    return std::nullopt;
  }
}

// ---- Values as text --------------------------------------------------------

std::string DoubleText(double number) {
  if (std::fabs(number) < kExactIntegerLimit && number == std::trunc(number)) {
    return std::to_string(static_cast<long long>(number));
  }
  // "%.13g", independent of the C locale's decimal point.
  char buffer[40];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, number,
                              std::chars_format::general, 13);
  return std::string(buffer, result.ptr);
}

std::string NumberText(const Json& number) {
  if (number.is_number_unsigned()) {
    auto value = number.get<std::uint64_t>();
    if (static_cast<double>(value) < kExactIntegerLimit) return std::to_string(value);
    return DoubleText(static_cast<double>(value));
  }
  if (number.is_number_integer()) {
    auto value = number.get<std::int64_t>();
    if (std::fabs(static_cast<double>(value)) < kExactIntegerLimit) return std::to_string(value);
    return DoubleText(static_cast<double>(value));
  }
  return DoubleText(number.get<double>());
}

// A value read as text, in UTF-8: strings as their characters, numbers in the
// form above, null as nothing; objects and arrays as the script engine turned
// them into text ("[object Object]", elements joined by ",").
std::string ValueText(const Json& value) {
  switch (value.type()) {
    case Json::value_t::string:
      return value.get_ref<const std::string&>();
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
      return NumberText(value);
    case Json::value_t::boolean:
      return value.get<bool>() ? "true" : "false";
    case Json::value_t::object:
      return "[object Object]";
    case Json::value_t::array: {
      std::string joined;
      bool first = true;
      for (const Json& element : value) {
        if (!first) joined += ',';
        first = false;
        joined += ValueText(element);
      }
      return joined;
    }
    default:
      return {};
  }
}

std::string LocalJson(const Json& value) {
  return ToLocal(value.dump(-1, ' ', false, Json::error_handler_t::replace));
}

// A text asked for as a number: its numeric value, or 0 when it has none.
double TextNumber(std::string_view text) {
  auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  double number = 0;
  auto result = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
      !std::isfinite(number)) {
    return 0;
  }
  return number;
}

// ---- Paths -----------------------------------------------------------------

// One member step: ".NAME", "[3]" or "['NAME']".
struct Step {
  std::string_view name;  // the member's name, or an index's digits
  bool isIndex = false;   // a bracketed number
  size_t index = 0;       // its value; kNoIndex when too large or negative
};

// How an operation joins the object's name N and its path P.
enum class Joining {
  kDot,            // N + "." + P
  kDotOrBracket,   // N + P when P begins with "[", else N + "." + P
  kTarget,         // N when P is empty, else N + "." + P
  kContinue,       // P goes on from the end of an earlier step
};

bool IsIdentifierStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '$' || c >= 0x80;
}
bool IsIdentifierPart(unsigned char c) { return IsIdentifierStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Lexes the steps that follow the name in a joined member expression. Anything
// that is not a plain member expression is a syntax error.
class StepLexer {
 public:
  StepLexer(std::string_view path, Joining joining)
      : text_(path), pendingDot_(JoinedWithDot(path, joining)) {}

  // Whether N and P are joined with a "." in between.
  static bool JoinedWithDot(std::string_view path, Joining joining) {
    switch (joining) {
      case Joining::kDot: return true;
      case Joining::kDotOrBracket: return !path.starts_with('[');
      case Joining::kTarget: return !path.empty();
      case Joining::kContinue: return false;
    }
    return false;
  }

  // The next step; false at the end or on a syntax error.
  bool Next(Step& step) {
    if (error_) return false;
    if (pendingDot_) {
      pendingDot_ = false;
      return NameAfterDot(step);
    }
    SkipSpaces();
    if (pos_ == text_.size()) return false;
    char c = text_[pos_++];
    if (c == '.') return NameAfterDot(step);
    if (c == '[') return Bracketed(step);
    return Fail();
  }

  bool error() const { return error_; }
  size_t position() const { return pos_; }

 private:
  void SkipSpaces() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\r' || text_[pos_] == '\n')) {
      ++pos_;
    }
  }

  bool Fail() {
    error_ = true;
    return false;
  }

  bool NameAfterDot(Step& step) {
    SkipSpaces();
    size_t start = pos_;
    if (pos_ == text_.size() || !IsIdentifierStart(text_[pos_])) return Fail();
    while (pos_ < text_.size() && IsIdentifierPart(text_[pos_])) ++pos_;
    step = Step{text_.substr(start, pos_ - start), false, 0};
    return true;
  }

  bool Bracketed(Step& step) {
    SkipSpaces();
    if (pos_ == text_.size()) return Fail();
    char c = text_[pos_];
    if (IsDigit(c)) {
      size_t start = pos_;
      while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
      std::string_view digits = text_.substr(start, pos_ - start);
      // A leading zero would be an octal literal, a "." or a letter a
      // fraction or exponent: none of them names an element plainly.
      if ((digits.size() > 1 && digits[0] == '0') ||
          (pos_ < text_.size() && (text_[pos_] == '.' || IsIdentifierPart(text_[pos_])))) {
        return Fail();
      }
      size_t index = 0;
      auto result = std::from_chars(digits.data(), digits.data() + digits.size(), index);
      if (result.ec != std::errc()) index = kNoIndex;
      step = Step{digits, true, index};
    } else if (c == '\'' || c == '"') {
      size_t start = ++pos_;
      while (pos_ < text_.size() && text_[pos_] != c) {
        if (text_[pos_] == '\\' || text_[pos_] == '\n' || text_[pos_] == '\r') return Fail();
        ++pos_;
      }
      if (pos_ == text_.size()) return Fail();
      step = Step{text_.substr(start, pos_ - start), false, 0};
      ++pos_;
    } else {
      return Fail();
    }
    SkipSpaces();
    if (pos_ == text_.size() || text_[pos_] != ']') return Fail();
    ++pos_;
    return true;
  }

  std::string_view text_;
  size_t pos_ = 0;
  bool pendingDot_ = false;
  bool error_ = false;
};

// "0", "1", ... as an array index; anything else names no element.
std::optional<size_t> CanonicalIndex(std::string_view name) {
  if (name.empty() || (name.size() > 1 && name[0] == '0')) return std::nullopt;
  size_t index = 0;
  auto result = std::from_chars(name.data(), name.data() + name.size(), index);
  if (result.ec != std::errc() || result.ptr != name.data() + name.size()) return std::nullopt;
  return index;
}

std::optional<size_t> ElementIndex(const Step& step) {
  if (step.isIndex) return step.index;
  return CanonicalIndex(step.name);
}

// The member a step names in a non-null value; nullptr when it is missing.
// Objects take indexes as member names; other values have no members.
template <class J>
J* Child(J& node, const Step& step) {
  if (node.is_object()) {
    for (auto it = node.begin(); it != node.end(); ++it) {
      if (it.key() == step.name) return &*it;
    }
    return nullptr;
  }
  if (node.is_array()) {
    auto index = ElementIndex(step);
    if (index && *index < node.size()) return &node[*index];
  }
  return nullptr;
}

// What reading an expression yields.
struct Reading {
  enum Outcome { kFound, kMissing, kFailed } outcome;
  const Json* node = nullptr;  // when found

  bool found() const { return outcome == kFound; }
  bool present() const { return found() && !node->is_null(); }
};

// Where the last read's final step began, so that the reads of one element's
// members ("list[7].TO", "list[7].FROM", ...) walk from the element instead
// of from the root. Only ASCII paths are kept; any change to the tree forgets it.
struct WalkCache {
  bool joinedWithDot = false;
  std::string prefix;            // a path up to where its last step began
  const Json* parent = nullptr;  // the value that prefix reaches, not null

  void Forget() { parent = nullptr; }

  // Where path goes on after the cached prefix, or 0 when it does not.
  size_t Resume(std::string_view path, Joining joining) const {
    if (parent == nullptr || path.size() <= prefix.size() || !path.starts_with(prefix) ||
        StepLexer::JoinedWithDot(path, joining) != joinedWithDot)
      return 0;
    // The prefix must end where a step ends in path as well.
    const char next = path[prefix.size()];
    const bool stepBoundary =
        next == '.' || next == '[' || next == ' ' || next == '\t' || next == '\r' || next == '\n';
    return stepBoundary ? prefix.size() : 0;
  }
};

// A member of null or of a missing member fails, as does a syntax error.
Reading Read(const Json& root, std::string_view localPath, Joining joining,
             WalkCache* cache = nullptr) {
  Utf8Path path(localPath);
  if (path.converted()) cache = nullptr;
  const std::string_view text = path.view();
  const size_t resumed = cache ? cache->Resume(text, joining) : 0;
  const Json* node = resumed ? cache->parent : &root;
  StepLexer lexer(text.substr(resumed), resumed ? Joining::kContinue : joining);
  Step step;
  size_t lastStart = 0;
  const Json* lastParent = nullptr;
  for (size_t before = lexer.position(); lexer.Next(step); before = lexer.position()) {
    if (node == nullptr || node->is_null()) return {Reading::kFailed};
    lastStart = resumed + before;
    lastParent = node;
    node = Child(*node, step);
  }
  if (lexer.error()) return {Reading::kFailed};
  if (cache && lastStart > 0 && lastParent) {
    cache->joinedWithDot = StepLexer::JoinedWithDot(text, joining);
    cache->prefix.assign(text.substr(0, lastStart));
    cache->parent = lastParent;
  }
  if (node == nullptr) return {Reading::kMissing};
  return {Reading::kFound, node};
}

Reading ReadItem(const Reading& base, int index) {
  if (!base.present()) return {Reading::kFailed};
  std::string digits = std::to_string(index);
  Step step{digits, true, index < 0 ? kNoIndex : static_cast<size_t>(index)};
  const Json* node = Child(*base.node, step);
  if (node == nullptr) return {Reading::kMissing};
  return {Reading::kFound, node};
}

// The slot an assignment through step writes in parent: an existing member or
// element, a new member, or a new element right after the last. nullptr when
// the assignment fails (null parent) or stores nothing visible as JSON
// (a member of a string or number, a named or distant member of an array).
Json* AssignedChild(Json& parent, const Step& step) {
  if (parent.is_object()) {
    if (Json* existing = Child(parent, step)) return existing;
    return &parent[std::string(step.name)];
  }
  if (parent.is_array()) {
    auto index = ElementIndex(step);
    if (!index || *index > parent.size()) return nullptr;
    if (*index == parent.size()) parent.push_back(nullptr);
    return &parent[*index];
  }
  return nullptr;
}

// The steps of a joined expression, or nothing on a syntax error.
std::optional<std::vector<Step>> StepsOf(std::string_view path, Joining joining) {
  StepLexer lexer(path, joining);
  std::vector<Step> steps;
  Step step;
  while (lexer.Next(step)) steps.push_back(step);
  if (lexer.error()) return std::nullopt;
  return steps;
}

// The value that holds the last step, walked from root; nullptr when a step
// on the way fails or is missing.
Json* ParentOf(Json& root, const std::vector<Step>& steps) {
  Json* node = &root;
  for (size_t i = 0; i + 1 < steps.size(); ++i) {
    if (node->is_null()) return nullptr;
    node = Child(*node, steps[i]);
    if (node == nullptr) return nullptr;
  }
  return node;
}

// The slot an assignment to the expression writes; nullptr as above.
Json* AssignedSlot(Json& root, std::string_view localPath, Joining joining) {
  Utf8Path path(localPath);
  auto steps = StepsOf(path.view(), joining);
  if (!steps) return nullptr;
  if (steps->empty()) return &root;
  Json* parent = ParentOf(root, *steps);
  if (parent == nullptr) return nullptr;
  return AssignedChild(*parent, steps->back());
}

// A value as the setters take it: the text itself, or the JSON it holds.
std::optional<Json> ValueOf(const std::string& value, bool raw) {
  if (raw) return ParseJson(value);
  return Json(ToUtf8(value));
}

int CountOf(const Reading& reading) {
  if (reading.outcome == Reading::kFailed) return 0;
  if (!reading.present()) return -2;
  if (reading.node->is_object() || reading.node->is_array()) {
    return static_cast<int>(reading.node->size());
  }
  return 0;  // strings, numbers and booleans have no members
}

// A value read as local text, or as its JSON text.
// Converters are kept per thread, so converting each text as it is read
// costs less than converting every text of the tree ahead.
std::string TextOf(const Reading& reading, bool asJson) {
  if (!reading.found()) return {};
  const Json& value = *reading.node;
  if (asJson) return LocalJson(value);
  if (!value.is_string()) return ToLocal(ValueText(value));
  std::string_view text = UpToNul(value.get_ref<const std::string&>());
  if (IsAscii(text)) return std::string(text);
  return Utf8ToLocal(text);
}

// What an object made from a reading holds: a copy of the value, or null (as
// after a failed parse) when nothing or null was read.
Json CopiedValue(const Reading& reading) {
  if (!reading.present()) return nullptr;
  return *reading.node;
}

}  // namespace

// The value and what is derived from it. Every change goes through Writable.
struct JsonObject::Value {
  const Json& Root() const { return root_; }
  Json& Writable() {
    walk_.Forget();
    return root_;
  }
  // A read through the walk cache.
  Reading Read(std::string_view path, Joining joining) {
    return mailvane::Read(root_, path, joining, &walk_);
  }
  static std::string Text(const Reading& reading, bool asJson) { return TextOf(reading, asJson); }

 private:
  Json root_ = Json::object();
  WalkCache walk_;
};

// ---- JsonObject ------------------------------------------------------------

JsonObject::JsonObject() : name_("da") { InitHost(); }

JsonObject::~JsonObject() = default;

JsonObject* JsonObject::Clone() {
  auto* clone = new JsonObject();
  clone->name_ = name_;
  clone->host_ = host_;
  return clone;
}

void JsonObject::InitHost() { host_ = std::make_shared<Value>(); }

bool JsonObject::Parse(const std::string& json) {
  InitHost();
  host_->Writable() = nullptr;
  auto parsed = ParseJson(json);
  if (!parsed || parsed->is_null()) return false;
  host_->Writable() = std::move(*parsed);
  return true;
}

std::string JsonObject::ToJson() { return LocalJson(host_->Root()); }

void JsonObject::SetText(const std::string& path, const std::string& value, bool raw) {
  std::string_view text = UpToNul(value);
  auto parsed = ValueOf(raw && text.empty() ? std::string("{}") : value, raw);
  if (!parsed) return;
  if (Json* slot = AssignedSlot(host_->Writable(), path, Joining::kDot)) *slot = std::move(*parsed);
}

void JsonObject::SetJson(const std::string& path, const std::string& json) {
  auto parsed = ParseJson(json);
  if (!parsed) return;
  if (Json* slot = AssignedSlot(host_->Writable(), path, Joining::kDot)) *slot = std::move(*parsed);
}

void JsonObject::SetNumber(const std::string& path, double number) {
  // The stored number is the one its text form gives back; a text like "inf"
  // is no number, so nothing is stored for it.
  if (!std::isfinite(number)) return;
  Json value;
  if (std::fabs(number) < kExactIntegerLimit && number == std::trunc(number)) {
    value = static_cast<std::int64_t>(number);
  } else {
    value = TextNumber(DoubleText(number));
  }
  if (Json* slot = AssignedSlot(host_->Writable(), path, Joining::kDot)) *slot = std::move(value);
}

double JsonObject::GetNumber(const std::string& path) {
  Reading reading = Read(host_->Root(), path, Joining::kDot);
  if (!reading.found()) return 0;
  const Json& value = *reading.node;
  if (value.is_number()) return value.get<double>();
  if (value.is_string()) return TextNumber(value.get_ref<const std::string&>());
  if (value.is_boolean()) return value.get<bool>() ? 1 : 0;
  return 0;
}

std::string JsonObject::GetJson(const std::string& path) {
  return host_->Text(host_->Read(path, Joining::kDot), true);
}

std::string JsonObject::GetText(const std::string& path, bool asJson) {
  return host_->Text(host_->Read(path, Joining::kDotOrBracket), asJson);
}

JsonObject* JsonObject::GetObject(const std::string& path) {
  auto* copy = new JsonObject();
  copy->host_->Writable() = CopiedValue(Read(host_->Root(), path, Joining::kDotOrBracket));
  return copy;
}

int JsonObject::GetCount(const std::string& path) {
  Joining joining = UpToNul(path).empty() ? Joining::kTarget : Joining::kDotOrBracket;
  return CountOf(Read(host_->Root(), path, joining));
}

void JsonObject::Append(const std::string& value, const std::string& path, bool raw) {
  auto item = ValueOf(value, raw);
  if (!item) return;
  Json* slot = AssignedSlot(host_->Writable(), path, Joining::kTarget);
  if (slot == nullptr) return;
  if (!slot->is_array()) *slot = Json::array();
  slot->push_back(std::move(*item));
}

JsonObject* JsonObject::GetItemObject(int index, const std::string& path) {
  auto* copy = new JsonObject();
  copy->host_->Writable() =
      CopiedValue(ReadItem(Read(host_->Root(), path, Joining::kTarget), index));
  return copy;
}

std::string JsonObject::GetItemText(int index, const std::string& path, bool asJson) {
  return host_->Text(ReadItem(Read(host_->Root(), path, Joining::kTarget), index), asJson);
}

void JsonObject::SetItem(int index, const std::string& value, bool raw) {
  auto item = ValueOf(value, raw);
  if (!item) return;
  Json& root = host_->Writable();
  std::string digits = std::to_string(index);
  Step step{digits, true, index < 0 ? kNoIndex : static_cast<size_t>(index)};
  if (Json* slot = AssignedChild(root, step)) *slot = std::move(*item);
}

void JsonObject::RemoveItem(int index) {
  // splice(index, 1): a negative index counts from the end.
  Json& root = host_->Writable();
  if (!root.is_array()) return;
  long long size = static_cast<long long>(root.size());
  long long start = index < 0 ? std::max(size + index, 0LL) : index;
  if (start < size) root.erase(static_cast<size_t>(start));
}

void JsonObject::Remove(const std::string& path) {
  Utf8Path utf8(path);
  auto steps = StepsOf(utf8.view(), Joining::kDot);
  if (!steps || steps->empty()) return;
  Json* parent = ParentOf(host_->Writable(), *steps);
  if (parent == nullptr) return;
  const Step& last = steps->back();
  if (parent->is_object()) {
    for (auto it = parent->begin(); it != parent->end(); ++it) {
      if (it.key() == last.name) {
        parent->erase(it);
        return;
      }
    }
  } else if (parent->is_array()) {
    // Deleting an element leaves a hole, which JSON shows as null.
    auto index = ElementIndex(last);
    if (index && *index < parent->size()) (*parent)[*index] = nullptr;
  }
}

void JsonObject::Create(int kind) {
  if (kind == 0 || kind == 4) {
    host_->Writable() = Json::object();
  } else if (kind == 5) {
    host_->Writable() = Json::array();
  }
}

void JsonObject::SetRoot(const std::string& value, bool raw) {
  auto parsed = ValueOf(value, raw);
  if (parsed) host_->Writable() = std::move(*parsed);
}

bool JsonObject::Has(const std::string& path) {
  return Read(host_->Root(), path, Joining::kDot).present();
}

int JsonObject::GetKeys(std::vector<std::string>& keys, const std::string& path) {
  keys.clear();
  Reading reading = Read(host_->Root(), path, Joining::kTarget);
  if (reading.present()) {
    const Json& value = *reading.node;
    if (value.is_object()) {
      for (auto it = value.begin(); it != value.end(); ++it) keys.push_back(ToLocal(it.key()));
    } else if (value.is_array()) {
      for (size_t i = 0; i < value.size(); ++i) keys.push_back(std::to_string(i));
    }
  }
  return static_cast<int>(keys.size());
}

int JsonObject::GetType(const std::string& path) {
  Reading reading = host_->Read(path, Joining::kTarget);
  if (reading.outcome == Reading::kFailed) return -1;
  if (!reading.present()) return 0;
  switch (reading.node->type()) {
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
      return 2;
    case Json::value_t::object:
      return 4;
    case Json::value_t::array:
      return 5;
    case Json::value_t::string:
      return 6;
    default:
      return -1;
  }
}

void JsonObject::Clear() { host_->Writable() = Json::object(); }

}  // namespace mailvane
