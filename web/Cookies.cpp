#include "web/Cookies.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "text/MarkerSearch.h"
#include "text/Text.h"

namespace mailvane {

namespace {

constexpr std::string_view kDeletionMarker = "=deleted";

// A set of texts held elsewhere, open addressing in one array of small
// slots (part of the hash and the text's place in the set's own list): the
// cookie text can hold a great many pairs, and a node per pair would cost an
// allocation each and scatter the lookups.
class ViewSet {
 public:
  explicit ViewSet(size_t expected) {
    size_t capacity = 16;
    while (capacity < expected * 2) capacity *= 2;
    slots_.resize(capacity);
    texts_.reserve(expected);
  }

  static size_t Hash(std::string_view text) { return std::hash<std::string_view>{}(text); }

  // Lookups miss the cache once the set is large: the slot of a text coming
  // up soon is asked for ahead.
  void Prefetch(size_t hash) const { __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]); }

  // False when an equal text is in already. hash is Hash(text).
  bool Insert(std::string_view text, size_t hash) {
    const auto tag = static_cast<uint32_t>(hash >> 32);
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (slot.place == 0) {
        texts_.push_back(text);
        slot = {tag, static_cast<uint32_t>(texts_.size())};
        if (texts_.size() * 2 > slots_.size()) Grow();
        return true;
      }
      if (slot.tag == tag && texts_[slot.place - 1] == text) return false;
    }
  }

 private:
  struct Slot {
    uint32_t tag = 0;
    uint32_t place = 0;  // 1-based place in texts_; 0 marks a free slot
  };

  void Grow() {
    slots_.assign(slots_.size() * 2, Slot{});
    const size_t mask = slots_.size() - 1;
    for (size_t place = 1; place <= texts_.size(); ++place) {
      const size_t hash = Hash(texts_[place - 1]);
      size_t i = hash & mask;
      while (slots_[i].place != 0) i = (i + 1) & mask;
      slots_[i] = {static_cast<uint32_t>(hash >> 32), static_cast<uint32_t>(place)};
    }
  }

  std::vector<Slot> slots_;
  std::vector<std::string_view> texts_;
};

// The text of a piece before the first "=" that begins a character: the "=" that
// trails a lead byte belongs to that character. The whole piece without one.
std::string_view CookieName(std::string_view pair) {
  for (size_t i = 0; i < pair.size(); ++i) {
    const auto c = static_cast<unsigned char>(pair[i]);
    if (c == '=') return pair.substr(0, i);
    if (c >= 0x80) ++i;
  }
  return pair;
}

bool IsDeletion(std::string_view pair) {
  return pair.size() >= kDeletionMarker.size() &&
         pair.substr(pair.size() - kDeletionMarker.size()) == kDeletionMarker;
}

// Pieces joined by "; ".
std::string JoinCookies(const std::vector<std::string_view>& pairs) {
  size_t size = 0;
  for (std::string_view pair : pairs) size += pair.size() + 2;
  std::string joined;
  joined.reserve(size);
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (i > 0) joined.append("; ");
    joined.append(pairs[i]);
  }
  return joined;
}

// Calls visit(piece, key, hash of key) for each piece in order, the slots
// of the keys a little ahead asked for in advance.
template <typename Key, typename Visit>
void ForEachWithHash(const std::vector<std::string_view>& pieces, Key key, const ViewSet& set,
                     Visit visit) {
  constexpr size_t kAhead = 16;  // a power of two
  std::array<size_t, kAhead> hashes;
  for (size_t i = 0; i < pieces.size() && i < kAhead; ++i) {
    hashes[i] = ViewSet::Hash(key(pieces[i]));
    set.Prefetch(hashes[i]);
  }
  for (size_t i = 0; i < pieces.size(); ++i) {
    const size_t hash = hashes[i % kAhead];
    if (i + kAhead < pieces.size()) {
      hashes[i % kAhead] = ViewSet::Hash(key(pieces[i + kAhead]));
      set.Prefetch(hashes[i % kAhead]);
    }
    visit(pieces[i], key(pieces[i]), hash);
  }
}

