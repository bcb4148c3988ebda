#include "widgets/DialogsForEnvironment.h"

#include "platform/UnattendedDialogs.h"
#include "widgets/QtDialogs.h"

namespace quillset {

std::unique_ptr<Dialogs> MakeDialogsForEnvironment() {
    if (UnattendedMode())
        return std::make_unique<UnattendedDialogs>();
    return std::make_unique<QtDialogs>();
}

} // namespace quillset
