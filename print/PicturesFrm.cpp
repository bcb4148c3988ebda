#include "print/PicturesFrm.h"

#include "platform/PictureLoader.h"
#include "platform/WindowsPath.h"

namespace quillset {

void PicturesFrm::LoadDocImg(int index, const QString& windowsPath) {
    Picture& target = docImg_.At(index);
    QString why;
    std::optional<Picture> picture = LoadPicture(ResolveWindowsPath(windowsPath), &why);
    if (!picture)
        throw PrintFailure("cannot load " + windowsPath.toStdString() + ": " + why.toStdString());
    target = std::move(*picture);
}

} // namespace quillset
