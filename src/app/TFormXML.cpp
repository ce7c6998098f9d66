#include "app/TFormXML.h"

#include "app/AppContext.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kTickMs = 1000;
// Ticks 0..10 count the button down from 10 to 0; tick 11 closes.
constexpr int kCloseTick = 11;

// A text of Message.txt, or `fallback` when no loaded file defines it.
QString messageOr(text::TextTables& texts, int number, const QString& fallback) {
    const QString value = texts.has(text::Slot::Messages, number) ? texts.message(number) : QString();
    if (value.isEmpty()) return fallback;
    return text::withLineBreaks(value);
}

}  // namespace

TFormXML::TFormXML(app::AppContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), context_(context) {
    setObjectName(QStringLiteral("TFormXML"));
    buildUi();
    setCaptions();
}

void TFormXML::buildUi() {
    LabelText1 = new QLabel(this);
    LabelText1->setObjectName(QStringLiteral("LabelText1"));
    LabelText1->setAlignment(Qt::AlignCenter);
    LabelText1->setWordWrap(true);
    LabelText2 = new QLabel(this);
    LabelText2->setObjectName(QStringLiteral("LabelText2"));
    LabelText2->setAlignment(Qt::AlignCenter);
    LabelText2->setWordWrap(true);
    ButtonClose = new QPushButton(this);
    ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
    ButtonClose->setEnabled(false);
    ButtonClose->setMinimumWidth(120);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelText1);
    layout->addWidget(LabelText2);
    layout->addWidget(ButtonClose, 0, Qt::AlignHCenter);
    setMinimumWidth(360);

    TimerClose = new QTimer(this);
    TimerClose->setObjectName(QStringLiteral("TimerClose"));
    TimerClose->setInterval(kTickMs);
    connect(TimerClose, &QTimer::timeout, this, &TFormXML::TimerCloseTimer);
    connect(ButtonClose, &QPushButton::clicked, this, &TFormXML::ButtonCloseClick);
}

void TFormXML::setCaptions() {
    text::TextTables& texts = context_.texts();
    const QString title = QApplication::applicationDisplayName();
    setWindowTitle(messageOr(texts, 70, QStringLiteral("Closing window")) + QStringLiteral(" (") + title +
                   u')');
    LabelText1->setText(messageOr(texts, 71, QStringLiteral("The network connection has been lost.")));
    LabelText2->setText(messageOr(texts, 72, QStringLiteral("The window will be closed automatically.")));
    closeText_ = messageOr(texts, 73, QStringLiteral("&Close"));
    ButtonClose->setText(closeText_);
}

void TFormXML::StartClosing() {
    if (started_) return;
    started_ = true;
    // The texts may have been loaded since the window was created.
    setCaptions();
    ButtonClose->setEnabled(false);
    TimerClose->start();
}

void TFormXML::TimerCloseTimer() {
    // A long operation finishes first; the count-down waits for it.
    if (closed_ || context_.isBusy()) return;
    if (!isVisible()) {
        // Modal without blocking the tick that shows it: later ticks keep coming.
        setWindowModality(Qt::ApplicationModal);
        show();
        raise();
        activateWindow();
    }
    if (counter_ < kCloseTick) {
        ButtonClose->setEnabled(true);
        ButtonClose->setText(closeText_ + QStringLiteral(" (") + QString::number(10 - counter_) + u')');
    } else {
        close();
    }
    ++counter_;
}

void TFormXML::ButtonCloseClick() { close(); }

void TFormXML::reject() { close(); }

void TFormXML::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TFormXML::FormClose() {
    // Before the count-down there is nothing to end (e.g. windows closed at exit).
    if (closed_ || !started_) return;
    closed_ = true;
    TimerClose->stop();
    Q_EMIT closeMainWindow();
}
