// Reading Valve's KeyValues text.
#include "platform/key_values.h"

#include "core/ascii_case.h"
#include "core/utf8.h"

namespace pelloquin {

namespace {

constexpr int kMaxDepth = 64;

struct Token {
  enum Kind { Text, Open, Close, End, Broken } kind;
  std::string text;
};

class Tokenizer {
 public:
  explicit Tokenizer(std::string_view text) : text_(text) {}

  Token Next() {
    SkipSpaceAndComments();
    if (pos_ >= text_.size()) return {Token::End, {}};
    const char c = text_[pos_];
    if (c == '{' || c == '}') {
      ++pos_;
      return {c == '{' ? Token::Open : Token::Close, {}};
    }
    if (c == '"') return Quoted();
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !IsSpace(text_[pos_]) && text_[pos_] != '"' &&
           text_[pos_] != '{' && text_[pos_] != '}') {
      ++pos_;
    }
    return {Token::Text, std::string(text_.substr(start, pos_ - start))};
  }

 private:
  // Line ends separate tokens as blanks do.
  static bool IsSpace(char c) { return IsBlank(c) || c == '\n'; }

  void SkipSpaceAndComments() {
    while (pos_ < text_.size()) {
      if (IsSpace(text_[pos_])) {
        ++pos_;
      } else if (text_.substr(pos_, 2) == "//") {
        const std::size_t end = text_.find('\n', pos_);
        pos_ = end == std::string_view::npos ? text_.size() : end;
      } else {
        return;
      }
    }
  }

  Token Quoted() {
    std::string text;
    for (++pos_; pos_ < text_.size(); ++pos_) {
      char c = text_[pos_];
      if (c == '"') {
        ++pos_;
        return {Token::Text, std::move(text)};
      }
      if (c == '\\' && pos_ + 1 < text_.size()) {
        c = text_[++pos_];
        // Any other escaped character stands for itself: \\ and \" among them.
        if (c == 'n') c = '\n';
        if (c == 't') c = '\t';
      }
      text += c;
    }
    return {Token::Broken, {}};
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

// The entries up to the block's "}" (or the end of the file, at the top).
std::optional<KeyValues> ParseBlock(Tokenizer& tokens, int depth) {
  KeyValues block;
  block.is_block = true;
  for (;;) {
    Token key = tokens.Next();
    if (key.kind == Token::End && depth == 0) return block;
    if (key.kind == Token::Close && depth > 0) return block;
    if (key.kind != Token::Text) return std::nullopt;
    Token value = tokens.Next();
    if (value.kind == Token::Text) {
      KeyValues entry;
      entry.value = std::move(value.text);
      block.entries.emplace_back(std::move(key.text), std::move(entry));
    } else if (value.kind == Token::Open && depth < kMaxDepth) {
      auto entry = ParseBlock(tokens, depth + 1);
      if (!entry) return std::nullopt;
      block.entries.emplace_back(std::move(key.text), std::move(*entry));
    } else {
      return std::nullopt;
    }
  }
}

}  // namespace

const KeyValues* KeyValues::Find(std::string_view key) const {
  for (const auto& [name, entry] : entries) {
    if (EqualsIgnoringAsciiCase(name, key)) return &entry;
  }
  return nullptr;
}

std::optional<KeyValues> ParseKeyValues(std::string_view text) {
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  Tokenizer tokens(text);
  return ParseBlock(tokens, 0);
}

}  // namespace pelloquin
