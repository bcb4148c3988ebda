#include "PicturesFrm.h"

#include "PictureLoader.h"
#include "PrintSurface.h"
#include "WindowsPath.h"

namespace quillset {

namespace {

std::string slotName(int index) {
    return "DocImg(" + std::to_string(index) + ")";
}

} // namespace

void PicturesFrm::Unload() {
    slots_.clear();
    loaded_ = false;
}

void PicturesFrm::CreateDocImg(int index) {
    if (index < 1)
        throw PrintFailure("cannot create " + slotName(index));
    if (slots_.count(index))
        throw PrintFailure(slotName(index) + " already exists");
    Load();
    slots_.emplace(index, Picture());
}

Picture& PicturesFrm::slot(int index) {
    const auto found = slots_.find(index);
    if (found == slots_.end())
        throw PrintFailure(slotName(index) + " does not exist");
    return found->second;
}

void PicturesFrm::LoadDocImg(int index, const QString& windowsPath) {
    Picture& target = slot(index);
    QString why;
    std::optional<Picture> picture = LoadPicture(ResolveWindowsPath(windowsPath), &why);
    if (!picture)
        throw PrintFailure("cannot load " + windowsPath.toStdString() + ": " + why.toStdString());
    target = std::move(*picture);
}

void PicturesFrm::SetDocImg(int index, Picture picture) {
    slot(index) = std::move(picture);
}

const Picture& PicturesFrm::DocImg(int index) const {
    if (index == 0)
        return template_;
    const auto found = slots_.find(index);
    if (found == slots_.end())
        throw PrintFailure(slotName(index) + " does not exist");
    return found->second;
}

void PicturesFrm::DestroyDocImg(int index) {
    if (index == 0 || slots_.erase(index) == 0)
        throw PrintFailure("cannot destroy " + slotName(index));
}

int PicturesFrm::HighestDocImg() const {
    return slots_.empty() ? 0 : slots_.rbegin()->first;
}

} // namespace quillset
