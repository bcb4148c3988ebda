#include "Local.h"

namespace quillset {

void Local::DownloadAndInstall() {
    // Installing arrives with the archive extraction; until then the find is reported and the
    // agent ends where the installation would begin.
    ShowInfo(QStringLiteral("Version %1 of %2 is on the update server.")
                 .arg(double(state_.ServerVersion))
                 .arg(state_.ModuleName));
    view_.unload();
}

} // namespace quillset
