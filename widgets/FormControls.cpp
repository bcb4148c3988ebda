#include "widgets/FormControls.h"

#include "platform/Twips.h"
#include "widgets/HeldKeys.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>

namespace quillset {

namespace {

// Styles draw a focus frame only when the window's focus last moved by keyboard; Qt clears that
// mark whenever focus arrives any other way (the window opening, a click). The default button
// puts it back each time it receives the focus, so its focus always shows.
class ShowFocusOnArrival : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn)
            static_cast<QWidget*>(watched)->window()->setAttribute(Qt::WA_KeyboardFocusChange);
        return false;
    }
};

// A shortcut of the whole window, which a held key fires once.
QShortcut* WindowShortcut(QWidget* form, const QKeySequence& keys) {
    auto* shortcut = new QShortcut(keys, form);
    shortcut->setContext(Qt::WindowShortcut);
    shortcut->setAutoRepeat(false);
    HeldKeys::actOnceWhileHeld(keys[0]);
    return shortcut;
}

} // namespace

void PlaceWidgetInTwips(QWidget* control, const char* name, int left, int top, int width,
                        int height) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                         TwipsToPixels(height));
}

QLabel* PlaceLabelInTwips(QLabel* label, const char* name, int left, int top, int width, int height,
                          QWidget* names) {
    PlaceWidgetInTwips(label, name, left, top, width, height);
    label->resize(label->size().expandedTo(label->sizeHint()));
    if (names) {
        label->setBuddy(names);
        QString spoken = label->text().trimmed();
        if (spoken.endsWith(QLatin1Char(':')))
            spoken.chop(1);
        names->setAccessibleName(spoken);
    }
    return label;
}

void MakeDefaultButton(QPushButton* button) {
    button->setDefault(true);
    button->setFocusPolicy(Qt::StrongFocus);
    button->installEventFilter(new ShowFocusOnArrival(button));
    button->setFocus();
}

void AddCloseKeys(QWidget* window) {
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        QObject::connect(WindowShortcut(window, keys), &QShortcut::activated, window,
                         &QWidget::close);
}

void AddFormKeys(QWidget* form, QPushButton* print) {
    for (auto* box : form->findChildren<QPlainTextEdit*>())
        box->setTabChangesFocus(true);
    QObject::connect(WindowShortcut(form, QKeySequence(Qt::CTRL | Qt::Key_P)),
                     &QShortcut::activated, print, &QPushButton::click);
    AddCloseKeys(form);
}

QIcon InstalledIcon(const QString& name) {
    // The programs live in PREFIX/bin, the icons in PREFIX/share/icons.
    const QDir icons(QCoreApplication::applicationDirPath() +
                     QStringLiteral("/../share/icons/hicolor"));
    QIcon icon;
    for (const char* size : {"48x48", "64x64", "128x128"}) {
        const QString file = icons.filePath(QString::fromLatin1(size) + QStringLiteral("/apps/") +
                                            name + QStringLiteral(".png"));
        if (QFileInfo::exists(file))
            icon.addFile(file);
    }
    return icon.isNull() ? QIcon::fromTheme(name) : icon;
}

} // namespace quillset
