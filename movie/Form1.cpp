#include "movie/Form1.h"

#include "graphics/Fonts.h"
#include "graphics/PictureLoader.h"
#include "movie/FormPicture.h"
#include "movie/PictureBox.h"
#include "platform/Twips.h"
#include "platform/WindowsPath.h"
#include "widgets/FormControls.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <exception>
#include <utility>

namespace quillset {

namespace {

template <typename Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QString::fromLatin1(name));
    PlaceInTwips(widget, left, top, width, height);
    return widget;
}

// A caption, which also names `control` for screen readers.
void AddLabel(QWidget* form, const char* name, const char* text, int left, int top, int width,
              QWidget* control) {
    auto* label = new QLabel(QString::fromLatin1(text), form);
    label->setObjectName(QString::fromLatin1(name));
    PlaceLabelInTwips(label, left, top, width, 195);
    NameByLabel(label, control);
}

// A multi-line text box wraps its text at the box's width.
QPlainTextEdit* AddMultiLineBox(QWidget* form, const char* name, const QString& text, int left,
                                int top) {
    auto* box = Place(new QPlainTextEdit(text, form), name, left, top, 4095, 1935);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return box;
}

QPushButton* AddButton(QWidget* form, const char* name, const char* text, int left, int top,
                       int width, int height) {
    return Place(new QPushButton(QString::fromLatin1(text), form), name, left, top, width, height);
}

// A multi-line box holds line breaks as LF; the schedule's texts carry them as CR LF.
QString WithCrLf(const QString& text) {
    QString result = text;
    return result.replace(u'\n', QStringLiteral("\r\n"));
}

QString WithLf(const QString& text) {
    QString result = text;
    return result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

Picture SamplePicture(const char16_t* windowsPath) {
    return LoadPicture(ResolveWindowsPath(QString::fromUtf16(windowsPath))).valueOr(Picture());
}

} // namespace

ScheduleContents StartingSchedule() {
    ScheduleContents contents = SampleScheduleTexts();
    contents.picture1 = SamplePicture(u"C:\\QSET_DEMOS\\FORMATED TEXT\\SAMPLE1.BMP");
    contents.picture2 = SamplePicture(u"C:\\QSET_DEMOS\\FORMATED TEXT\\SAMPLE2.BMP");
    return contents;
}

Form1::Form1(const ScheduleContents& start, Form1Actions actions, QWidget* parent)
    : QWidget(parent), actions_(std::move(actions)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Movie Schedule"));
    setFont(MakeFont(QStringLiteral("MS Sans Serif"), 8.25f));
    setFixedSize(TwipsToPixels(8550), TwipsToPixels(6060));

    BoxDay = Place(new QLineEdit(start.day, this), "BoxDay", 120, 480, 4095, 285);
    AddLabel(this, "Label8", "Weekday:", 120, 240, 735, BoxDay);
    Title = Place(new QLineEdit(start.title, this), "Title", 4320, 480, 4095, 285);
    AddLabel(this, "Label7", "Title:", 4320, 240, 345, Title);

    Picture1 = Place(new PictureBox(this), "Picture1", 120, 1080, 2055, 1935);
    Picture1->setPicture(start.picture1);
    AddLabel(this, "Label1", "Picture 1:", 120, 840, 675, Picture1);
    auto* command1 = AddButton(this, "Command1", "...", 1920, 2760, 255, 255);

    Text1 = AddMultiLineBox(this, "Text1", WithLf(start.description1), 2280, 1080);
    AddLabel(this, "Label3", "Movie description 1:", 2280, 840, 1425, Text1);

    Text3 = Place(new QLineEdit(QStringLiteral("16:00"), this), "Text3", 6480, 1080, 1695, 285);
    auto* command3 = AddButton(this, "Command3", "+", 8160, 1080, 255, 255);
    SList = Place(new QListWidget(this), "SList", 6480, 1440, 1935, 3180);
    SList->addItems(start.showTimes);
    // One caption over the time box and the list: the box is named by it, the list by
    // what it holds.
    AddLabel(this, "Label5", "Schedule:", 6480, 840, 720, Text3);
    SList->setAccessibleName(QStringLiteral("Show times"));

    Picture2 = Place(new PictureBox(this), "Picture2", 120, 3300, 2055, 1935);
    Picture2->setPicture(start.picture2);
    AddLabel(this, "Label2", "Picture 2:", 120, 3060, 675, Picture2);
    auto* command2 = AddButton(this, "Command2", "...", 1920, 4980, 255, 255);

    Text2 = AddMultiLineBox(this, "Text2", WithLf(start.description2), 2280, 3300);
    AddLabel(this, "Label4", "Movie description 2:", 2280, 3060, 1425, Text2);

    BoxRated = Place(new QLineEdit(start.rated, this), "BoxRated", 6480, 4920, 1935, 285);
    AddLabel(this, "Label6", "Rated:", 6480, 4680, 480, BoxRated);

    auto* command5 = AddButton(this, "Command5", "Exit", 120, 5400, 1215, 495);
    auto* command4 = AddButton(this, "Command4", "Print schedule", 7080, 5400, 1335, 495);

    // The small buttons' captions are symbols; a screen reader speaks what they do.
    for (auto [button, picture] : {std::pair{command1, "Picture 1"}, {command2, "Picture 2"}}) {
        button->setAccessibleName(QStringLiteral("Choose picture\u2026"));
        button->setAccessibleDescription(QString::fromLatin1(picture));
    }
    command3->setAccessibleName(QStringLiteral("Add show time"));

    // The "..." buttons sit over the pictures' lower right corners.
    command1->raise();
    command2->raise();

    MakeDefaultButton(command4);
    AddFormKeys(this, command4);
    setWindowIcon(InstalledIcon(QStringLiteral("org.quillset.movie")));

    connect(command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(command5, &QPushButton::clicked, this, &Form1::Command5_Click);
}

ScheduleContents Form1::Contents() const {
    ScheduleContents contents;
    contents.day = BoxDay->text();
    contents.title = Title->text();
    contents.rated = BoxRated->text();
    contents.description1 = WithCrLf(Text1->toPlainText());
    contents.description2 = WithCrLf(Text2->toPlainText());
    for (int i = 0; i < SList->count(); ++i)
        contents.showTimes << SList->item(i)->text();
    contents.picture1 = Picture1->picture();
    contents.picture2 = Picture2->picture();
    return contents;
}

void Form1::ChooseBitmapFor(PictureBox& box) {
    // Whatever goes wrong, the box keeps its picture and nothing is said.
    try {
        const QString pattern = QStringLiteral("*.BMP");
        const QString name =
            actions_.dialogs->showOpen({pattern, QStringLiteral("Windows Bitmap (*.BMP)|*.BMP")});
        if (name.trimmed().isEmpty() || name == pattern)
            return;
        // The dialog answers a path of this machine, not a Windows-style one.
        Result<Picture> picture = LoadFormPicture(std::filesystem::path(name.toStdString()));
        if (picture && !picture->isNull())
            box.setPicture(std::move(*picture));
    } catch (const std::exception&) {
    }
}

void Form1::Command1_Click() {
    ChooseBitmapFor(*Picture1);
}

void Form1::Command2_Click() {
    ChooseBitmapFor(*Picture2);
}

void Form1::Command3_Click() {
    SList->addItem(Text3->text());
}

void Form1::Command4_Click() {
    actions_.printSchedule(Contents());
}

void Form1::Command5_Click() {
    actions_.endProgram();
}

} // namespace quillset
