// Qt's own texts (the buttons of its dialogs, the file and print dialogs, the
// context menus of the edit boxes) in the operator's language: the suite
// speaks Portuguese of Brazil, so Qt's pt_BR translation is loaded whatever
// the system's language, with the few texts of the file dialog it leaves in
// English.
#pragma once

#include <QString>

namespace cp {

// Installs Qt's Portuguese (Brazil) translation into the application, once;
// later calls do nothing. False when the translation file could not be
// loaded (the dialogs then stay in English; the program goes on).
bool installQtTranslation();

// The folder Qt's translations are read from (Qt's own translations path).
QString qtTranslationsFolder();

}  // namespace cp
