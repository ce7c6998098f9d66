#include "shadowdata/TFormLockShadowData.h"

#include "app/AppContext.h"
#include "app/TFormStatus.h"
#include "shadowdata/TFormLockConfirmation.h"
#include "ui/DataSetModel.h"
#include "ui/LoadOnFirstShow.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace shadowdata {

bool periodIsForward(const SignOffEntry& entry) {
    return entry.start.isValid() && entry.stop.isValid() && entry.start < entry.stop;
}

bool mayAdd(const SignOffEntry& entry) {
    return periodIsForward(entry) && !entry.description.trimmed().isEmpty();
}

bool passwordAccepted(const QString& sessionPassword, const QString& entered) {
    return sessionPassword.isEmpty() || entered == sessionPassword;
}

}  // namespace shadowdata

namespace {

// The list's columns in the order shown, with the text of each caption.
struct ListColumn {
    const char* field;
    int text;
};
constexpr ListColumn kColumns[] = {
    {"Locked", 40},          {"Customer", 41}, {"UserInitials", 42},
    {"TimeFrom", 44},        {"TimeTo", 45},   {"LastModifiedDateTimeStamp", 46},
    {"LockDescription", 43},
};

// The pickers work to the second: what the user sees is what is written.
QDateTime toSeconds(const QDateTime& value) {
    return QDateTime(value.date(), QTime(value.time().hour(), value.time().minute(), value.time().second()));
}

}  // namespace

TFormLockShadowData::TFormLockShadowData(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormLockShadowData"));
    buildUi();
    firstShow_ = new ui::LoadOnFirstShow(*this, [this] { FormShow(); });
}

TFormLockShadowData::~TFormLockShadowData() { GridLocks->setModel(nullptr); }

void TFormLockShadowData::buildUi() {
    setWindowTitle(QStringLiteral("Shadow Data Sign-off Management"));
    setModal(true);
    setSizeGripEnabled(true);
    resize(820, 520);

    TimerStart = new QTimer(this);
    TimerStart->setObjectName(QStringLiteral("TimerStart"));
    TimerStart->setSingleShot(true);
    TimerStart->setInterval(kLoadDelayMs);
    connect(TimerStart, &QTimer::timeout, this, &TFormLockShadowData::TimerStartTimer);

    const auto makeLabel = [](const char* name, QWidget* parent) {
        auto* label = new QLabel(parent);
        label->setObjectName(QLatin1String(name));
        return label;
    };
    GroupBoxPeriod = new QGroupBox(this);
    GroupBoxPeriod->setObjectName(QStringLiteral("GroupBoxPeriod"));
    LabelFrom = makeLabel("LabelFrom", GroupBoxPeriod);
    LabelTo = makeLabel("LabelTo", GroupBoxPeriod);
    LabelStartError = makeLabel("LabelStartError", GroupBoxPeriod);
    LabelStopError = makeLabel("LabelStopError", GroupBoxPeriod);
    for (QLabel* error : {LabelStartError, LabelStopError}) {
        QPalette palette = error->palette();
        palette.setColor(QPalette::WindowText, Qt::red);
        error->setPalette(palette);
    }
    const auto makePicker = [this](const char* name) {
        auto* picker = new QDateTimeEdit(GroupBoxPeriod);
        picker->setObjectName(QLatin1String(name));
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
        picker->setAutoFillBackground(true);
        connect(picker, &QDateTimeEdit::dateTimeChanged, this, &TFormLockShadowData::DatePickerChange);
        return picker;
    };
    DatePickerStart = makePicker("DatePickerStart");
    DatePickerStop = makePicker("DatePickerStop");
    LabelFrom->setBuddy(DatePickerStart);
    LabelTo->setBuddy(DatePickerStop);
    LabelDescription = makeLabel("LabelDescription", GroupBoxPeriod);
    EditDescription = new QLineEdit(GroupBoxPeriod);
    EditDescription->setObjectName(QStringLiteral("EditDescription"));
    EditDescription->setMaxLength(kMaxDescriptionLength);
    LabelDescription->setBuddy(EditDescription);
    CheckBoxLocked = new QCheckBox(GroupBoxPeriod);
    CheckBoxLocked->setObjectName(QStringLiteral("CheckBoxLocked"));
    CheckBoxLocked->setChecked(true);

    auto* period = new QGridLayout(GroupBoxPeriod);
    period->addWidget(LabelFrom, 0, 0);
    period->addWidget(DatePickerStart, 0, 1);
    period->addWidget(LabelStartError, 0, 2);
    period->addWidget(LabelTo, 1, 0);
    period->addWidget(DatePickerStop, 1, 1);
    period->addWidget(LabelStopError, 1, 2);
    period->addWidget(LabelDescription, 2, 0);
    period->addWidget(EditDescription, 2, 1, 1, 2);
    period->addWidget(CheckBoxLocked, 3, 1, 1, 2);
    period->setColumnStretch(2, 1);

    model_ = std::make_unique<ui::DataSetModel>(ADODataSetLocks);
    QStringList order;
    for (const ListColumn& column : kColumns) order << QLatin1String(column.field);
    model_->setColumnOrder(order);
    GridLocks = new QTableView(this);
    GridLocks->setObjectName(QStringLiteral("GridLocks"));
    GridLocks->setModel(model_.get());
    GridLocks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridLocks->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridLocks->setSelectionMode(QAbstractItemView::SingleSelection);
    GridLocks->horizontalHeader()->setStretchLastSection(true);
    GridLocks->verticalHeader()->hide();

    ButtonOK = new QPushButton(this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setEnabled(false);
    ButtonOK->setAutoDefault(false);
    ButtonCancel = new QPushButton(this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GridLocks, 1);
    layout->addWidget(GroupBoxPeriod);
    layout->addLayout(buttons);

    connect(EditDescription, &QLineEdit::textChanged, this, &TFormLockShadowData::EditDescriptionChange);
    connect(ButtonOK, &QPushButton::clicked, this, &TFormLockShadowData::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormLockShadowData::ButtonCancelClick);
}

void TFormLockShadowData::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(texts.profile(kTextCaption));
    GroupBoxPeriod->setTitle(QStringLiteral(" ") + texts.profile(kTextPeriod) + QStringLiteral(" "));
    LabelFrom->setText(texts.profile(kTextFrom));
    LabelTo->setText(texts.profile(kTextTo));
    LabelDescription->setText(texts.profile(kTextDescription) + u':');
    CheckBoxLocked->setText(
        texts.profile(context_.session().KorvaneUser ? kTextMakerLock : kTextCustomerLock));
    GridLocks->setAccessibleName(texts.profile(kTextCaption));
    ButtonOK->setText(texts.profile(kTextOK));
    ButtonCancel->setText(texts.profile(kTextCancel));
}

