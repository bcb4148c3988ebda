#pragma once

#include "graphics/Picture.h"
#include "print/IndexedSlots.h"
#include "print/PrintSurface.h"

#include <QString>
#include <functional>
#include <memory>

namespace quillset {

// One slot of the canvas array TextArea: a surface the paragraph printer draws on, whose
// persistent drawing becomes a picture for the page.
class TextAreaCanvas {
public:
    virtual ~TextAreaCanvas() = default;
    virtual PrintSurface& surface() = 0;
    // The colour the image is filled with beneath the drawing.
    virtual void setBackColor(OleColor color) = 0;
    // What has been drawn so far, as a picture of the canvas's size.
    virtual Picture image() = 0;
};

using TextAreaFactory = std::function<std::unique_ptr<TextAreaCanvas>()>;

// Canvases that keep their drawing as vector drawing, so the text stays text on the page.
std::unique_ptr<TextAreaCanvas> MakeVectorTextArea();

// The hidden form "Text paragraph printing form" holding the indexed canvases TextArea. Slot 0
// is the design's template and is never drawn on; a job creates slots 1..n and destroys them when
// it ends. Slot misuse (creating a slot twice, touching a missing one) is a PrintFailure.
class TextForm {
public:
    explicit TextForm(TextAreaFactory makeTextArea = MakeVectorTextArea)
        : makeTextArea_(std::move(makeTextArea)) {}

    void load() { textArea_.load(); }
    // Unloading the form takes its run-time slots with it.
    void unload() { textArea_.unload(); }
    bool isLoaded() const { return textArea_.isLoaded(); }

    // A new, empty canvas in the template's colours.
    TextAreaCanvas& createTextArea(int index);
    TextAreaCanvas& TextArea(int index) { return *textArea_.at(index); }
    // Slots 1 to the highest destroyed in ascending order, then the form unloaded.
    void destroyAllAndUnload() { textArea_.destroyAllAndUnload(); }
    // The highest slot index in use, 0 when only the template exists: what a check reads to see
    // that a job left no slot behind.
    int highestTextArea() const { return textArea_.highest(); }

private:
    TextAreaFactory makeTextArea_;
    IndexedSlots<std::unique_ptr<TextAreaCanvas>> textArea_{"TextArea"};
};

} // namespace quillset
