#pragma once

#include "graphics/Picture.h"
#include "print/IndexedSlots.h"

#include <QString>

namespace quillset {

// The hidden picture holder form with its indexed picture slots DocImg. Slot 0 is the design's
// template and always exists; a print job creates slots 1..n, one per picture, and destroys them
// when it ends. Slot misuse (creating a slot twice, touching a missing one) is a PrintFailure.
class PicturesFrm {
public:
    void Load() { docImg_.Load(); }
    // Unloading the form takes its run-time slots with it.
    void Unload() { docImg_.Unload(); }
    bool IsLoaded() const { return docImg_.IsLoaded(); }

    void CreateDocImg(int index) { docImg_.Create(index, Picture()); }
    // Loads the picture file at a Windows-style path into a slot; PrintFailure when the file is
    // missing or is not a picture we can read.
    void LoadDocImg(int index, const QString& windowsPath);
    void SetDocImg(int index, Picture picture) { docImg_.At(index) = std::move(picture); }
    const Picture& DocImg(int index) const { return index == 0 ? template_ : docImg_.At(index); }
    void DestroyDocImg(int index) { docImg_.Destroy(index); }
    // Slots 1 to the highest destroyed in ascending order, then the form unloaded.
    void DestroyAllAndUnload() { docImg_.DestroyAllAndUnload(); }

    // The highest slot index in use, 0 when only the template exists.
    int HighestDocImg() const { return docImg_.Highest(); }

private:
    Picture template_;
    IndexedSlots<Picture> docImg_{"DocImg"};
};

} // namespace quillset
