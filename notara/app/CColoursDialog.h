// The colours dialog: five swatch buttons for the name, staff, note,
// selected-note and background colours. It works on a copy; "Применить"
// hands the copy to the owner at once, OK hands it over and closes, Cancel
// closes keeping what was applied before.
#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "CAppSetting.h"

class QPushButton;
class UserDialogs;

class CColoursDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kFirstButtonId = 1501;
  static constexpr int kApplyId = 1506;

  CColoursDialog(const Colours& colours, UserDialogs& dialogs, QWidget* parent = nullptr);

  // Runs on "Применить" with the copy.
  void SetApply(std::function<void(const Colours&)> apply) { apply_ = std::move(apply); }

  const Colours& GetColours() const { return colours_; }
  QPushButton* ColourButton(int index) const { return buttons_[static_cast<size_t>(index)]; }
  QPushButton* ApplyButton() const { return applyButton_; }
  QPushButton* OkButton() const { return okButton_; }

  // Opens the colour chooser for colour index, as a click on its swatch does.
  void ChooseColour(int index);
  void Apply();

 public slots:
  void accept() override;

 private:
  UserDialogs& dialogs_;
  Colours colours_;
  std::array<QPushButton*, kColourCount> buttons_{};
  QPushButton* applyButton_;
  QPushButton* okButton_;
  std::function<void(const Colours&)> apply_;
};
