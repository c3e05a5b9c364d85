// The programmer's string table and its fixed texts (UTF-8). Control numbers
// double as keys of their tool tips. nvtool words its messages about the
// doorbell with these same texts.
#pragma once

constexpr int IDS_CAPTION = 1013;   // caption of every message box
constexpr int IDS_KEY_NAME = 1031;  // the settings key under "Software\"

class DinovaStrings {
 public:
  // The entry of id; "" for an unknown one.
  static const char* Text(int id);

  static constexpr const char* kTitle = "Программа звонок v2.1";
  static constexpr const char* kInitFailed = "Ошибка при инициализации приложения";
  static constexpr const char* kIoError = "Ошибка ввода-вывода при обмене со звонком";
  static constexpr const char* kProgramError = "Программная ошибка при выполнении операции";
  // A status read found melodies the memory no longer describes consistently.
  static constexpr const char* kDamaged =
      "Память звонка повреждена: записанные мелодии не могут быть прочитаны.\n"
      "Очистите звонок, чтобы снова записывать в него мелодии";
  static constexpr const char* kAskClear = "Очистить звонок, удалив все мелодии ?";
  static constexpr const char* kAskExitBusy =
      "Идет обмен со звонком.\n Если выйти сейчас, то мелодии в звонке могут быть испорчены.\n\n Выйти из программы ?";
  static constexpr const char* kNoHelp = "Не удалось открыть файл справки\n";
  static constexpr const char* kSymbols = "%1 нотных знаков";
  static constexpr const char* kUnknown = "?";
  static constexpr const char* kModeNames[3] = {"последовательный", "ручной", "случайный"};
  static constexpr const char* kBellTypes[2] = {"ДЖН v2.0", "ДЖН v2.9 (MAXI)"};

  // The checkers under the open dialogs, and before the first append.
  static constexpr const char* kMelodyFits = "Мелодия подходящего размера";
  static constexpr const char* kMelodyTooLong = "Мелодия слишком длинная";
  static constexpr const char* kSetFits = "Набор мелодий подходящего размера";
  static constexpr const char* kSetTooBig = "Набор мелодий слишком большой";
  static constexpr const char* kBadFormat = "Неправильный формат файла";
  static constexpr const char* kReadFailed = "Ошибка при чтении файла";
  // %1 the most melodies the bell holds.
  static constexpr const char* kTooManyMelodies = "Слишком много мелодий: звонок вмещает не более %1";
  // %1 the melody's number in the set, %2 the note's number, %3 its pitch, %4 its duration code.
  static constexpr const char* kSetBadNote =
      "Мелодия %1, нота %2 (высота %3, длительность %4) не может быть записана в звонок";
  // %1 the note's number, %2 its pitch, %3 its duration code.
  static constexpr const char* kMelodyBadNote = "Нота %1 (высота %2, длительность %3) не может быть записана в звонок";

  // Requests of the device thread.
  static constexpr const char* kOpenFailed = "Ошибка при открытии файла";
  static constexpr const char* kNotMelody = "Файл не является мелодией";
  static constexpr const char* kWriteFailed = "Ошибка при записи в файл";
  static constexpr const char* kMelodyCreateFailed = "Ошибка при создании мелодии";
  static constexpr const char* kUnknownBellType = "Неизвестный тип звонка";
  static constexpr const char* kBellInterfaceFailed = "Программная ошибка при обращении к звонку";
  static constexpr const char* kNoMelodies = "Звонок не содержит мелодий";
  static constexpr const char* kSavedName = "Мелодия N%d";
  static constexpr const char* kBellCreateFailed = "Не удалось открыть порт звонка";
  static constexpr const char* kPortNotSaved = "Не удалось сохранить настройку порта";
};
