#pragma once

#include "platform/Dialogs.h"

#include <cstdio>

namespace quillset {

// The unattended user (QUILLSET_UNATTENDED=1): every box's title and text are written to a
// stream, standard output by default, and the default button answers; input boxes answer empty
// and file dialogs are cancelled.
class UnattendedDialogs : public Dialogs {
public:
    explicit UnattendedDialogs(std::FILE* out = stdout) : out_(out) {}

    MessageAnswer showMessage(const MessageBoxRequest& request) override;
    QString inputBox(const InputBoxRequest& request) override;
    QString showOpen(const OpenFileRequest& request) override;

private:
    std::FILE* out_;
};

// True when QUILLSET_UNATTENDED is set to 1.
bool UnattendedMode();

} // namespace quillset
