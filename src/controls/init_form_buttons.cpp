#include "controls/init_form_buttons.h"

#include "controls/command.h"

namespace tess {

void InitFormButtons(QWidget *host, bool initialise, bool enable)
{
    if (!host)
        return;
    const QList<Command *> buttons = host->findChildren<Command *>();
    for (Command *button : buttons) {
        if (initialise)
            button->Initialize();
        else
            button->setEnabled(enable);
    }
}

} // namespace tess
