// The selection mode dialog: sequential, manual or random play of the
// stored melodies. Random exists only on the version 2.9 bell.
#pragma once

#include <QDialog>

#include "platform/Types.h"

class QRadioButton;

class CModeDialog : public QDialog {
  Q_OBJECT

 public:
  // mode: the bell's selection mode (BELL_MODE_*); manual and random are
  // checked as such, anything else as sequential.
  CModeDialog(BYTE mode, bool randomAllowed, QWidget* parent = nullptr);

  // The mode checked: BELL_MODE_SEQUENTIAL, _MANUAL or _RANDOM.
  BYTE Mode() const;
  QRadioButton* Button(BYTE mode) const;
};
