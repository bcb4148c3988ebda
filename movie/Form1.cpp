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
#include <tuple>
#include <utility>

namespace quillset {

namespace {

// A multi-line text box wraps its text at the box's width.
QPlainTextEdit* MakeMultiLineBox(const QString& text, QWidget* form) {
    auto* box = new QPlainTextEdit(text, form);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return box;
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

// The names of a picture box, its caption and its "..." button, and the caption's words.
struct PictureGroupNames {
    const char* box;
    const char* label;
    const char* button;
    const char* caption;
};

// A picture box under its caption, with the "..." button that chooses its picture over its lower
// right corner.
std::pair<PictureBox*, QPushButton*>
PlacePictureGroup(QWidget* form, const PictureGroupNames& names, int top, const Picture& picture) {
    auto* box = PlaceInTwips(new PictureBox(form), names.box, 120, top, 2055, 1935);
    box->setPicture(picture);
    PlaceLabelInTwips(new QLabel(QString::fromLatin1(names.caption) + u':', form), names.label, 120,
                      top - 240, 675, 195, box);
    auto* choose = PlaceInTwips(new QPushButton(QStringLiteral("..."), form), names.button, 1920,
                                top + 1680, 255, 255);
    choose->raise();
    // The button's caption is a symbol; a screen reader speaks what it does, and for which box.
    choose->setAccessibleName(QStringLiteral("Choose ") +
                              QString::fromLatin1(names.caption).toLower() +
                              QStringLiteral("\u2026"));
    choose->setAccessibleDescription(QString::fromLatin1(names.caption));
    return {box, choose};
}

} // namespace

Form1::Form1(const ScheduleContents& start, Form1Actions actions, QWidget* parent)
    : QWidget(parent), actions_(std::move(actions)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Movie Schedule"));
    setFont(MakeFont(QStringLiteral("MS Sans Serif"), 8.25f));
    setFixedSize(TwipsToPixels(8550), TwipsToPixels(6060));

    BoxDay = PlaceInTwips(new QLineEdit(start.day, this), "BoxDay", 120, 480, 4095, 285);
    PlaceLabelInTwips(new QLabel(QStringLiteral("Weekday:"), this), "Label8", 120, 240, 735, 195,
                      BoxDay);
    Title = PlaceInTwips(new QLineEdit(start.title, this), "Title", 4320, 480, 4095, 285);
    PlaceLabelInTwips(new QLabel(QStringLiteral("Title:"), this), "Label7", 4320, 240, 345, 195,
                      Title);

    QPushButton* command1 = nullptr;
    std::tie(Picture1, command1) = PlacePictureGroup(
        this, {"Picture1", "Label1", "Command1", "Picture 1"}, 1080, start.picture1);

    Text1 = PlaceInTwips(MakeMultiLineBox(WithLf(start.description1), this), "Text1", 2280, 1080,
                         4095, 1935);
    PlaceLabelInTwips(new QLabel(QStringLiteral("Movie description 1:"), this), "Label3", 2280, 840,
                      1425, 195, Text1);

    Text3 =
        PlaceInTwips(new QLineEdit(QStringLiteral("16:00"), this), "Text3", 6480, 1080, 1695, 285);
    auto* command3 =
        PlaceInTwips(new QPushButton(QStringLiteral("+"), this), "Command3", 8160, 1080, 255, 255);
    SList = PlaceInTwips(new QListWidget(this), "SList", 6480, 1440, 1935, 3180);
    SList->addItems(start.showTimes);
    // One caption over the time box and the list: the box is named by it, the list by
    // what it holds.
    PlaceLabelInTwips(new QLabel(QStringLiteral("Schedule:"), this), "Label5", 6480, 840, 720, 195,
                      Text3);
    SList->setAccessibleName(QStringLiteral("Show times"));

    QPushButton* command2 = nullptr;
    std::tie(Picture2, command2) = PlacePictureGroup(
        this, {"Picture2", "Label2", "Command2", "Picture 2"}, 3300, start.picture2);

    Text2 = PlaceInTwips(MakeMultiLineBox(WithLf(start.description2), this), "Text2", 2280, 3300,
                         4095, 1935);
    PlaceLabelInTwips(new QLabel(QStringLiteral("Movie description 2:"), this), "Label4", 2280,
                      3060, 1425, 195, Text2);

    BoxRated = PlaceInTwips(new QLineEdit(start.rated, this), "BoxRated", 6480, 4920, 1935, 285);
    PlaceLabelInTwips(new QLabel(QStringLiteral("Rated:"), this), "Label6", 6480, 4680, 480, 195,
                      BoxRated);

    auto* command5 = PlaceInTwips(new QPushButton(QStringLiteral("Exit"), this), "Command5", 120,
                                  5400, 1215, 495);
    auto* command4 = PlaceInTwips(new QPushButton(QStringLiteral("Print schedule"), this),
                                  "Command4", 7080, 5400, 1335, 495);

    // The button's caption is a symbol; a screen reader speaks what it does.
    command3->setAccessibleName(QStringLiteral("Add show time"));

    MakeDefaultButton(command4);
    AddFormKeys(this, command4);
    setWindowIcon(InstalledIcon(QStringLiteral("org.quillset.movie")));

    connect(command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(command5, &QPushButton::clicked, this, &Form1::Command5_Click);
}

ScheduleContents Form1::contents() const {
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

void Form1::chooseBitmapFor(PictureBox& box) {
    // Whatever goes wrong, the box keeps its picture and the user is told nothing; the reason
    // goes to the failure log.
    QString name;
    try {
        const QString pattern = QStringLiteral("*.BMP");
        name =
            actions_.dialogs->showOpen({pattern, QStringLiteral("Windows Bitmap (*.BMP)|*.BMP")});
        if (name.trimmed().isEmpty() || name == pattern)
            return;
        // The dialog answers a path of this machine, not a Windows-style one.
        Result<Picture> picture = LoadFormPicture(std::filesystem::path(name.toStdString()));
        if (picture && picture->isNull())
            picture = Refuse(QStringLiteral("the file holds an empty picture"));
        if (picture)
            box.setPicture(std::move(*picture));
        else if (actions_.pictureNotLoaded)
            actions_.pictureNotLoaded(name, picture.reason());
    } catch (const std::exception& failure) {
        if (actions_.pictureNotLoaded)
            actions_.pictureNotLoaded(name, QString::fromUtf8(failure.what()));
    }
}

void Form1::Command1_Click() {
    chooseBitmapFor(*Picture1);
}

void Form1::Command2_Click() {
    chooseBitmapFor(*Picture2);
}

void Form1::Command3_Click() {
    SList->addItem(Text3->text());
}

void Form1::Command4_Click() {
    actions_.printSchedule(contents());
}

void Form1::Command5_Click() {
    actions_.endProgram();
}

} // namespace quillset
