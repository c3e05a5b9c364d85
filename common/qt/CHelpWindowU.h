// CHelpWindowU: the help window. A text browser shows pages read from one
// compiled help file and follows the links between them; pictures and style
// sheets come from the same file. Links that leave the file are not followed.
#pragma once

#include <QWidget>
#include <memory>

class CChmFileU;
class QTextBrowser;
class QToolButton;

class CHelpWindowU : public QWidget {
  Q_OBJECT

 public:
  explicit CHelpWindowU(QWidget* parent = nullptr);
  ~CHelpWindowU() override;

  // Opens file (when it is not the one already open) and shows the object
  // at path ("/page.htm"). False, with the page shown before left in place,
  // when the file cannot be opened or has no such object.
  bool ShowTopic(const QString& file, const QString& path);

  QString CurrentFile() const { return file_; }
  // The object path of the page shown ("/page.htm"); empty before the first.
  QString CurrentPath() const;
  QTextBrowser* Browser() const;

 private:
  class PageBrowser;

  std::unique_ptr<CChmFileU> chm_;
  QString file_;
  PageBrowser* browser_ = nullptr;
  QToolButton* back_ = nullptr;
  QToolButton* forward_ = nullptr;
};
