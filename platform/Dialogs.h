#pragma once

#include <QString>

namespace quillset {

enum class MessageIcon { None, Information, Question, Warning, Critical };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel };

// One modal message box or question. Lines inside `text` are separated the way the caller
// built them (a lone carriage return in the cipher's questions).
struct MessageBoxRequest {
    QString title;
    QString text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
};

struct InputBoxRequest {
    QString title;
    QString prompt;
    QString defaultText;
};

struct OpenFileRequest {
    QString fileName; // the dialog's file name property before it is shown
    QString filter;   // "Description|*.EXT" pairs joined by bars
};

// Every modal box, question and file chooser of the programs goes through this seam, so the
// logic runs without a display: Qt shows real dialogs, the unattended user takes the defaults,
// tests script the answers.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual MessageAnswer showMessage(const MessageBoxRequest& request) = 0;
    // The text typed; an empty text when the user cancelled.
    virtual QString inputBox(const InputBoxRequest& request) = 0;
    // The dialog's file name property afterwards: the chosen path, or request.fileName unchanged
    // when the user cancelled.
    virtual QString showOpen(const OpenFileRequest& request) = 0;
};

} // namespace quillset
