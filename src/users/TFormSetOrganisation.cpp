#include "users/TFormSetOrganisation.h"

#include "app/AppContext.h"
#include "users/UserAdministration.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <set>

namespace {

constexpr int kTextOk = 9001;
constexpr int kTextCancel = 9002;
constexpr int kTextOrganisation = 9008;
constexpr int kTextCaption = 9017;

}  // namespace

TFormSetOrganisation::TFormSetOrganisation(app::AppContext& context,
                                           users::UserAdministration& administration, QWidget* parent)
    : QDialog(parent), context_(context), administration_(administration) {
    setObjectName(QStringLiteral("TFormSetOrganisation"));
    setWindowTitle(QStringLiteral("Update value"));
    buildUi();
}

void TFormSetOrganisation::buildUi() {
    auto* layout = new QVBoxLayout(this);
    LabelOrganisation = new QLabel(QStringLiteral("Organisation"), this);
    ComboBoxOrganisation = new QComboBox(this);
    ComboBoxOrganisation->setObjectName(QStringLiteral("ComboBoxOrganisation"));
    ComboBoxOrganisation->setEditable(true);
    ComboBoxOrganisation->setInsertPolicy(QComboBox::NoInsert);
    ComboBoxOrganisation->lineEdit()->setMaxLength(kMaxOrganisation);
    LabelOrganisation->setBuddy(ComboBoxOrganisation);
    layout->addWidget(LabelOrganisation);
    layout->addWidget(ComboBoxOrganisation);
    auto* buttons = new QDialogButtonBox(this);
    ButtonOK = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonCancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    layout->addWidget(buttons);
    connect(ButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    setMinimumWidth(320);
}

void TFormSetOrganisation::setCaptions() {
    auto& texts = context_.texts();
    setWindowTitle(texts.window(kTextCaption));
    LabelOrganisation->setText(texts.window(kTextOrganisation));
    ComboBoxOrganisation->setAccessibleName(LabelOrganisation->text());
    ButtonOK->setText(texts.window(kTextOk));
    ButtonCancel->setText(texts.window(kTextCancel));
    for (QPushButton* button : {ButtonOK, ButtonCancel})
        button->setAccessibleName(button->text().remove(u'&'));
}

bool TFormSetOrganisation::SetOrganisation(const std::vector<int>& userIds) {
    setCaptions();
    std::set<QString> organisations;
    for (const auto& [id, user] : administration_.users.items)
        if (!user.Organisation.trimmed().isEmpty()) organisations.insert(user.Organisation);
    ComboBoxOrganisation->clear();
    for (const QString& organisation : organisations) ComboBoxOrganisation->addItem(organisation);
    // The first chosen user's organisation is offered first.
    const users::User* first = userIds.empty() ? nullptr : administration_.users.find(userIds.front());
    ComboBoxOrganisation->setEditText(first ? first->Organisation : QString());
    ComboBoxOrganisation->setFocus();
    app::BusyScope busy(context_);
    if (exec() != QDialog::Accepted) return false;
    const QString organisation = ComboBoxOrganisation->currentText().left(kMaxOrganisation);
    for (int id : userIds)
        if (users::User* user = administration_.users.find(id)) user->Organisation = organisation;
    return true;
}
