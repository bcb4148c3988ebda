#include "quotation/Form1.h"

#include "graphics/Fonts.h"
#include "graphics/PlaceableMetafile.h"
#include "platform/TrimSpaces.h"
#include "platform/Twips.h"
#include "quotation/FormLogo.h"
#include "widgets/FormControls.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace quillset {

namespace {

// The list box's items as the print job reads them.
class ListBoxItems : public CostItems {
public:
    explicit ListBoxItems(const QListWidget& list) : list_(list) {}
    int count() const override { return list_.count(); }
    QString item(int index) const override { return list_.item(index)->text(); }

private:
    const QListWidget& list_;
};

} // namespace

Form1::Form1(PrintJobServices& services, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint),
      services_(services) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quotaton - Quillset Demo!"));
    setFont(MakeFont(QStringLiteral("MS Sans Serif"), 8.25f));
    setFixedSize(TwipsToPixels(5790), TwipsToPixels(6345));
    placeControls();
    MakeDefaultButton(Command1);
    AddFormKeys(this, Command1);
    setWindowIcon(InstalledIcon(QStringLiteral("org.quillset.quotation")));
    showLogo();
}

void Form1::placeControls() {
    Image1 = PlaceInTwips(new QLabel(this), "Image1", 120, 120, 1290, 1260);
    // A picture a screen reader reaches is told by what it shows.
    Image1->setAccessibleName(QStringLiteral("World Express Delivery logo"));

    Label1 = new QLabel(QStringLiteral("World Express Delivery Inc."), this);
    Label1->setFont(MakeFont(QStringLiteral("MS Sans Serif"), 13.5f));
    PlaceLabelInTwips(Label1, "Label1", 1560, 240, 3465, 360);
    Label2 =
        PlaceLabelInTwips(new QLabel(QStringLiteral("We deliver while you are resting!"), this),
                          "Label2", 1560, 720, 2295, 195);

    // A line one pixel (15 twips) high.
    Line1 = PlaceInTwips(new QFrame(this), "Line1", 1560, 960, 5640 - 1560, 15);
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Plain);

    const QuotationFormContents start = StartingQuotation();
    Text1 = PlaceInTwips(new QLineEdit(start.customerName, this), "Text1", 120, 1680, 5535, 285);
    Label3 = PlaceLabelInTwips(new QLabel(QStringLiteral("Customer Name:"), this), "Label3", 120,
                               1440, 1170, 195, Text1);
    Text2 = PlaceInTwips(new QLineEdit(start.customerAddress, this), "Text2", 120, 2280, 5535, 285);
    Label6 = PlaceLabelInTwips(new QLabel(QStringLiteral("Customer Address:"), this), "Label6", 120,
                               2040, 1320, 195, Text2);
    List1 = PlaceInTwips(new QListWidget(this), "List1", 120, 2880, 5535, 2205);
    List1->addItems(start.costItems);
    Label5 = PlaceLabelInTwips(new QLabel(QStringLiteral("Costs:"), this), "Label5", 120, 2640, 435,
                               195, List1);
    Text3 = PlaceInTwips(new QLineEdit(start.signerName, this), "Text3", 120, 5400, 5535, 285);
    Label4 = PlaceLabelInTwips(new QLabel(QStringLiteral("Sincerely:"), this), "Label4", 120, 5160,
                               690, 195, Text3);

    Command2 = PlaceInTwips(new QPushButton(QStringLiteral("Close"), this), "Command2", 120, 5880,
                            1215, 375);
    Command1 = PlaceInTwips(new QPushButton(QStringLiteral("Print Quotation"), this), "Command1",
                            3840, 5880, 1815, 375);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);

    // Labels take no focus; the focus stops follow the design's tab indices.
    for (QWidget* stop : std::initializer_list<QWidget*>{Text1, Text2, Text3, Command1, Command2})
        stop->setFocusPolicy(Qt::StrongFocus);
    List1->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(Command1, Text1);
    setTabOrder(Text1, List1);
    setTabOrder(List1, Text3);
    setTabOrder(Text3, Command2);
    setTabOrder(Command2, Text2);
    setTabOrder(Text2, Command1);
}

void Form1::showLogo() {
    const Result<Picture> logo = ReadPlaceableMetafile(FormLogoData());
    if (!logo)
        return;
    const qreal scale = devicePixelRatioF();
    QImage image(Image1->size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    logo->drawInto(painter, QRectF(QPointF(0, 0), QSizeF(Image1->size())));
    painter.end();
    Image1->setPixmap(QPixmap::fromImage(image));
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (centred_)
        return;
    centred_ = true;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    Command1->setFocus();
}

void Form1::Command1_Click() {
    module_ = StringsToPrint(Text1->text(), Text2->text(), Text3->text());
    lastResult_ = PrintQuotation(services_, module_, ListBoxItems(*List1));
}

void Form1::Command2_Click() {
    QCoreApplication::exit(0);
}

} // namespace quillset
