#pragma once
#include <QByteArray>
#include <QString>

namespace tess {

// Text in code page 932 exactly as Windows converts it. ICU's table, which
// Qt uses, differs from Windows' in a few single bytes: it swaps the control
// bytes 0x1A, 0x1C and 0x7F among themselves (an IBM habit), and it has no
// mapping for 0x80, 0xA0 and 0xFD to 0xFF, which Windows reads as U+0080,
// U+F8F0 and U+F8F1 to U+F8F3. Those are mended here, both ways; everything
// else goes through ICU.

// A lead byte with nothing after it (the last byte of the text) reads as the
// code page's default character U+30FB "・", as Windows reads it, instead of
// vanishing.
QString decodeCp932(const QByteArray &bytes);

// The bytes of text; ok is false when a character has no CP932 form (that
// character then becomes 0xFC 0xFC).
QByteArray encodeCp932(const QString &text, bool *ok = nullptr);

// Whether the text survives a round trip through CP932 unchanged.
bool fitsCp932(const QString &text);

} // namespace tess
