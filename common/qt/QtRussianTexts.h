// Qt's own texts in Russian: file dialogs ("Look in", "File name"), the
// overwrite question, colour and font choosers and the standard buttons speak
// the programs' language.
#pragma once

// Installs Qt's Russian translation into the running application, which owns
// it from then on. False (and Qt keeps its English) when the system has no
// Qt translations installed or there is no application yet.
bool InstallQtRussianTexts();
