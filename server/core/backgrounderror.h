#pragma once

#include <QString>

// Failures of work that no operator action started (a poll, a client's request, a traffic chunk):
// each goes to the main log as an error line, and the operator sees at most one box at a time.
// The box is shown on a later turn of the event loop, so the handler that failed returns at once
// (a client waiting for its answer is not held up by the box).
void ReportBackgroundError(const QString &Text);

// True while a box of ReportBackgroundError is waiting to be shown or is open.
bool BackgroundErrorShown();
