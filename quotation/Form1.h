#pragma once

#include "quotation/Module1.h"

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace quillset {

// The quotation program's window: the company's logo and name, the addressee's name and address,
// the cost lines the letter will carry, the signer's name, and the two buttons.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // `services` runs the print job; it must outlive the form.
    explicit Form1(PrintJobServices& services, QWidget* parent = nullptr);

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QFrame* Line1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLabel* Label5 = nullptr;
    QListWidget* List1 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Text3 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;

    // The outcome of the last print job, which the window shows only as a message or a
    // notification: for checks of the form.
    const PrintJobResult& lastResult() const { return lastResult_; }

    void Command1_Click();
    void Command2_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void placeControls();
    void showLogo();

    PrintJobServices& services_;
    Module1 module_;
    PrintJobResult lastResult_;
    bool centred_ = false;
};

} // namespace quillset
