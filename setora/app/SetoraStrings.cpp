#include "SetoraStrings.h"

#include "SetoraIds.h"

namespace {

struct Entry {
  int id;
  const char* text;
};

constexpr Entry kStrings[] = {
    {IDC_SET_SIZE, "Размер набора мелодий в нотных знаках"},
    {IDC_BLOCK_SIZE, "Размер блока мелодий в нотных знаках"},
    {IDM_NEW, "Новый набор"},
    {IDM_OPEN, "Открыть набор"},
    {IDM_SAVE, "Сохранить набор"},
    {IDM_SAVE_MELODY, "Сохранить мелодию"},
    {IDM_ADD_MELODY, "Добавить мелодию"},
    {IDM_DELETE_MELODY, "Удалить мелодию"},
    {IDM_MELODY_UP, "Мелодия вверх"},
    {IDM_MELODY_DOWN, "Мелодия вниз"},
    {IDM_PLAY, "Играть мелодию"},
    {IDM_STOP, "Стоп"},
    {IDS_APP_TITLE, "Редактор набора мелодий"},
    {IDS_INIT_FAILED, "Ошибка при инициализации приложения"},
    {IDS_REGISTRY_KEY, "N&V\\Setora Editor v1.1"},
};

}  // namespace

QString SetoraStrings::Text(int id) {
  for (const Entry& entry : kStrings) {
    if (entry.id == id) return QString::fromUtf8(entry.text);
  }
  return {};
}
