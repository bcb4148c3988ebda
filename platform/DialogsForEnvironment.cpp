#include "DialogsForEnvironment.h"

#include "QtDialogs.h"
#include "UnattendedDialogs.h"

namespace quillset {

std::unique_ptr<Dialogs> MakeDialogsForEnvironment() {
    if (unattendedMode())
        return std::make_unique<UnattendedDialogs>();
    return std::make_unique<QtDialogs>();
}

} // namespace quillset
