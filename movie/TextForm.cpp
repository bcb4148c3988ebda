#include "movie/TextForm.h"

#include "print/TextCanvas.h"

namespace quillset {

namespace {

class VectorTextArea : public TextAreaCanvas {
public:
    PrintSurface& Surface() override { return canvas_; }
    void SetBackColor(OleColor color) override { canvas_.SetBackColor(color); }
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
    // The template's colours: window text on the window colour.
    canvas->Surface().SetForeColor(kWindowTextColor);
    canvas->SetBackColor(kWindowColor);
    return *textArea_.create(index, std::move(canvas));
}

} // namespace quillset
