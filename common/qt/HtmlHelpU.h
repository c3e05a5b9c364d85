// HtmlHelpU: the programs' help. Topics of the compiled help file are shown
// in one help window per process, and context pop-ups (short texts kept in a
// text file inside the help file) appear at a screen position.
//
// An address is the help file's full path, "::" and the object's path inside
// it: "/opt/nv/Vireon.chm::/edmel_about.htm". A program shows its topic with
//   HtmlHelpU::DisplayTopic(window, HtmlHelpU::Address(paths.ProgramDir(), "edmel_about.htm"));
#pragma once

#include <QPoint>
#include <QString>
#include <optional>
#include <string>

class CHelpWindowU;
class QLabel;
class QWidget;

class HtmlHelpU {
 public:
  static constexpr const char* kHelpFile = "Vireon.chm";
  static constexpr const char* kNoTopicText = "Справка для этого элемента отсутствует.";

  // programDir (ending in '/') + "Vireon.chm::/" + topic.
  static QString Address(const std::string& programDir, const QString& topic);
  // Splits an address at its last "::"; the object path always starts with
  // '/'. False when there is no "::" or either side is empty.
  static bool SplitAddress(const QString& address, QString& file, QString& object);

  // Opens the help window (made on first use, owned by owner's top-level
  // window) on the topic and raises it. Null, and nothing shown, when the
  // file cannot be opened or does not hold the topic.
  static CHelpWindowU* DisplayTopic(QWidget* owner, const QString& address);

  // Shows the pop-up text of topic number topic from the text file the
  // address names, at the global position at (moved to stay on screen).
  // A missing file, text file or topic shows kNoTopicText. The pop-up closes
  // at the next click or key; the returned label deletes itself then.
  static QLabel* DisplayTextPopup(QWidget* owner, const QString& address, int topic, const QPoint& at);

  // The text of a numbered topic in a pop-up text file: lines after
  // ".topic <number>" up to the next ".topic" line, trimmed. Symbolic topic
  // names never match a number. nullopt when there is no such topic.
  static std::optional<QString> PopupText(const QString& fileText, int topic);
};
