#include "DinovaStrings.h"

#include "DinovaIds.h"

namespace {

struct Entry {
  int id;
  const char* text;
};

constexpr Entry kStrings[] = {
    {IDC_WRITE_SET, "Записать набор"},
    {IDC_ADD_MELODY, "Добавить мелодию"},
    {IDC_READ_SET, "Считать набор"},
    {IDC_CLEAR, "Очистить"},
    {IDC_EXIT, "Выход"},
    {IDC_REFRESH, "Обновить статус"},
    {IDS_CAPTION, "Звонок v2.1"},
    {IDC_SELECTION_MODE, "Установка режима выбора мелодии"},
    {IDS_KEY_NAME, "N&V\\Dinova v2.1"},
};

}  // namespace

const char* DinovaStrings::Text(int id) {
  for (const Entry& entry : kStrings) {
    if (entry.id == id) return entry.text;
  }
  return "";
}
