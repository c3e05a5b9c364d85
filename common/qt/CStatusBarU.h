// The status bar of a main window: a help part that takes the free width,
// for passing messages, followed by fields sized to template texts, each
// with its own identifier and text.
#pragma once

#include <QString>
#include <map>
#include <vector>

class QLabel;
class QMainWindow;
class QStatusBar;

class CStatusBarU {
 public:
  static constexpr int kControlId = 101;

  struct Field {
    int id;
    // The widest text the field must hold, measured with the bar's font.
    QString templateText;
  };

  // Creates the bar (with a size grip) as owner's status bar; the help part
  // starts empty.
  CStatusBarU(QMainWindow* owner, const std::vector<Field>& fields);
  virtual ~CStatusBarU() = default;
  CStatusBarU(const CStatusBarU&) = delete;
  CStatusBarU& operator=(const CStatusBarU&) = delete;

  void SetHelpText(const QString& text);
  QString HelpText() const;

  // A field's text; a leading tab centres it, two leading tabs align it to
  // the right. An unknown id is ignored.
  void SetText(int id, const QString& text);
  // The text as last set, tabs included; empty for an unknown id.
  QString Text(int id) const;

  // Measures the fields again (after a font change); resizing the window
  // needs no call, the free part follows the width by itself.
  void Relayout();

  QStatusBar* Bar() const { return bar_; }
  int Height() const;

 private:
  struct Part {
    QLabel* label;
    QString templateText;
    QString text;
  };

  QStatusBar* bar_;
  QLabel* help_;
  std::map<int, Part> fields_;
};
