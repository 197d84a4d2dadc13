#pragma once

#include <QString>
#include <QStringList>

// Replaces every record of "AutorunList" by one record per program, in the given order, all or
// nothing: after a failure the table is as it was. False with the library's text in ErrString, or
// with ErrString empty where the library has shown its own box (a refused delete).
bool RewriteAutorunList(const QStringList &Programs, QString &ErrString);
