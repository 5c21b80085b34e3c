#pragma once
#include <QByteArray>
#include <QString>

namespace tess {

// The order of a sorted Windows list box on a Japanese system: a word sort
// that ignores case. Character classes come in the order symbols, digits,
// Latin letters, other scripts, kana, kanji; "-" and "'" are skipped at the
// first level; full and half width, hiragana and katakana weigh the same at
// the first level and only break ties, after accents and before case. Two
// different strings never compare equal.
//
// The key compares bytewise (QByteArray's operator<), so a long list can be
// sorted with one key per name instead of one analysis per comparison.
QByteArray listBoxSortKey(const QString &text);
bool listBoxLess(const QString &a, const QString &b);

} // namespace tess
