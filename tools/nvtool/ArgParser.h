// The arguments of one command: options (long "--name value", "--name=value",
// short "-o value") and positional words, in any order; "--" ends the
// options. Every failure is a usage error (ToolError with kExitUsage).
#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ArgParser {
 public:
  struct Option {
    const char* name;  // long name without the dashes
    char shortName;    // 0 when there is none
    bool takesValue;
  };

  // True when args ask for help ("--help" or "-h" before any "--").
  static bool WantsHelp(const std::vector<std::string>& args);

  // Splits args by the options given; an unknown option, a missing value or
  // an option given twice is a usage error.
  ArgParser(const std::vector<std::string>& args, std::initializer_list<Option> options);

  bool Has(std::string_view name) const;
  std::optional<std::string> Value(std::string_view name) const;
  // The option's value, which must be present.
  std::string Required(std::string_view name) const;
  // The option's value as a whole number within [min, max], or fallback
  // when the option is absent.
  long Number(std::string_view name, long min, long max, long fallback) const;

  const std::vector<std::string>& Positionals() const { return positionals_; }
  // Exactly count positional words, or a usage error naming what is expected.
  void ExpectPositionals(size_t count, std::string_view what) const;

  // text as a whole number within [min, max]; what names it in the error.
  static long ParseNumber(std::string_view text, long min, long max, std::string_view what);

 private:
  std::map<std::string, std::string, std::less<>> values_;
  std::vector<std::string> positionals_;
};
