#include "TextForm.h"

#include "TextCanvas.h"

#include <string>

namespace quillset {

namespace {

std::string slotName(int index) {
    return "TextArea(" + std::to_string(index) + ")";
}

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

void TextForm::Unload() {
    slots_.clear();
    loaded_ = false;
}

TextAreaCanvas& TextForm::CreateTextArea(int index) {
    if (index < 1)
        throw PrintFailure("cannot create " + slotName(index));
    if (slots_.count(index))
        throw PrintFailure(slotName(index) + " already exists");
    Load();
    std::unique_ptr<TextAreaCanvas> canvas = makeTextArea_();
    // The template's text colour; its background, the window colour, is the paper's own.
    canvas->Surface().SetForeColor(WindowTextColor);
    return *slots_.emplace(index, std::move(canvas)).first->second;
}

TextAreaCanvas& TextForm::TextArea(int index) {
    const auto found = slots_.find(index);
    if (found == slots_.end())
        throw PrintFailure(slotName(index) + " does not exist");
    return *found->second;
}

void TextForm::DestroyTextArea(int index) {
    if (slots_.erase(index) == 0)
        throw PrintFailure("cannot destroy " + slotName(index));
}

int TextForm::HighestTextArea() const {
    return slots_.empty() ? 0 : slots_.rbegin()->first;
}

} // namespace quillset
