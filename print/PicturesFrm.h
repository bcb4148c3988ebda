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
    void load() { docImg_.load(); }
    // Unloading the form takes its run-time slots with it.
    void unload() { docImg_.unload(); }
    bool isLoaded() const { return docImg_.isLoaded(); }

    void createDocImg(int index) { docImg_.create(index, Picture()); }
    // Loads the picture file at a Windows-style path into a slot; PrintFailure when the file is
    // missing or is not a picture we can read.
    void loadDocImg(int index, const QString& windowsPath);
    void setDocImg(int index, Picture picture) { docImg_.at(index) = std::move(picture); }
    const Picture& DocImg(int index) const { return index == 0 ? template_ : docImg_.at(index); }
    // The design's unload of one slot; jobs unload them all at once, checks one by one.
    void destroyDocImg(int index) { docImg_.destroy(index); }
    // Slots 1 to the highest destroyed in ascending order, then the form unloaded.
    void destroyAllAndUnload() { docImg_.destroyAllAndUnload(); }

    // The highest slot index in use, 0 when only the template exists.
    int highestDocImg() const { return docImg_.highest(); }

private:
    Picture template_;
    IndexedSlots<Picture> docImg_{"DocImg"};
};

} // namespace quillset
