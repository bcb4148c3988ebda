#pragma once

#include "Picture.h"

#include <QString>
#include <map>

namespace quillset {

// The hidden picture holder form with its indexed picture slots DocImg. Slot 0 is the design's
// template and always exists; a print job creates slots 1..n, one per picture, and destroys them
// when it ends. Slot misuse (creating a slot twice, touching a missing one) is a PrintFailure.
class PicturesFrm {
public:
    // Loading happens on first use of a slot as well, as with a form touched by code.
    void Load() { loaded_ = true; }
    // Unloading the form takes its run-time slots with it.
    void Unload();
    bool IsLoaded() const { return loaded_; }

    void CreateDocImg(int index);
    // Loads the picture file at a Windows-style path into a slot; PrintFailure when the file is
    // missing or is not a picture we can read.
    void LoadDocImg(int index, const QString& windowsPath);
    void SetDocImg(int index, Picture picture);
    const Picture& DocImg(int index) const;
    void DestroyDocImg(int index);

    // The highest slot index in use, 0 when only the template exists.
    int HighestDocImg() const;
    bool HasDocImg(int index) const { return index == 0 || slots_.count(index) != 0; }

private:
    Picture& slot(int index);

    bool loaded_ = false;
    Picture template_;
    std::map<int, Picture> slots_;
};

} // namespace quillset
