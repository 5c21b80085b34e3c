#pragma once
#include <QRegularExpression>
#include <QString>

namespace tess::testing {

// Kana, kanji, full-width and half-width forms, and the CJK punctuation
// (the ideographic space among them): what no English text holds.
inline bool hasJapanese(const QString &text)
{
    static const QRegularExpression japanese(
        QStringLiteral("[\\x{3000}-\\x{30ff}\\x{31f0}-\\x{31ff}\\x{4e00}-\\x{9fff}\\x{ff01}-\\x{ff9f}]"));
    return text.contains(japanese);
}

} // namespace tess::testing
