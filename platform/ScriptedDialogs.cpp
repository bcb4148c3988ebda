#include "platform/ScriptedDialogs.h"

namespace quillset {

void ScriptedDialogs::clear() {
    answers_.clear();
    inputs_.clear();
    files_.clear();
    messages_.clear();
    inputBoxes_.clear();
    openDialogs_.clear();
}

MessageAnswer ScriptedDialogs::showMessage(const MessageBoxRequest& request) {
    messages_.push_back(request);
    if (answers_.empty())
        return request.defaultAnswer;
    const MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

QString ScriptedDialogs::inputBox(const InputBoxRequest& request) {
    inputBoxes_.push_back(request);
    if (inputs_.empty())
        return {};
    QString text = inputs_.front();
    inputs_.pop_front();
    return text;
}

QString ScriptedDialogs::showOpen(const OpenFileRequest& request) {
    openDialogs_.push_back(request);
    if (files_.empty())
        return request.fileName;
    QString path = files_.front();
    files_.pop_front();
    return path;
}

} // namespace quillset
