#pragma once

// The indexes the statistics reports read their periods by (the date fields, window by window).
// Made once; where they exist nothing is created or scanned. A failure is only written to the main
// log: a missing index slows the reports down but does not stop them.
void EnsureReportIndexes();
