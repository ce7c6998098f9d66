#include "users/TFormShowQuery.h"

#include "app/AppContext.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kTextCaption = 9018;
constexpr int kTextClose = 9019;
constexpr int kTextClear = 9020;

}  // namespace

TFormShowQuery::TFormShowQuery(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormShowQuery"));
    setWindowTitle(QStringLiteral("Query"));
    buildUi();
}

void TFormShowQuery::buildUi() {
    auto* layout = new QVBoxLayout(this);
    MemoQuery = new QPlainTextEdit(this);
    MemoQuery->setObjectName(QStringLiteral("MemoQuery"));
    MemoQuery->setReadOnly(true);
    MemoQuery->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoQuery->setAccessibleName(QStringLiteral("Query"));
    layout->addWidget(MemoQuery);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ButtonClear = new QPushButton(QStringLiteral("C&lear"), this);
    ButtonClear->setObjectName(QStringLiteral("ButtonClear"));
    ButtonClose = new QPushButton(QStringLiteral("&Close"), this);
    ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
    buttons->addWidget(ButtonClear);
    buttons->addWidget(ButtonClose);
    layout->addLayout(buttons);
    connect(ButtonClear, &QPushButton::clicked, MemoQuery, &QPlainTextEdit::clear);
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::hide);
    resize(640, 360);
}

void TFormShowQuery::setCaptions() {
    auto& texts = context_.texts();
    setWindowTitle(texts.window(kTextCaption));
    MemoQuery->setAccessibleName(windowTitle());
    ButtonClose->setText(texts.window(kTextClose));
    ButtonClear->setText(texts.window(kTextClear));
    for (QPushButton* button : {ButtonClose, ButtonClear})
        button->setAccessibleName(button->text().remove(u'&'));
}

void TFormShowQuery::showEvent(QShowEvent* event) {
    setCaptions();
    QDialog::showEvent(event);
}

void TFormShowQuery::AddLine(const QString& line) { MemoQuery->appendPlainText(line); }
