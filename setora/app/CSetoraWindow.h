// The set editor's window: one dialog with the melody list, the set and
// block size displays, the command buttons and the menu. The document
// commands, the command rules and the playing state live in core classes;
// the window asks the user what they need and applies the list changes
// they answer with. After each command the title, the displays and the
// enabled states of buttons and menu items are refreshed together from the
// command-state table.
//
// The list mirrors the document: item i shows melody i, with its name and
// note count, so the sizes need no further requests.
#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "CCommandStatesU.h"
#include "CSetCommandsDialogs.h"
#include "CSetDocumentCommands.h"
#include "CSetPlayback.h"
#include "SetDocClient.h"
#include "platform/Types.h"

class CAppPathU;
class CMelodyList;
class CSetoraDocThread;
class CSizeDisplay;
class QAction;
class QMenuBar;
class QPushButton;
class UserDialogs;

class CSetoraWindow : public QDialog {
  Q_OBJECT

 public:
  // Rows of the command-state table, the closing row included.
  static constexpr std::size_t kCommandRows = 14;
  // How often a playing melody is asked whether it has ended.
  static constexpr int kPlayPollMs = 250;

  // The document thread must run and hold a document.
  CSetoraWindow(CSetoraDocThread& doc, CAppPathU& paths, UserDialogs& dialogs, QWidget* parent = nullptr);
  ~CSetoraWindow() override;

  // The dialog's initialisation: the title and the states, with the focus
  // on Add melody.
  void Initialise();

  // Opens the set file given at start-up, as Open does after its dialog, and
  // refreshes; a file that cannot be opened is reported and the set stays.
  void OpenStartupFile(const QString& path);

  // Runs a command as its menu item, shortcut or button does, then
  // refreshes; a disabled command does nothing.
  void RunCommand(int id);
  // One tick of the playback timer: ends the playing state once the melody
  // has finished.
  void PollPlayback();

  QAction* Action(int id) const;
  // The dialog button of a command; null for a command without one.
  QPushButton* Button(int id) const;
  CMelodyList* List() const { return list_; }
  bool IsPlaying() const { return playback_.IsPlaying(); }
  bool HasFile() const { return commands_.HasFile(); }

 protected:
  // The close box: Exit, which asks about unsaved changes first.
  void reject() override;
  // Escape does not end the program.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildMenu(QMenuBar* bar);
  void BuildControls();
  QPushButton* AddButton(int id, const char* icon);

  void Refresh(QWidget* focus);
  void UpdateTitle();
  void UpdateSizes();
  void ApplySelectionRules();
  void OnSelectionChanged();

  // Melody row of the document into the list, as a new last item or into
  // the item of that row.
  void LoadMelody(int row, bool append);
  // Makes the list follow a document command, then the command rules.
  void Apply(const SetListChange& change);

  void Exit();
  void DeleteMelodies();
  void Play();
  void Stop();
  void EndPlayback();
  void Help();
  void About();

  SetDocClient doc_;
  CAppPathU& paths_;
  UserDialogs& dialogs_;
  CSetCommandsDialogs ui_;
  CSetDocumentCommands commands_;
  CSetPlayback playback_;
  std::array<CommandState, kCommandRows> rows_;
  CCommandStatesU states_;
  std::map<int, QAction*> actions_;
  std::map<int, QPushButton*> buttons_;
  std::map<int, std::function<void()>> handlers_;
  CMelodyList* list_ = nullptr;
  CSizeDisplay* setSize_ = nullptr;
  CSizeDisplay* blockSize_ = nullptr;
  QTimer playTimer_;

  QWidget* focus_ = nullptr;  // where a command wants the focus afterwards
  bool closing_ = false;
};