void TFormLockShadowData::trace(const char* method) {
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: TFormLockShadowData::") + QLatin1String(method));
}

// ---------------------------------------------------------------- opening

void TFormLockShadowData::Prepare(int reportProfileId) {
    reportProfileId_ = reportProfileId;
    ADODataSetLocks.close();
    firstShow_->prepare();
}

int TFormLockShadowData::Execute(int reportProfileId) {
    Prepare(reportProfileId);
    return exec();
}

void TFormLockShadowData::showEvent(QShowEvent* event) {
    setCaptions();
    QDialog::showEvent(event);
}

void TFormLockShadowData::FormShow() {
    trace("FormShow");
    const QDateTime now = toSeconds(QDateTime::currentDateTime());
    DatePickerStart->setDateTime(now);
    DatePickerStop->setDateTime(now.addDays(1));
    LabelStartError->clear();
    LabelStopError->clear();
    EditDescription->clear();
    // The lock check box keeps the user's last choice.
    DatePickerChange();
    TimerStart->start();
}

void TFormLockShadowData::TimerStartTimer() {
    trace("TimerStartTimer");
    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = QStringLiteral("WMS_SP_REP_SelectShadowDataLockPeriod");
    command.parameters = {
        {QStringLiteral("@ReturnValue"), db::FieldType::Integer, 0, db::ParameterDirection::ReturnValue, {}},
        {QStringLiteral("@ReportProfileId"), db::FieldType::Integer, 0, db::ParameterDirection::Input,
         reportProfileId_}};
    QString error;
    const bool ok = app::runUnderStatus(context_, context_.texts().profile(kTextLoading), context_.Database(),
                                        command, ADODataSetLocks, false, &error);
    if (!ok) {
        context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + error);
        context_.prompts().message(ui::Icon::Error, context_.texts().profile(kTextLoadFailed),
                                   context_.texts().profile(kTextErrorCaption));
        ADODataSetLocks.close();
        QDialog::reject();
        Q_EMIT loaded(false);
        return;
    }
    for (int field = 0; field < ADODataSetLocks.fieldCount(); ++field)
        ADODataSetLocks.setReadOnly(ADODataSetLocks.field(field).name, true);
    for (const ListColumn& column : kColumns)
        ADODataSetLocks.setDisplayLabel(QLatin1String(column.field), context_.texts().profile(column.text));
    GridLocks->resizeColumnsToContents();
    GridLocks->horizontalHeader()->setStretchLastSection(true);
    Q_EMIT loaded(true);
}

