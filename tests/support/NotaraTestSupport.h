// What the programs' window tests share: the real Sonvox module registered
// in the test's private registry, sound going to ALSA's null device, and
// user dialogs that answer from a script instead of waiting for a user.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QDialog>
#include <QFont>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "MelFileWriter.h"
#include "SonvoxTestSupport.h"
#include "TempDir.h"
#include "UserDialogs.h"
#include "platform/Library.h"
#include "platform/Registry.h"
#include "sonvox/Sonvox.h"

namespace notaratest {

using nvtest::PrepareSonvox;

// Answers message boxes and file dialogs from queues and records what was asked.
class ScriptedDialogs : public UserDialogs {
 public:
  struct Box {
    QString text;
    QString caption;
    UINT type;
  };

  std::vector<Box> boxes;
  std::deque<int> answers;          // IDYES, IDNO, IDCANCEL...; IDOK when empty
  std::deque<QString> openAnswers;  // empty string: cancelled
  std::deque<QString> saveAnswers;
  std::vector<FileDialogRequest> fileRequests;
  std::function<int(QDialog&)> exec;  // the own dialogs; rejected when unset
  std::deque<QColor> colourAnswers;
  std::deque<QFont> fontAnswers;

  int MessageBox(QWidget*, const QString& text, const QString& caption, UINT type) override {
    boxes.push_back({text, caption, type});
    if (answers.empty()) return (type & 0x0F) == MB_YESNOCANCEL ? IDCANCEL : IDOK;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  QString OpenFileName(QWidget*, const FileDialogRequest& request) override { return Take(openAnswers, request); }
  QString SaveFileName(QWidget*, const FileDialogRequest& request) override { return Take(saveAnswers, request); }
  bool ChooseColor(QWidget*, QColor& colour, QColor (&)[16]) override {
    if (colourAnswers.empty()) return false;
    colour = colourAnswers.front();
    colourAnswers.pop_front();
    return true;
  }
  bool ChooseFont(QWidget*, QFont& font) override {
    if (fontAnswers.empty()) return false;
    font = fontAnswers.front();
    fontAnswers.pop_front();
    return true;
  }
  int Exec(QDialog& dialog) override { return exec ? exec(dialog) : QDialog::Rejected; }

 private:
  QString Take(std::deque<QString>& queue, const FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (queue.empty()) return {};
    QString answer = queue.front();
    queue.pop_front();
    return answer;
  }
};

}  // namespace notaratest
