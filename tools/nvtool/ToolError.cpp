#include "ToolError.h"

#include "platform/CodePage.h"

namespace {

std::string Trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

ToolError::ToolError(int code, std::string_view text) : std::runtime_error(Trimmed(text)), code_(code) {}

ToolError::ToolError(int code, std::u16string_view text) : ToolError(code, nv::WideToUtf8(text)) {}
