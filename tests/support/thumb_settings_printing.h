#pragma once
// How a failed comparison of two settings records shows them: field by field.
#include "settings/thumb_settings.h"

#include <ostream>

namespace tess {

inline void PrintTo(const ThumbSettings &s, std::ostream *out)
{
    *out << "{Width " << s.Width << ", Height " << s.Height << ", RatioMode " << s.RatioMode << ", FileType "
         << s.FileType << ", Compression " << s.Compression << ", MarginColour " << s.MarginColour << ", Quality "
         << s.Quality << ", Prefix \"" << s.Prefix.toStdString() << "\", SaveFolder \"" << s.SaveFolder.toStdString()
         << "\", DuplicateMode " << s.DuplicateMode << '}';
}

} // namespace tess
