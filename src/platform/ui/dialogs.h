#pragma once
#include <QString>
#include <cstdint>
#include <optional>

class QWidget;

namespace tess {

// Every dialog and message box the windows show goes through here, so tests
// can answer them without a person.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The folder picker; nullopt when the user cancels. The path has no
    // trailing "/" except for the root.
    virtual std::optional<QString> pickFolder(QWidget *owner, const QString &title) = 0;
    // The colour dialog, starting from 16 white custom colours every time;
    // the chosen colour as 0x00BBGGRR, or -1 when the user cancels.
    virtual std::int32_t pickColour(QWidget *owner, std::int32_t initial) = 0;
    // A message box: OK only, no icon, title "Tessarolith" (or the given one).
    virtual void message(QWidget *owner, const QString &text, const QString &title = QString()) = 0;
};

// The dialogs in use: Qt's own unless a test installed others.
Dialogs &dialogs();
// Installs d (not owned) in place of Qt's dialogs; nullptr restores them.
void setDialogsForTesting(Dialogs *d);

} // namespace tess