// ---------------------------------------------------------------- entries

shadowdata::SignOffEntry TFormLockShadowData::entry() const {
    return {toSeconds(DatePickerStart->dateTime()), toSeconds(DatePickerStop->dateTime()),
            EditDescription->text()};
}

void TFormLockShadowData::DatePickerChange() {
    const bool invalid = !shadowdata::periodIsForward(entry());
    for (QDateTimeEdit* picker : {DatePickerStart, DatePickerStop}) {
        QPalette palette = picker->palette();
        palette.setColor(QPalette::Base, invalid ? QColor(Qt::red) : QColor(Qt::white));
        picker->setPalette(palette);
    }
    text::TextTables& texts = context_.texts();
    LabelStartError->setText(invalid ? texts.profile(kTextStartError) : QString());
    LabelStopError->setText(invalid ? texts.profile(kTextStopError) : QString());
    EditDescriptionChange();
}

void TFormLockShadowData::EditDescriptionChange() { ButtonOK->setEnabled(shadowdata::mayAdd(entry())); }

// ---------------------------------------------------------------- adding

bool TFormLockShadowData::addRecord(bool locking, QString* error) {
    const shadowdata::SignOffEntry e = entry();
    const app::SessionData& session = context_.session();
    const auto input = [](const char* name, db::FieldType type, int size, const QVariant& value) {
        return db::Parameter{QLatin1String(name), type, size, db::ParameterDirection::Input, value};
    };
    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = QStringLiteral("WMS_SP_REP_InsertShadowDataLockPeriod");
    command.parameters = {
        {QStringLiteral("@ReturnValue"), db::FieldType::Integer, 0, db::ParameterDirection::ReturnValue, {}},
        input("@ReportProfileId", db::FieldType::Integer, 0, reportProfileId_),
        input("@TimeFrom", db::FieldType::DateTime, 0, e.start),
        input("@TimeTo", db::FieldType::DateTime, 0, e.stop),
        input("@Locked", db::FieldType::Boolean, 0, locking),
        input("@LockDescription", db::FieldType::String, kMaxDescriptionLength, e.description),
        input("@Customer", db::FieldType::Boolean, 0, !session.KorvaneUser),
        input("@UserId", db::FieldType::Integer, 0, session.UserId),
        {QStringLiteral("@Id"), db::FieldType::Integer, 0, db::ParameterDirection::Output, {}}};
    return app::runUnderStatus(context_, context_.texts().profile(locking ? kTextLocking : kTextUnlocking),
                               context_.Database(), command, false, error);
}

void TFormLockShadowData::ButtonOKClick() {
    trace("ButtonOKClick");
    const shadowdata::SignOffEntry e = entry();
    if (!shadowdata::mayAdd(e) || !confirmation_) return;
    const bool locking = CheckBoxLocked->isChecked();
    const bool maker = context_.session().KorvaneUser;
    if (confirmation_->Execute(maker, locking, e.start, e.stop) != QDialog::Accepted) return;
    text::TextTables& texts = context_.texts();
    // The entry is compared and dropped; it is never traced or kept.
    const bool accepted =
        shadowdata::passwordAccepted(context_.session().OnlineConnection.Password, confirmation_->password());
    confirmation_->forgetPassword();
    if (!accepted) {
        context_.prompts().message(ui::Icon::Error, texts.profile(kTextWrongPassword),
                                   texts.profile(kTextErrorCaption));
        return;
    }
    QString error;
    if (!addRecord(locking, &error)) {
        context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + error);
        context_.prompts().message(ui::Icon::Error,
                                   texts.profile(locking ? kTextLockFailed : kTextUnlockFailed),
                                   texts.profile(kTextErrorCaption));
        return;
    }
    context_.prompts().message(ui::Icon::Information, texts.profile(locking ? kTextLocked : kTextUnlocked),
                               texts.profile(kTextInformation));
    EditDescription->clear();
    TimerStart->start();
}

// ---------------------------------------------------------------- closing

void TFormLockShadowData::reject() {
    TimerStart->stop();
    ADODataSetLocks.close();
    QDialog::reject();
}

void TFormLockShadowData::ButtonCancelClick() { reject(); }
