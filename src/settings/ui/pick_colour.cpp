#include "settings/ui/pick_colour.h"

#include "platform/ui/dialogs.h"

namespace tess {

std::int32_t PickColour(QWidget *owner, std::int32_t initial)
{
    return dialogs().pickColour(owner, initial);
}

} // namespace tess
