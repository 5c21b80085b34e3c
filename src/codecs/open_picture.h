#pragma once
#include "codecs/picture_file.h"
#include "codecs/picture_reader.h"

#include <QString>

namespace tess {

// Opens a picture file with the reader of its kind, chosen by the file's
// content, not its name. A missing file, one of no kind we read, or a header
// that claims far more pixels than the file could hold is refused at once.
OpenedPicture openPicture(const QString &path, const ReadOptions &options = {});

// The same for a file already open, positioned at its start; takes ownership
// of fd (pictures held in memory come this way too).
OpenedPicture openPictureFile(int fd, const ReadOptions &options = {});

// The same for a file already looked at; a file that is not ok() is refused
// as one that can't be opened.
OpenedPicture openPicture(PictureFile file, const ReadOptions &options = {});

} // namespace tess
