#pragma once
#include <QFont>

namespace tess {

// The stored windows name "ＭＳ Ｐゴシック", which Linux does not have; map it (and
// its fixed-pitch sibling) onto the IPA Gothic fonts. Safe to call more than once.
void installFontSubstitutes();

// The caption font of the windows and their buttons: "ＭＳ Ｐゴシック" at 9.75 points,
// with the substitutes installed.
QFont uiFont();

} // namespace tess
