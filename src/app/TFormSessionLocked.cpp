#include "app/TFormSessionLocked.h"

#include "app/AppContext.h"
#include "text/TextTables.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

TFormSessionLocked::TFormSessionLocked(app::AppContext& context, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      context_(context),
      mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("TFormSessionLocked"));
    buildUi();
}

void TFormSessionLocked::buildUi() {
    setModal(true);
    PanelSessionLocked = new QFrame(this);
    PanelSessionLocked->setObjectName(QStringLiteral("PanelSessionLocked"));
    PanelSessionLocked->setFrameStyle(QFrame::Panel | QFrame::Raised);
    LabelSessionLockedDetails = new QLabel(PanelSessionLocked);
    LabelSessionLockedDetails->setObjectName(QStringLiteral("LabelSessionLockedDetails"));
    LabelSessionLockedDetails->setAlignment(Qt::AlignCenter);
    LabelSessionLockedDetails->setWordWrap(true);
    auto* panelLayout = new QVBoxLayout(PanelSessionLocked);
    panelLayout->addWidget(LabelSessionLockedDetails);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PanelSessionLocked);
    resize(400, 120);
}

void TFormSessionLocked::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(text::withLineBreaks(texts.lock(kTextCaption)));
    LabelSessionLockedDetails->setText(text::withLineBreaks(texts.lock(kTextDetails)));
}

void TFormSessionLocked::showLocked() {
    if (isVisible()) return;
    exec();
}

void TFormSessionLocked::closeLocked() {
    if (isVisible()) done(QDialog::Accepted);
}

void TFormSessionLocked::done(int result) {
    if (isVisible()) context_.trace().Trace(app::TraceLevel::Trace, QStringLiteral("Session unlocked"));
    QDialog::done(result);
}

void TFormSessionLocked::showEvent(QShowEvent* event) {
    setCaptions();
    QDialog::showEvent(event);
    centreOnMainWindow();
    context_.trace().Trace(app::TraceLevel::Trace, QStringLiteral("Session Locked"));
}

void TFormSessionLocked::centreOnMainWindow() {
    if (!mainWindow_) return;
    const QRect main = mainWindow_->frameGeometry();
    QRect own = frameGeometry();
    own.moveCenter(main.center());
    move(own.topLeft());
}

bool TFormSessionLocked::event(QEvent* event) {
    // Shortcuts would otherwise reach the windows behind the lock.
    switch (event->type()) {
        case QEvent::ShortcutOverride:
        case QEvent::KeyPress:
        case QEvent::KeyRelease: event->accept(); return true;
        default: return QDialog::event(event);
    }
}
