#pragma once

#include "platform/Dialogs.h"

#include <memory>

namespace quillset {

// The unattended user when QUILLSET_UNATTENDED=1, real Qt dialogs otherwise.
std::unique_ptr<Dialogs> MakeDialogsForEnvironment();

} // namespace quillset
