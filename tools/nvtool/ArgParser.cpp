#include "ArgParser.h"

#include <charconv>

#include "ToolError.h"

namespace {

const ArgParser::Option* FindLong(std::initializer_list<ArgParser::Option> options, std::string_view name) {
  for (const auto& option : options)
    if (name == option.name) return &option;
  return nullptr;
}

const ArgParser::Option* FindShort(std::initializer_list<ArgParser::Option> options, char name) {
  for (const auto& option : options)
    if (option.shortName != 0 && option.shortName == name) return &option;
  return nullptr;
}

}  // namespace

bool ArgParser::WantsHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

ArgParser::ArgParser(const std::vector<std::string>& args, std::initializer_list<Option> options) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      positionals_.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const Option* option = nullptr;
    std::optional<std::string> inlineValue;
    if (arg[1] == '-') {
      std::string_view body = std::string_view(arg).substr(2);
      const size_t equals = body.find('=');
      if (equals != std::string_view::npos) {
        inlineValue = std::string(body.substr(equals + 1));
        body = body.substr(0, equals);
      }
      option = FindLong(options, body);
    } else if (arg.size() == 2) {
      option = FindShort(options, arg[1]);
    }
    if (option == nullptr) {
      // A negative number is a positional word, not an option.
      if (arg[1] >= '0' && arg[1] <= '9') {
        positionals_.push_back(arg);
        continue;
      }
      throw ToolError::Usage("unknown option " + arg);
    }
    if (values_.count(option->name) != 0) throw ToolError::Usage(std::string("--") + option->name + " given twice");
    if (!option->takesValue) {
      if (inlineValue) throw ToolError::Usage(std::string("--") + option->name + " takes no value");
      values_[option->name] = "";
      continue;
    }
    if (!inlineValue) {
      if (i + 1 >= args.size()) throw ToolError::Usage(std::string("--") + option->name + " needs a value");
      inlineValue = args[++i];
    }
    values_[option->name] = *inlineValue;
  }
}

bool ArgParser::Has(std::string_view name) const {
  return values_.find(name) != values_.end();
}

std::optional<std::string> ArgParser::Value(std::string_view name) const {
  auto found = values_.find(name);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

std::string ArgParser::Required(std::string_view name) const {
  auto value = Value(name);
  if (!value || value->empty()) throw ToolError::Usage("--" + std::string(name) + " is required");
  return *value;
}

long ArgParser::Number(std::string_view name, long min, long max, long fallback) const {
  auto value = Value(name);
  if (!value) return fallback;
  return ParseNumber(*value, min, max, "--" + std::string(name));
}

long ArgParser::ParseNumber(std::string_view text, long min, long max, std::string_view what) {
  long number = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc() || stop != end || number < min || number > max) {
    throw ToolError::Usage(std::string(what) + " must be a whole number from " + std::to_string(min) + " to " +
                           std::to_string(max) + ", not \"" + std::string(text) + "\"");
  }
  return number;
}

void ArgParser::ExpectPositionals(size_t count, std::string_view what) const {
  if (positionals_.size() < count) throw ToolError::Usage("missing " + std::string(what));
  if (positionals_.size() > count) throw ToolError::Usage("unexpected argument \"" + positionals_[count] + "\"");
}
