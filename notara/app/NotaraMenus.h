// The melody editor's menus and tool bar as data: which commands there are,
// where they show, their texts and keys, and the tool-bar pictures. The
// main window builds its menu bar, tool bar and command states from these.
#pragma once

#include <QIcon>
#include <array>
#include <cstddef>
#include <vector>

#include "CCommandStatesU.h"
#include "MenuTableU.h"

namespace NotaraMenus {

// Rows of the command-state table, the closing row included.
inline constexpr std::size_t kCommandRows = 21;

// The command-state rows in tool-bar order, ending with an all-zero row.
std::array<CommandState, kCommandRows> CommandStates();
// The menu bar, popup by popup.
std::vector<MenuPopupU> MenuBar();
// Tool-bar pictures in the order of the tool-bar rows.
std::vector<QIcon> ToolBarImages();

}  // namespace NotaraMenus
