#pragma once

#include <QString>
#include <QUrl>

// The program's identity as the splash window and the about box show it.

// "Версия " and the program version from the build (major.minor.revision).
QString VersionText();
// The application title.
QString ApplicationTitle();
// What the program is.
QString ProgramDescription();
// The support mail link with the subject "Quillmarsh".
QUrl SupportMailUrl();
