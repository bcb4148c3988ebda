#pragma once

#include "movie/ScheduleContents.h"
#include "platform/Dialogs.h"

#include <QWidget>
#include <functional>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace quillset {

class PictureBox;

// What the form's buttons reach outside the form.
struct Form1Actions {
    Dialogs* dialogs = nullptr;
    std::function<void(const ScheduleContents&)> printSchedule;
    std::function<void()> endProgram;
    // A chosen picture file that gave no picture, and why: for the failure log, since the user
    // is told nothing. Nowhere when empty.
    std::function<void(const QString& file, const QString& reason)> pictureNotLoaded;
};

// The movie schedule window. Its controls hold the whole state of the program; they carry their
// designer names as object names.
class Form1 : public QWidget {
    Q_OBJECT
public:
    Form1(const ScheduleContents& start, Form1Actions actions, QWidget* parent = nullptr);

    // The schedule as the controls show it now.
    ScheduleContents contents() const;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();

private:
    void chooseBitmapFor(PictureBox& box);

    Form1Actions actions_;
    QLineEdit* BoxDay;
    QLineEdit* Title;
    QLineEdit* BoxRated;
    QLineEdit* Text3;
    QPlainTextEdit* Text1;
    QPlainTextEdit* Text2;
    QListWidget* SList;
    PictureBox* Picture1;
    PictureBox* Picture2;
};

} // namespace quillset
