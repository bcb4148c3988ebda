#include "WinMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QVBoxLayout>

namespace quillset {

WinMain::WinMain(Dialogs& dialogs, MousePointer& pointer, InternetTransfer& transfer,
                 StoredValues stored, std::FILE* echo)
    : echo_(echo), curSoft_(new QLabel(QStringLiteral("Ninguno"))),
      status_(new QLabel(QStringLiteral("Stand By..."))), avance_(new QProgressBar),
      closeBtn_(new QPushButton(QStringLiteral("Close"))),
      local_(dialogs, pointer, *this, transfer, std::move(stored)) {
    setWindowTitle(QStringLiteral("TL Updater"));
    auto* label1 = new QLabel(QStringLiteral("Talvex Labs update agent"));
    QFont heading = label1->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.4);
    label1->setFont(heading);
    auto* label2 = new QLabel(QStringLiteral("Talvex Labs update agent"));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Software:")), 0, 0);
    grid->addWidget(curSoft_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Status:")), 1, 0);
    grid->addWidget(status_, 1, 1);
    grid->setColumnStretch(1, 1);
    avance_->setRange(static_cast<int>(ProgressStep::Loaded),
                      static_cast<int>(ProgressStep::Updated));
    avance_->setValue(static_cast<int>(ProgressStep::Loaded));
    avance_->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1);
    layout->addWidget(label2);
    layout->addLayout(grid);
    layout->addWidget(avance_);
    layout->addWidget(closeBtn_, 0, Qt::AlignRight);
    setMinimumWidth(420);

    timer_.setInterval(2000);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &WinMain::Timer_Timer);
    connect(closeBtn_, &QPushButton::clicked, this, &QWidget::close);
}

bool WinMain::Form_Load(const QString& arguments) {
    if (!local_.ReadCommandLine(arguments))
        return false;
    local_.ClaimModule();
    timer_.start();
    return true;
}

void WinMain::Timer_Timer() {
    // Stopped first, so the cycle runs once in the agent's life.
    timer_.stop();
    local_.RunCycle();
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
    echo("Avance", QString::number(value));
}

void WinMain::processEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
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
