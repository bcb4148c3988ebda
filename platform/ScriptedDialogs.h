#pragma once

#include "platform/Dialogs.h"

#include <QStringList>
#include <deque>
#include <vector>

namespace quillset {

// Dialogs for tests: answers are queued beforehand and every request is kept for reading back.
// With no answer queued, a box takes its default answer, an input box answers empty and a file
// dialog is cancelled.
class ScriptedDialogs : public Dialogs {
public:
    void queueAnswer(MessageAnswer answer) { answers_.push_back(answer); }
    void queueInput(const QString& text) { inputs_.push_back(text); }
    void queueOpenFile(const QString& path) { files_.push_back(path); }

    const std::vector<MessageBoxRequest>& messages() const { return messages_; }
    const std::vector<InputBoxRequest>& inputBoxes() const { return inputBoxes_; }
    const std::vector<OpenFileRequest>& openDialogs() const { return openDialogs_; }
    void clear();

    MessageAnswer showMessage(const MessageBoxRequest& request) override;
    QString inputBox(const InputBoxRequest& request) override;
    QString showOpen(const OpenFileRequest& request) override;

private:
    std::deque<MessageAnswer> answers_;
    std::deque<QString> inputs_;
    std::deque<QString> files_;
    std::vector<MessageBoxRequest> messages_;
    std::vector<InputBoxRequest> inputBoxes_;
    std::vector<OpenFileRequest> openDialogs_;
};

} // namespace quillset
