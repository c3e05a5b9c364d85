// The "О программе" box every program shows: its icon at the top left, a
// column of text lines beside it and an OK button below; OK and the close
// box close it. A program derives its own About dialog from it with its
// icon and lines.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>
#include <vector>

struct AboutLineU {
  QString objectName;  // for tests and style sheets; may be empty
  QString text;        // plain or rich text
  bool bold = false;
  int spaceBefore = 0;  // pixels above the line
};

struct AboutBoxU {
  QString objectName;
  QIcon icon;
  std::vector<AboutLineU> lines;
  QString okText;  // empty: the button's own (translated) text
};

class CAboutDialogU : public QDialog {
  Q_OBJECT

 public:
  CAboutDialogU(const AboutBoxU& box, QWidget* parent);
};
