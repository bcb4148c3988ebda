#include "platform/DialogsForEnvironment.h"

#include "platform/QtDialogs.h"
#include "platform/UnattendedDialogs.h"

namespace quillset {

std::unique_ptr<Dialogs> MakeDialogsForEnvironment() {
    if (UnattendedMode())
        return std::make_unique<UnattendedDialogs>();
    return std::make_unique<QtDialogs>();
}

} // namespace quillset
