#pragma once

#include <QString>

// Loads Qt's own Russian texts (standard buttons, context menus, file dialogs) into the application,
// so that they read as the rest of the program does. False with the reason when the translation file
// cannot be loaded; Qt's texts then stay as they are.
bool InstallQtTranslation(QString &ErrString);
