#pragma once

#include <QString>

#include <functional>

// Failures of work that no operator action started (a poll, a client's request, a traffic chunk):
// each goes to the main log as an error line, and the operator sees at most one box at a time.
// The box waits until no network dialog runs, so it never holds up a dialog's wait (nor the
// client waiting for its answer); failures that come meanwhile are only logged.
void ReportBackgroundError(const QString &Text);

// The box alone, for failures already logged by their reporter.
void ShowBackgroundBox(const QString &Text);

// True while a box of ReportBackgroundError is waiting to be shown or is open.
bool BackgroundErrorShown();

// Tells whether the box must wait (network dialogs are running).
void SetBackgroundErrorBusy(const std::function<bool()> &Busy);
