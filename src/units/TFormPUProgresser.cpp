#include "units/TFormPUProgresser.h"

#include "app/AppContext.h"
#include "text/TextTables.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {
constexpr int kTextCaption = 9060;
constexpr int kTextDone = 9061;
constexpr int kTextStarting = 9062;
}  // namespace

TFormPUProgresser::TFormPUProgresser(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormPUProgresser"));
    setWindowTitle(QStringLiteral("Processing dialog"));
    LabelStatus = new QLabel(this);
    LabelStatus->setObjectName(QStringLiteral("LabelStatus"));
    CGauge = new QProgressBar(this);
    CGauge->setObjectName(QStringLiteral("CGauge"));
    CGauge->setRange(0, 100);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelStatus);
    layout->addWidget(CGauge);
    resize(360, 90);
}

void TFormPUProgresser::Start() {
    setWindowTitle(context_.texts().profile(kTextCaption));
    CGauge->setValue(0);
    LabelStatus->setText(context_.texts().profile(kTextStarting));
    show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TFormPUProgresser::Step(int position, const QString& status) {
    CGauge->setValue(position);
    LabelStatus->setText(status);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TFormPUProgresser::Finish() {
    CGauge->setValue(100);
    LabelStatus->setText(context_.texts().profile(kTextDone));
    hide();
}

QString TFormPUProgresser::statusText() const { return LabelStatus->text(); }

int TFormPUProgresser::position() const { return CGauge->value(); }
