#include "categorization/TFormRenameCategorySet.h"

#include "app/AppContext.h"
#include "text/TextTables.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int kTextOk = 50;
constexpr int kTextCancel = 51;
constexpr int kTextCategorySet = 432;
constexpr int kTextCaption = 460;

// Swallows key presses that would type a refused character.
class RefusedKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const QString typed = static_cast<QKeyEvent*>(event)->text();
            if (!typed.isEmpty() && TFormRenameCategorySet::withoutRefused(typed).isEmpty()) return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

TFormRenameCategorySet::TFormRenameCategorySet(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormRenameCategorySet"));
    setWindowTitle(QStringLiteral("Category set"));
    buildUi();
}

bool TFormRenameCategorySet::isRefused(QChar c) { return c == u'\'' || c == u';' || c == u',' || c == u'"'; }

QString TFormRenameCategorySet::withoutRefused(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text)
        if (!isRefused(c)) kept += c;
    return kept;
}

void TFormRenameCategorySet::buildUi() {
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Category set"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    layout->addWidget(Label1);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(kMaxLength);
    Edit1->installEventFilter(new RefusedKeyFilter(Edit1));
    Label1->setBuddy(Edit1);
    layout->addWidget(Edit1);

    auto* buttons = new QDialogButtonBox(this);
    OkButton = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    layout->addWidget(buttons);
    setTabOrder(Edit1, OkButton);
    setTabOrder(OkButton, CancelButton);

    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(Edit1, &QLineEdit::textEdited, this, &TFormRenameCategorySet::Edit1Edited);
    setMinimumWidth(360);
}

void TFormRenameCategorySet::setCaptions() {
    auto& texts = context_.texts();
    setWindowTitle(texts.profile(kTextCaption));
    OkButton->setText(texts.profile(kTextOk));
    CancelButton->setText(texts.profile(kTextCancel));
}

void TFormRenameCategorySet::Edit1Edited(const QString& text) {
    // Pasted or dropped text: the refused characters are taken out again.
    if (std::none_of(text.begin(), text.end(), isRefused)) return;
    const int cursor = Edit1->cursorPosition();
    const int removedBefore = cursor - int(withoutRefused(text.left(cursor)).size());
    Edit1->setText(withoutRefused(text));
    Edit1->setCursorPosition(cursor - removedBefore);
}

std::optional<QString> TFormRenameCategorySet::ask(const QString& label, const QString& text) {
    setCaptions();
    Label1->setText(label);
    // A text written by other means may hold what typing cannot enter; it
    // is offered without it, so OK never hands it back.
    Edit1->setText(withoutRefused(text));
    Edit1->selectAll();
    Edit1->setFocus();
    const int result = exec();
    Label1->setText(context_.texts().profile(kTextCategorySet));
    if (result != QDialog::Accepted) return std::nullopt;
    return Edit1->text();
}
