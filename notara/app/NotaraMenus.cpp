#include "NotaraMenus.h"

#include <QKeySequence>
#include <QString>

#include "NotaraCommands.h"

namespace NotaraMenus {

namespace {

// The command-state rows: command, enabled at start, menu, dirty, tool-bar
// button, dirty, separator after.
constexpr LONG kMenu = CCommandStatesU::kMenuId;
constexpr LONG kBar = CCommandStatesU::kToolBarId;
constexpr std::array<CommandState, kCommandRows> kCommandStates = {{
    {IDM_NEW, 1, kMenu, 0, kBar, 0, 0},
    {IDM_OPEN, 1, kMenu, 0, kBar, 0, 0},
    {IDM_SAVE, 1, kMenu, 0, kBar, 0, 1},
    {IDM_IMPORT_MIDI, 1, kMenu, 0, 0, 0, 0},
    {IDM_IMPORT_RINGTONE, 1, kMenu, 0, 0, 0, 0},
    {IDM_TRANSPOSE, 1, kMenu, 0, 0, 0, 0},
    {IDM_UNDO, 1, kMenu, 0, kBar, 0, 1},
    {IDM_NEXT_NOTE, 1, kMenu, 0, kBar, 0, 0},
    {IDM_PREV_NOTE, 1, kMenu, 0, kBar, 0, 1},
    {IDM_INSERT_NOTE, 1, kMenu, 0, kBar, 0, 0},
    {IDM_INSERT_REST, 1, kMenu, 0, kBar, 0, 0},
    {IDM_DELETE, 1, kMenu, 0, kBar, 0, 1},
    {IDM_PITCH_UP, 1, kMenu, 0, kBar, 0, 0},
    {IDM_PITCH_DOWN, 1, kMenu, 0, kBar, 0, 0},
    {IDM_LENGTHEN, 1, kMenu, 0, kBar, 0, 0},
    {IDM_SHORTEN, 1, kMenu, 0, kBar, 0, 1},
    {IDM_ZOOM_IN, 1, kMenu, 0, kBar, 0, 0},
    {IDM_ZOOM_OUT, 1, kMenu, 0, kBar, 0, 1},
    {IDM_PLAY, 1, kMenu, 0, kBar, 0, 0},
    {IDM_STOP, 1, kMenu, 0, kBar, 0, 0},
    {0, 0, 0, 0, 0, 0, 0},
}};

}  // namespace

std::array<CommandState, kCommandRows> CommandStates() {
  return kCommandStates;
}

std::vector<MenuPopupU> MenuBar() {
  const QKeySequence none;
  return {
      {"&Файл",
       {{IDM_NEW, "&Создать\tCtrl+N", QKeySequence(Qt::CTRL | Qt::Key_N)},
        {IDM_OPEN, "&Открыть\tCtrl+O", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {IDM_SAVE, "Со&хранить\tCtrl+S", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {IDM_SAVE_AS, "Сохранить &как...", none},
        {0, nullptr, none},
        {IDM_IMPORT_MIDI, "&Импорт MIDI...", none},
        {IDM_EXPORT_MIDI, "&Экспорт MIDI...", none},
        {IDM_IMPORT_RINGTONE, "Импорт &текста мелодии...", none},
        {IDM_EXPORT_RINGTONE, "Экспорт т&екста мелодии...", none},
        {0, nullptr, none},
        {IDM_PRINT, "&Печать...", none},
        {IDM_PRINT_PREVIEW, "Предварительный прос&мотр...", none},
        {0, nullptr, none},
        {IDM_EXIT, "&Выход\tAlt+X", QKeySequence(Qt::ALT | Qt::Key_X)}}},
      {"&Правка",
       {{IDM_UNDO, "&Отменить\tCtrl+Z", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {0, nullptr, none},
        {IDM_NEXT_NOTE, "С&ледующая нота\tP", QKeySequence(Qt::Key_P)},
        {IDM_PREV_NOTE, "П&редыдущая нота\tO", QKeySequence(Qt::Key_O)},
        {0, nullptr, none},
        {IDM_INSERT_NOTE, "&Вставить ноту\tIns", QKeySequence(Qt::Key_Insert)},
        {IDM_INSERT_REST, "Вставить &паузу\tShift+Ins", QKeySequence(Qt::SHIFT | Qt::Key_Insert)},
        {IDM_DELETE, "&Удалить ноту/паузу\tDel", QKeySequence(Qt::Key_Delete)},
        {0, nullptr, none},
        {IDM_PITCH_UP, "П&овысить тон\tW", QKeySequence(Qt::Key_W)},
        {IDM_PITCH_DOWN, "Пон&изить тон\tX", QKeySequence(Qt::Key_X)},
        {IDM_LENGTHEN, "Увели&чить длительность\tD", QKeySequence(Qt::Key_D)},
        {IDM_SHORTEN, "Умень&шить длительность\tA", QKeySequence(Qt::Key_A)},
        {IDM_TRANSPOSE, "&Транспонировать...", none},
        {0, nullptr, none},
        {IDM_COPY_RINGTONE, "&Копировать как текст мелодии", none},
        {IDM_NAME, "&Название мелодии...\tN", QKeySequence(Qt::Key_N)}}},
      {"&Вид",
       // Keypad + and - zoom through keyPressEvent: shortcuts with the keypad
       // modifier never match real key presses on X11.
       {{IDM_ZOOM_IN, "У&величить масштаб\t+", none},
        {IDM_ZOOM_OUT, "У&меньшить масштаб\t--", none},
        {IDM_ZOOM_FACTOR, "&Масштабный коэффициент...", none},
        {0, nullptr, none},
        {IDM_COLOURS, "&Цвета...", none},
        {IDM_FONT, "&Шрифт...", none}}},
      {"В&оспроизведение",
       {{IDM_PLAY, "&Проиграть\tCtrl+P", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {IDM_STOP, "&Остановить\tCtrl+B", QKeySequence(Qt::CTRL | Qt::Key_B)},
        {0, nullptr, none},
        {IDM_SOUND_ON_EDIT, "&Звук при редактировании", none}}},
      {"&Справка", {{IDM_HELP, "&Справка\tF1", QKeySequence(Qt::Key_F1)}, {IDM_ABOUT, "&О программе ...", none}}},
  };
}

// Tool-bar pictures in the order of the tool-bar rows.
std::vector<QIcon> ToolBarImages() {
  static const char* const kNames[] = {"new",     "open",    "save",    "undo",    "next",      "prev",
                                       "insnote", "insrest", "delete",  "pitchup", "pitchdown", "lengthen",
                                       "shorten", "zoomin",  "zoomout", "play",    "stop"};
  std::vector<QIcon> icons;
  for (const char* name : kNames) icons.emplace_back(QStringLiteral(":/notara/icons/%1.svg").arg(name));
  return icons;
}

}  // namespace NotaraMenus
