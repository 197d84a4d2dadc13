#pragma once

// The indexes of the lookups the computers view repeats for every tile on every refresh: a
// computer's seance at a moment and its reserve of a night. Made once at start over the open
// database; where they exist nothing is created or scanned. A failure is only written to the main
// log: a missing index slows the program down but does not stop it.
void EnsureLookupIndexes();
