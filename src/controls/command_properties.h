#pragma once
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

namespace tess {

// A button's stored properties as a window definition keeps them: keyed values,
// a value equal to its default left out.
using CommandProperties = QList<QPair<QString, QVariant>>;

namespace CommandKey {
inline const QString Enabled = QStringLiteral("Enabled");
inline const QString Caption = QStringLiteral("Caption");
inline const QString Font = QStringLiteral("Font");
inline const QString FirstRun = QStringLiteral("FirstRun");
inline const QString FontColour = QStringLiteral("FontColour");
inline const QString Visible = QStringLiteral("Visible");
} // namespace CommandKey

// The caption both restoring and storing treat as the default (also the text
// of a newly created button), so every caption survives a store and restore.
inline const QString kDefaultCommandCaption = QStringLiteral("Command");

} // namespace tess