// Whether the last of the pieces ends on a character's end: only the last
// piece of a split can end in a lead byte whose second byte is missing.
bool EndsWithWholeCharacter(const std::vector<std::string_view>& pieces) {
  if (pieces.empty()) return true;
  const std::string_view last = pieces.back();
  size_t i = 0;
  while (i < last.size()) i += CharLength(static_cast<unsigned char>(last[i]));
  return i == last.size();
}

}  // namespace

std::string CookiesFromHeaders(std::string_view headers) {
  std::string cookies;
  for (std::string_view line : SplitText(headers, "\r\n")) {
    if (FindText(line, "Set-Cookie") < 0) continue;
    // The first name=value only: attributes after the first ";" are dropped.
    const std::string pair = FindText(line, ";") < 0
                                 ? TrimSpaces(ReplaceText(line, "Set-Cookie:", "", true))
                                 : TrimSpaces(TextBetween(line, "Set-Cookie:", ";"));
    cookies.append(pair).append("; ");
  }
  if (!cookies.empty()) cookies.resize(cookies.size() - 2);
  return cookies;
}

std::string MergeCookies(std::string& oldCookies, std::string& newCookies) {
  oldCookies = RemoveSpaces(oldCookies);
  newCookies = RemoveSpaces(newCookies);

  // The latest response's pairs first, all of them; then every held pair
  // whose name is not taken yet.
  std::vector<std::string_view> merged = SplitText(newCookies, ";");
  const size_t fresh = merged.size();
  const std::vector<std::string_view> held = SplitText(oldCookies, ";");
  const bool wholePieces = EndsWithWholeCharacter(merged) && EndsWithWholeCharacter(held);
  ViewSet names(merged.size() + held.size());
  bool freshNamesRepeat = false;
  ForEachWithHash(merged, CookieName, names, [&](std::string_view, std::string_view name,
                                                 size_t hash) {
    if (!names.Insert(name, hash)) freshNamesRepeat = true;
  });
  merged.reserve(merged.size() + held.size());
  ForEachWithHash(held, CookieName, names, [&](std::string_view pair, std::string_view name,
                                               size_t hash) {
    if (names.Insert(name, hash)) merged.push_back(pair);
  });

  // Deletions go; so do exact repeats, the first of each staying where it
  // was. A pair's name is part of it, so a held pair taken in (its name
  // new) repeats none, and the response's pairs repeat only where their
  // names do: only then are they looked up.
  if (wholePieces) {
    // Pieces hold no ";" and no space where a character begins, so joining
    // them with "; " and splitting again would give them back unchanged, but
    // for an empty last one.
    size_t end = merged.size();
    while (end > 0 && IsDeletion(merged[end - 1])) --end;
    if (end > 0 && merged[end - 1].empty()) merged.erase(merged.begin() + (end - 1));
    ViewSet seen(freshNamesRepeat ? fresh : 0);
    std::string result;
    result.reserve(oldCookies.size() + newCookies.size() + 2 * merged.size());
    bool first = true;
    for (size_t i = 0; i < merged.size(); ++i) {
      const std::string_view pair = merged[i];
      if (IsDeletion(pair)) continue;
      if (i < fresh && freshNamesRepeat && !seen.Insert(pair, ViewSet::Hash(pair))) continue;
      if (!first) result.append("; ");
      result.append(pair);
      first = false;
    }
    oldCookies = std::move(result);
  } else {
    // A piece ends in half a character, which takes the separator's ";"
    // into it once joined: the joined text is split for real.
    std::vector<std::string_view> distinct;
    std::vector<std::string_view> kept;
    for (std::string_view pair : merged)
      if (!IsDeletion(pair)) kept.push_back(pair);
    const std::string joined = JoinCookies(kept);
    const std::vector<std::string_view> pieces = SplitText(joined, "; ");
    ViewSet seen(pieces.size());
    for (std::string_view pair : pieces)
      if (seen.Insert(pair, ViewSet::Hash(pair))) distinct.push_back(pair);
    oldCookies = JoinCookies(distinct);
  }
  return oldCookies;
}

}  // namespace mailvane
