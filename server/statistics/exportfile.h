#pragma once

#include <QDateTime>
#include <QString>

class OdtWriter;

// Where an exported report is kept: an OpenDocument text in the user's documents folder named by the
// report and the moment, "Сеансы 2026-12-05 14-03-27.odt" (" (2)" and up before the extension when
// that name is taken).

// The file name for the report titled Title exported at Moment, in Folder.
QString ExportFilePath(const QString &Folder, const QString &Title, const QDateTime &Moment);
// Writes the document to a new file of that name, all or nothing: a failed write leaves no file.
// Path is the file's path; false with the reason.
bool SaveExport(const OdtWriter &Writer,
                const QString &Folder,
                const QString &Title,
                const QDateTime &Moment,
                QString &Path,
                QString &ErrString);
