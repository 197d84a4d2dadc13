#pragma once

#include <QString>

// Deletes the record of that code from the table (with the records that refer to it when
// DeleteCascade; otherwise the library refuses while there are any). A refusal is shown in the error
// box; a failed delete the library has shown itself. True when the record is gone.
bool RemoveRecord(const QString &TableName, qint32 Code, bool DeleteCascade);
