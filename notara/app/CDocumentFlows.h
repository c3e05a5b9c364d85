// The document commands of the main window: New, Open, Save, Save As, the
// unsaved-changes question and the window title. The untitled flag lives
// here: set after New and after a failed start-up open, cleared after a
// successful Open or a Save under a chosen name.
#pragma once

#include <QString>
#include <functional>

#include "MelodyDocClient.h"

class CAppPathU;
class QWidget;
class UserDialogs;
namespace nv {
class RequestThread;
}

class CDocumentFlows {
 public:
  static constexpr const char* kNewName = "Новая мелодия";

  // resetView: scroll the view back to the top left and lay it out again;
  // run after a document was created or opened.
  CDocumentFlows(nv::RequestThread& doc, CAppPathU& paths, UserDialogs& dialogs, QWidget* owner,
                 std::function<void()> resetView);
  virtual ~CDocumentFlows() = default;
  CDocumentFlows(const CDocumentFlows&) = delete;
  CDocumentFlows& operator=(const CDocumentFlows&) = delete;

  // Asks whether to save a modified document. true to go on (saved, or the
  // user chose No, or nothing to save); false when the user cancelled or the
  // save failed.
  bool ConfirmDiscard();

  // Each returns whether the document changed hands (or was saved).
  bool New();
  bool Open();
  bool Save();
  bool SaveAs();

  // Start-up: opens path when it is not empty; when that fails (the error is
  // shown) or without a path, creates a new document. false only when even
  // the new document cannot be made.
  bool StartUp(const QString& path);

  bool IsUntitled() const { return untitled_; }
  // The document was replaced by one without a file (a fragment taken from
  // a MIDI file): the title shows documentName, the next Save asks for a
  // name, and the view goes back to the top left.
  void AdoptUntitled(const QString& documentName);

  // Shows text in an error box with the application title.
  void ShowError(const QString& text) const;

 private:
  // Sends the open request and takes the file on success; shows the error
  // otherwise.
  bool OpenPath(const QString& path);
  bool CreateNew();
  void SetTitle(const QString& documentName);

  MelodyDocClient doc_;
  CAppPathU& paths_;
  UserDialogs& dialogs_;
  QWidget* owner_;
  std::function<void()> resetView_;
  bool untitled_ = true;
};
