#include "movie/TextForm.h"

#include "print/TextCanvas.h"

namespace quillset {

namespace {

class VectorTextArea : public TextAreaCanvas {
public:
    PrintSurface& Surface() override { return canvas_; }
    Picture Image() override { return canvas_.Image(); }

private:
    TextCanvas canvas_{0, 0};
};

} // namespace

std::unique_ptr<TextAreaCanvas> MakeVectorTextArea() {
    return std::make_unique<VectorTextArea>();
}

TextAreaCanvas& TextForm::CreateTextArea(int index) {
    std::unique_ptr<TextAreaCanvas> canvas = makeTextArea_();
    // The template's text colour. Its background, the window colour, is left unpainted: on white
    // paper it looks the same and hides nothing beneath the canvas.
    canvas->Surface().SetForeColor(kWindowTextColor);
    return *textArea_.Create(index, std::move(canvas));
}

} // namespace quillset
