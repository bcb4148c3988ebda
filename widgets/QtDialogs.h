#pragma once

#include "platform/Dialogs.h"

class QWidget;

namespace quillset {

// Real modal boxes: QMessageBox, QInputDialog and the widget-based QFileDialog.
class QtDialogs : public Dialogs {
public:
    MessageAnswer showMessage(const MessageBoxRequest& request) override;
    QString inputBox(const InputBoxRequest& request) override;
    QString showOpen(const OpenFileRequest& request) override;
};

} // namespace quillset
