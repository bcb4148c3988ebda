#include "updater/WinMain.h"

#include "updater/Local.h"
#include "updater/TransferProgressLine.h"
#include "widgets/FormControls.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QPainter>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace quillset {

namespace {

// Label2, the heading's shadow: Label1's text drawn in a mid grey. Drawn rather than a second
// label, so a screen reader speaks the heading once.
class HeadingShadow : public QWidget {
public:
    HeadingShadow(QString text, QWidget* parent) : QWidget(parent), text_(std::move(text)) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        style()->drawItemText(&painter, rect(), Qt::AlignLeft | Qt::AlignVCenter, palette(), true,
                              text_, QPalette::WindowText);
    }

private:
    QString text_;
};

// Label1 and Label2 carry the same text: drawn as one heading, Label2 a shadow two pixels down
// and to the right, beneath Label1.
QWidget* MakeHeading(QWidget* window) {
    const QString text = QStringLiteral("Talvex Labs update agent");
    auto* heading = new QWidget(window);
    auto* label2 = new HeadingShadow(text, heading);
    auto* label1 = new QLabel(text, heading);
    label1->setObjectName(QStringLiteral("Label1"));
    label2->setObjectName(QStringLiteral("Label2"));
    QFont font = label1->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    label1->setFont(font);
    label1->resize(label1->sizeHint());
    label2->setFont(font);
    label2->resize(label1->size());
    constexpr int kShadowOffset = 2;
    label2->move(kShadowOffset, kShadowOffset);
    QPalette shadow = label2->palette();
    shadow.setColor(QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    label2->setPalette(shadow);
    label1->raise();
    heading->setFixedSize(label1->size() + QSize(kShadowOffset, kShadowOffset));
    return heading;
}

// The line under the status while the archive arrives, with a thin bar of its own: the share of
// the archive that has arrived (moving to and fro while its length is not known yet).
QWidget* MakeTransferRow(QLabel* line, QProgressBar* bar) {
    auto* row = new QWidget;
    auto* layout = new QVBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(line);
    bar->setTextVisible(false);
    bar->setFixedHeight(std::max(4, line->fontMetrics().height() / 4));
    bar->setAccessibleName(QStringLiteral("Download"));
    layout->addWidget(bar);
    return row;
}

// What the step bar says of itself to a screen reader and under the pointer: which step of how
// many it shows, so it is not read as the download's own progress.
void NameStep(QProgressBar& bar) {
    const QString step = QStringLiteral("Step %1 of %2").arg(bar.value()).arg(bar.maximum());
    bar.setAccessibleName(step);
    bar.setToolTip(step);
}

// A long line of a large, slow download, as wide as the transfer's line gets for a module.
QString LongTransferLine() {
    constexpr std::uint64_t kMB = 1000 * 1000;
    return TransferProgressLine({1000 * kMB, 4000 * kMB}, std::chrono::seconds(1024));
}

// Every text the status label can show, and the transfer's line beneath it in the same column, so
// the column is wide enough for the longest from the start and the window keeps its size.
int WidestStatus(QLabel& status) {
    const QString shown = status.text();
    int widest = 0;
    for (const QString& text :
         {QStringLiteral("Stand By..."), QString::fromUtf8(kWaitingStatus),
          QString::fromUtf8(kScanningStatus), QString::fromUtf8(kLatestVersionMessage),
          QString::fromUtf8(kDownloadingStatus), QString::fromUtf8(kUnpackingStatus),
          QString::fromUtf8(kUpdatedMessage), QString::fromUtf8(kNotUpdatedMessage),
          LongTransferLine()}) {
        status.setText(text);
        widest = std::max(widest, status.sizeHint().width());
    }
    status.setText(shown);
    return widest;
}

// How often the transfer's line changes: about twice a second, often enough to look alive, seldom
// enough to be read.
constexpr qint64 kTransferLineMs = 500;

} // namespace

