#include "platform/ui/fonts.h"

namespace tess {

void installFontSubstitutes()
{
    static const bool installed = [] {
        QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
        QFont::insertSubstitution(QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"));
        QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
        QFont::insertSubstitution(QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"));
        return true;
    }();
    (void)installed;
}

QFont uiFont()
{
    installFontSubstitutes();
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSizeF(9.75);
    return font;
}

} // namespace tess
