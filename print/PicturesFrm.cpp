#include "print/PicturesFrm.h"

#include "graphics/PictureLoader.h"
#include "platform/WindowsPath.h"

namespace quillset {

void PicturesFrm::loadDocImg(int index, const QString& windowsPath) {
    Picture& target = docImg_.at(index);
    Result<Picture> picture = LoadPicture(ResolveWindowsPath(windowsPath));
    if (!picture)
        throw PrintFailure("cannot load " + windowsPath.toStdString() + ": " +
                           picture.reason().toStdString());
    target = std::move(*picture);
}

} // namespace quillset
