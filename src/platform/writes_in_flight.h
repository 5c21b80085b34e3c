#pragma once
#include <QByteArray>
#include <sys/types.h>

namespace tess {

// The hidden temporary files that whole-file writes have in flight. A program
// told to end at once abandons them first, so that an interrupted write
// leaves neither a temporary file nor half a thumbnail behind.

// Creates path exclusively (O_CREAT | O_EXCL) for writing and remembers it.
// The descriptor, or -1 with errno set.
int openTemporaryFile(const QByteArray &path, mode_t mode);
// Renames the temporary file over target and forgets it. False with errno set
// (the temporary file is then still there and still remembered).
bool commitTemporaryFile(const QByteArray &temporary, const QByteArray &target);
// Deletes the temporary file and forgets it.
void discardTemporaryFile(const QByteArray &temporary);

// Deletes every temporary file in flight; from then on no write commits (a
// commit waits for good), so the caller should end the process soon after.
// Only the first call does anything.
void abandonWritesInFlight();

} // namespace tess