WinMain::WinMain(Dialogs& dialogs, MousePointer& pointer, InternetTransfer& transfer,
                 StoredValues stored, std::FILE* echo)
    : echo_(echo), curSoft_(new QLabel(QStringLiteral("Ninguno"))),
      status_(new QLabel(QStringLiteral("Stand By..."))), avance_(new QProgressBar),
      closeBtn_(new QPushButton(QStringLiteral("Close"))), activity_(new QStackedWidget),
      busy_(new QProgressBar), transferLine_(new QLabel), transferBar_(new QProgressBar),
      local_(dialogs, pointer, *this, transfer, std::move(stored)) {
    setWindowTitle(QStringLiteral("TL Updater"));
    status_->setMinimumWidth(WidestStatus(*status_));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Software:")), 0, 0);
    grid->addWidget(curSoft_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Status:")), 1, 0);
    grid->addWidget(status_, 1, 1);
    // Under the status: an empty page, the busy bar or the transfer's line, one at a time, in a
    // row of one height so the window keeps its size.
    busy_->setRange(0, 0);
    busy_->setTextVisible(false);
    busy_->setAccessibleName(QStringLiteral("Checking for a new version"));
    transferLine_->setObjectName(QStringLiteral("TransferLine"));
    transferLine_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QWidget* transferRow = MakeTransferRow(transferLine_, transferBar_);
    activity_->addWidget(new QWidget);
    activity_->addWidget(busy_);
    activity_->addWidget(transferRow);
    activity_->setFixedHeight(
        std::max(busy_->sizeHint().height(), transferRow->sizeHint().height()));
    grid->addWidget(activity_, 2, 1);
    grid->setColumnStretch(1, 1);
    avance_->setRange(static_cast<int>(ProgressStep::Loaded),
                      static_cast<int>(ProgressStep::Updated));
    avance_->setValue(static_cast<int>(ProgressStep::Loaded));
    avance_->setTextVisible(false);
    NameStep(*avance_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(MakeHeading(this));
    layout->addLayout(grid);
    layout->addWidget(avance_);
    layout->addWidget(closeBtn_, 0, Qt::AlignRight);
    // A fixed size: the labels cannot drift apart.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    MakeDefaultButton(closeBtn_);
    AddCloseKeys(this);

    timer_.setInterval(2000);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &WinMain::Timer_Timer);
    connect(closeBtn_, &QPushButton::clicked, this, &QWidget::close);
}

bool WinMain::Form_Load(const QString& arguments) {
    if (!local_.ReadCommandLine(arguments))
        return false;
    local_.claimModule();
    timer_.start();
    return true;
}

void WinMain::Timer_Timer() {
    // Stopped first, so the cycle runs once in the agent's life.
    timer_.stop();
    local_.runCycle();
}

void WinMain::echo(const char* label, const QString& text) {
    if (!echo_)
        return;
    std::fprintf(echo_, "%s: %s\n", label, text.toUtf8().constData());
    std::fflush(echo_);
}

void WinMain::setCurrentSoftware(const QString& text) {
    curSoft_->setText(text);
    echo("CurSoft", text);
}

void WinMain::setStatus(const QString& text) {
    status_->setText(text);
    echo("Status", text);
}

void WinMain::setProgress(int value) {
    avance_->setValue(value);
    NameStep(*avance_);
    echo("Avance", QString::number(value));
}

void WinMain::processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void WinMain::showBusy() {
    activity_->setCurrentWidget(busy_);
}

void WinMain::showTransferProgress(const TransferProgress& progress) {
    if (!transferClock_.isValid()) {
        transferClock_.start();
        lineShownAt_ = -kTransferLineMs;
    }
    const qint64 now = transferClock_.elapsed();
    if (now - lineShownAt_ < kTransferLineMs)
        return;
    lineShownAt_ = now;
    transferLine_->setText(TransferProgressLine(progress, std::chrono::milliseconds(now)));
    // Per mille: an archive's byte count does not fit the bar's int.
    const bool announced = progress.total > 0 && progress.received <= progress.total;
    transferBar_->setRange(0, announced ? 1000 : 0);
    if (announced)
        transferBar_->setValue(static_cast<int>(progress.received * 1000 / progress.total));
    activity_->setCurrentWidget(transferLine_->parentWidget());
}

void WinMain::clearActivity() {
    activity_->setCurrentIndex(0);
    transferLine_->clear();
    transferClock_.invalidate();
}

void WinMain::unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    timer_.stop();
    hide();
    echo("Unload", QStringLiteral("WinMain"));
    // Ends the event loop; a wait in progress sees unloadRequested and stops first.
    QCoreApplication::quit();
}

void WinMain::closeEvent(QCloseEvent* event) {
    event->accept();
    unload();
}

} // namespace quillset
