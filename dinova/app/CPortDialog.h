// The "Порт..." dialog: which port the doorbell hangs on. The first
// parallel port, another port device, or a virtual doorbell in an image file
// (with the size of a new image). OK is taken only for a usable choice; a
// wrong one is explained inside the dialog.
#pragma once

#include <QDialog>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class UserDialogs;

class CPortDialog : public QDialog {
  Q_OBJECT

 public:
  // setting: the setting in force, shown at first. dialogs: where the
  // image file chooser runs.
  CPortDialog(const std::string& setting, UserDialogs& dialogs, QWidget* parent = nullptr);

  // The setting chosen; valid after the dialog was accepted.
  std::string Setting() const { return setting_; }

  // The controls, for the tests.
  QRadioButton* DefaultChoice() const { return defaultPort_; }
  QRadioButton* DeviceChoice() const { return devicePort_; }
  QRadioButton* VirtualChoice() const { return virtualPort_; }
  QLineEdit* DeviceEdit() const { return device_; }
  QLineEdit* ImageEdit() const { return image_; }
  QComboBox* SizeList() const { return size_; }
  QString ErrorText() const;

 public slots:
  void accept() override;

 private:
  void UpdateEnabled();
  void Browse();

  UserDialogs& dialogs_;
  QRadioButton* defaultPort_;
  QRadioButton* devicePort_;
  QRadioButton* virtualPort_;
  QLineEdit* device_;
  QLineEdit* image_;
  QPushButton* browse_;
  QComboBox* size_;
  QLabel* error_;
  std::string setting_;
};
