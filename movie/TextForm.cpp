#include "movie/TextForm.h"

#include "print/TextCanvas.h"

namespace quillset {

namespace {

class VectorTextArea : public TextAreaCanvas {
public:
    PrintSurface& surface() override { return canvas_; }
    void setBackColor(OleColor color) override { canvas_.setBackColor(color); }
    Picture image() override { return canvas_.image(); }

private:
    TextCanvas canvas_{0, 0};
};

} // namespace

std::unique_ptr<TextAreaCanvas> MakeVectorTextArea() {
    return std::make_unique<VectorTextArea>();
}

TextAreaCanvas& TextForm::createTextArea(int index) {
    std::unique_ptr<TextAreaCanvas> canvas = makeTextArea_();
    // The template's colours: window text on the window colour.
    canvas->surface().SetForeColor(kWindowTextColor);
    canvas->setBackColor(kWindowColor);
    return *textArea_.create(index, std::move(canvas));
}

} // namespace quillset
