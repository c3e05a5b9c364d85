// Any text as the "Port" setting, which users may edit by hand: the parser
// accepts or refuses it without failing, an accepted virtual port has a path,
// and the accepted settings read the same from their canonical form.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "portix/PortSetting.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using portix::PortSetting;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  PortSetting port;
  if (!PortSetting::Parse(text, &port)) return 0;
  switch (port.kind) {
    case PortSetting::Kind::kParallel:
    case PortSetting::Kind::kI2c:
      // A device path is taken as it stands.
      if (port.path != text || (port.kind == PortSetting::Kind::kI2c) != text.starts_with("/dev/i2c-")) abort();
      return 0;
    case PortSetting::Kind::kVirtual:
      break;
    default:
      abort();
  }
  if (port.path.empty() || port.path.find('?') != std::string::npos) abort();
  const std::string canonical =
      "virtual:" + port.path + "?size=" + std::to_string(port.newImageSize) + "&fast=" + (port.fastTiming ? "1" : "0");
  PortSetting again;
  if (!PortSetting::Parse(canonical, &again) || again.kind != port.kind || again.path != port.path ||
      again.newImageSize != port.newImageSize || again.fastTiming != port.fastTiming)
    abort();
  return 0;
}
