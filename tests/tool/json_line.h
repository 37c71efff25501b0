// One line of a JSON-lines log read strictly, as a driver script would read
// it: a flat object whose values are strings, numbers or null. Anything else,
// or anything left over, is no object at all.
#pragma once

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

struct JsonValue {
  bool isNull = false;
  bool isString = false;
  std::string text;  // a string's characters (ASCII escapes undone), or a number as written
  double number = 0.0;
};

using JsonObject = std::map<std::string, JsonValue>;

class JsonLineReader {
 public:
  explicit JsonLineReader(const std::string& line) : text_(line) {}

  std::optional<JsonObject> object() {
    JsonObject fields;
    if (!take('{')) return std::nullopt;
    for (bool first = true; !take('}'); first = false) {
      std::string name;
      JsonValue value;
      if ((!first && !take(',')) || !string(name) || !take(':') || !readValue(value)) return std::nullopt;
      if (!fields.emplace(name, value).second) return std::nullopt;
    }
    skipBlanks();
    if (at_ != text_.size()) return std::nullopt;
    return fields;
  }

 private:
  void skipBlanks() {
    while (at_ < text_.size() && text_[at_] == ' ') ++at_;
  }
  bool take(char c) {
    skipBlanks();
    if (at_ >= text_.size() || text_[at_] != c) return false;
    ++at_;
    return true;
  }
  bool string(std::string& out) {
    if (!take('"')) return false;
    static const std::string kEscapes = "\"\"\\\\//b\bf\fn\nr\rt\t";
    for (; at_ < text_.size() && text_[at_] != '"'; ++at_) {
      if (text_[at_] != '\\') {
        out += text_[at_];
      } else if (text_.compare(at_, 4, "\\u00") == 0 && at_ + 6 <= text_.size()) {
        out += static_cast<char>(std::strtol(text_.substr(at_ + 4, 2).c_str(), nullptr, 16));
        at_ += 5;
      } else {
        const size_t escape = at_ + 1 < text_.size() ? kEscapes.find(text_[++at_]) : std::string::npos;
        if (escape == std::string::npos || escape % 2 != 0) return false;
        out += kEscapes[escape + 1];
      }
    }
    return take('"');
  }
  bool readValue(JsonValue& value) {
    skipBlanks();
    if (text_.compare(at_, 4, "null") == 0) {
      at_ += 4;
      value.isNull = true;
      return true;
    }
    if (at_ < text_.size() && text_[at_] == '"') {
      value.isString = true;
      return string(value.text);
    }
    const size_t end = text_.find_first_not_of("-+.eE0123456789", at_);
    value.text = text_.substr(at_, end - at_);
    char* parsed = nullptr;
    value.number = std::strtod(value.text.c_str(), &parsed);
    at_ = end == std::string::npos ? text_.size() : end;
    return !value.text.empty() && *parsed == '\0';
  }

  std::string text_;
  size_t at_ = 0;
};
