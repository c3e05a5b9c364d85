#include "DinovaIcons.h"

#include "DinovaIds.h"

// The icons live in the program's library; a static library's resources
// must be registered by hand, once.
static void InitResources() {
  Q_INIT_RESOURCE(dinova);
}

namespace {

struct Entry {
  int id;
  const char* name;
};

constexpr Entry kIcons[] = {
    {IDI_BELL, "bell"},           {IDI_EXIT, "exit"},   {IDI_ADD_MELODY, "add_melody"},
    {IDI_WRITE_SET, "write_set"}, {IDI_PLAY, "play"},   {IDI_STOP, "stop"},
    {IDI_SELECTION_MODE, "mode"}, {IDI_CLEAR, "clear"}, {IDI_READ_SET, "read_set"},
};

}  // namespace

QIcon DinovaIcons::Icon(int id) {
  static const bool registered = (InitResources(), true);
  (void)registered;
  for (const Entry& entry : kIcons) {
    if (entry.id == id) return QIcon(QStringLiteral(":/dinova/icons/%1.svg").arg(QLatin1String(entry.name)));
  }
  return {};
}
