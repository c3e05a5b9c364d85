// The programmer's icons, our own vector drawings, by resource number.
#pragma once

#include <QIcon>

class DinovaIcons {
 public:
  // The icon of resource id (IDI_*); a null icon for an unknown one.
  static QIcon Icon(int id);
};
