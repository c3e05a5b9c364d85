// The "Транспонировать..." dialog: the semitones every note of the melody
// moves by (−36 to 36) and "fit into the range".
#pragma once

#include <QDialog>

class QCheckBox;
class QSpinBox;

class CTransposeDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CTransposeDialog(QWidget* parent = nullptr);

  int Semitones() const;
  void SetSemitones(int semitones);
  bool Fit() const;
  void SetFit(bool fit);

 private:
  QSpinBox* semitones_;
  QCheckBox* fit_;
};
