#include "units/TFormEditParkUnit.h"

#include "app/AppContext.h"
#include "db/DataSet.h"
#include "text/TextTables.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kTextCaption = 400;
constexpr int kTextGroupUnit = 401;
constexpr int kTextGroupNeighbours = 402;
constexpr int kTextGroupMet = 403;
constexpr int kTextGroupWind = 404;
constexpr int kTextTitle = 405;
constexpr int kTextCurve = 406;
constexpr int kTextHubHeight = 407;
constexpr int kTextConnectionPoint = 408;
constexpr int kTextPrevious = 409;
constexpr int kTextNext = 410;
constexpr int kTextSectorGroup = 411;
constexpr int kTextClose = 52;
constexpr int kTextPrimary = 364;
constexpr int kTextSecondary = 365;
constexpr int kTextMet1 = 366;
constexpr int kTextMet2 = 367;
constexpr int kTextMet3 = 368;
constexpr int kTextSiteCalibration = 369;
constexpr int kTextPitch = 370;
constexpr int kTextFreeWind = 371;

const ui::LookupList* listOf(const units::ConfigLookups& lookups, const QString& field) {
    for (const units::LookupColumn& c : units::lookupColumns())
        if (field == QLatin1String(c.field)) return &(lookups.*c.list);
    return nullptr;
}

bool sameKey(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
    return a.toLongLong() == b.toLongLong();
}

}  // namespace

TFormEditParkUnit::TFormEditParkUnit(app::AppContext& context, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), context_(context) {
    setObjectName(QStringLiteral("TFormEditParkUnit"));
    setWindowTitle(QStringLiteral("Edit Park Unit"));
    setModal(false);
    const auto makeGroup = [this](const char* name) {
        auto* group = new QGroupBox(this);
        group->setObjectName(QLatin1String(name));
        new QFormLayout(group);
        return group;
    };
    GroupBoxUnit = makeGroup("GroupBoxUnit");
    GroupBoxNeighbours = makeGroup("GroupBoxNeighbours");
    GroupBoxMet = makeGroup("GroupBoxMet");
    GroupBoxWind = makeGroup("GroupBoxWind");
    EditParkUnit = addEdit(GroupBoxUnit, "EditParkUnit", "ParkUnitTitle", kTextTitle);
    EditParkUnit->setReadOnly(true);
    addCombo(GroupBoxUnit, "ComboBoxNormCurve", "NormLookup", kTextCurve);
    addEdit(GroupBoxUnit, "EditHubHeight", "HubHeightAltitude", kTextHubHeight);
    addCombo(GroupBoxUnit, "ComboBoxConnectionPoint", "ConnectionPointParkUnitId", kTextConnectionPoint);
    addCombo(GroupBoxNeighbours, "ComboBoxPrimaryTurbine", "NeighbourTurbinePrimaryId", kTextPrimary);
    addCombo(GroupBoxNeighbours, "ComboBoxSecondaryTurbine", "NeighbourTurbineSecondaryId", kTextSecondary);
    addCombo(GroupBoxMet, "ComboBoxMet1", "MetStP1Id", kTextMet1);
    addCombo(GroupBoxMet, "ComboBoxMet2", "MetStP2Id", kTextMet2);
    addCombo(GroupBoxMet, "ComboBoxMet3", "MetStP3Id", kTextMet3);
    addCombo(GroupBoxWind, "ComboBoxWindSectorGroup", "WindSectorGroupId", kTextSectorGroup);
    addCombo(GroupBoxWind, "ComboBoxFreeWindParameter", "FreeWindParameterId", kTextFreeWind);
    addEdit(GroupBoxWind, "EditSiteCalibration", "Sitecalibrationfactor", kTextSiteCalibration);
    addEdit(GroupBoxWind, "EditPitchAngle", "PitchAngle", kTextPitch);

    const auto makeButton = [this](const char* name) {
        auto* button = new QPushButton(this);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        return button;
    };
    ButtonPrevious = makeButton("ButtonPrevious");
    ButtonNext = makeButton("ButtonNext");
    ButtonClose = makeButton("ButtonClose");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ButtonPrevious);
    buttons->addWidget(ButtonNext);
    buttons->addStretch();
    buttons->addWidget(ButtonClose);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(GroupBoxUnit);
    left->addWidget(GroupBoxNeighbours);
    auto* right = new QVBoxLayout;
    right->addWidget(GroupBoxMet);
    right->addWidget(GroupBoxWind);
    columns->addLayout(left);
    columns->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);
    connect(ButtonPrevious, &QPushButton::clicked, this, &TFormEditParkUnit::ButtonPreviousClick);
    connect(ButtonNext, &QPushButton::clicked, this, &TFormEditParkUnit::ButtonNextClick);
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::close);
}

