#include "app/shell/install/ModalAlert.h"

#include "app/shell/Alert.h"

namespace parley {

int ModalAlert::run(QWidget* window) const
{
    return Alert::ask(window, message, informativeText, buttons);
}

} // namespace parley