QComboBox* TFormEditParkUnit::addCombo(QGroupBox* group, const char* name, const char* field, int labelText) {
    auto* combo = new QComboBox(group);
    combo->setObjectName(QLatin1String(name));
    auto* label = new QLabel(group);
    label->setBuddy(combo);
    labelText_[label] = labelText;
    static_cast<QFormLayout*>(group->layout())->addRow(label, combo);
    fieldOf_[combo] = QLatin1String(field);
    connect(combo, &QComboBox::activated, this, [this, combo] {
        if (!refreshing_) write(fieldOf_[combo], combo->currentData());
    });
    return combo;
}

QLineEdit* TFormEditParkUnit::addEdit(QGroupBox* group, const char* name, const char* field, int labelText) {
    auto* edit = new QLineEdit(group);
    edit->setObjectName(QLatin1String(name));
    auto* label = new QLabel(group);
    label->setBuddy(edit);
    labelText_[label] = labelText;
    static_cast<QFormLayout*>(group->layout())->addRow(label, edit);
    fieldOf_[edit] = QLatin1String(field);
    connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
        if (refreshing_ || edit->isReadOnly()) return;
        const QString text = edit->text().trimmed();
        write(fieldOf_[edit], text.isEmpty() ? QVariant() : QVariant(QLocale().toDouble(text)));
    });
    return edit;
}

void TFormEditParkUnit::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(texts.profile(kTextCaption));
    for (auto [group, number] : {std::pair{GroupBoxUnit, kTextGroupUnit},
                                 {GroupBoxNeighbours, kTextGroupNeighbours},
                                 {GroupBoxMet, kTextGroupMet},
                                 {GroupBoxWind, kTextGroupWind}})
        group->setTitle(u' ' + texts.profile(number) + u' ');
    for (auto& [label, number] : labelText_) label->setText(texts.profile(number));
    ButtonPrevious->setText(texts.profile(kTextPrevious));
    ButtonNext->setText(texts.profile(kTextNext));
    ButtonClose->setText(texts.profile(kTextClose));
}

void TFormEditParkUnit::showEvent(QShowEvent* event) {
    setCaptions();
    refresh();
    QDialog::showEvent(event);
}

void TFormEditParkUnit::Bind(db::DataSet* rows, const units::ConfigLookups* lookups) {
    rows_ = rows;
    lookups_ = lookups;
}

void TFormEditParkUnit::setEditable(bool editable) {
    editable_ = editable;
    refresh();
}

void TFormEditParkUnit::setSectorGroupAvailable(bool available) {
    available_[QStringLiteral("WindSectorGroupId")] = available;
}

void TFormEditParkUnit::setConnectionPointAvailable(bool available) {
    available_[QStringLiteral("ConnectionPointParkUnitId")] = available;
}

void TFormEditParkUnit::refresh() {
    refreshing_ = true;
    const bool hasRow = rows_ && rows_->isOpen() && rows_->currentRow() >= 0;
    for (auto& [widget, field] : fieldOf_) {
        const auto gate = available_.find(field);
        const bool available = gate == available_.end() || gate->second;
        const QVariant value = hasRow && available ? rows_->value(field) : QVariant();
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            combo->clear();
            const ui::LookupList* list = lookups_ ? listOf(*lookups_, field) : nullptr;
            if (list && available) {
                for (const ui::LookupList::Entry& e : list->offered()) combo->addItem(e.title, e.key);
                int index = -1;
                for (int i = 0; i < combo->count(); ++i)
                    if (sameKey(combo->itemData(i), value)) index = i;
                // A key the row may not choose any more still shows its title.
                if (index < 0 && !value.isNull()) {
                    combo->addItem(list->titleOf(value), value);
                    index = combo->count() - 1;
                }
                combo->setCurrentIndex(index);
            }
            combo->setEnabled(editable_ && hasRow && available);
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            edit->setText(value.isNull() ? QString() : value.toString());
            if (edit != EditParkUnit) edit->setEnabled(editable_ && hasRow);
        }
    }
    ButtonPrevious->setEnabled(hasRow && rows_->currentRow() > 0);
    ButtonNext->setEnabled(hasRow && rows_->currentRow() + 1 < rows_->recordCount());
    refreshing_ = false;
}

void TFormEditParkUnit::write(const QString& field, const QVariant& value) {
    if (!rows_ || !editable_ || rows_->currentRow() < 0) return;
    if (!rows_->edit() || !rows_->setValue(field, value)) {
        rows_->cancel();
        refresh();
        return;
    }
    rows_->post();
}

void TFormEditParkUnit::ButtonPreviousClick() {
    if (rows_ && rows_->currentRow() > 0) rows_->prior();
    refresh();
}

void TFormEditParkUnit::ButtonNextClick() {
    if (rows_ && rows_->currentRow() + 1 < rows_->recordCount()) rows_->next();
    refresh();
}
