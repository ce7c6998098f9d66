#include "categorization/TFormMapCategory.h"

#include "app/AppContext.h"
#include "categorization/AllocationGrid.h"
#include "ui/AccessibleNames.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace categorization;

TFormMapCategory::TFormMapCategory(app::AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormMapCategory"));
    setWindowTitle(QStringLiteral("Map category"));
    buildUi();
}

void TFormMapCategory::buildUi() {
    setModal(true);
    // Not editable: a category is chosen from the list only.
    const auto makeBox = [this](const char* name) {
        auto* box = new QComboBox(this);
        box->setObjectName(QLatin1String(name));
        box->setEditable(false);
        box->setMinimumWidth(240);
        return box;
    };
    LabelSource = new QLabel(this);
    LabelSource->setObjectName(QStringLiteral("LabelSource"));
    ComboBoxSource = makeBox("ComboBoxSource");
    LabelSource->setBuddy(ComboBoxSource);
    LabelDestination = new QLabel(this);
    LabelDestination->setObjectName(QStringLiteral("LabelDestination"));
    ComboBoxDestination = makeBox("ComboBoxDestination");
    LabelDestination->setBuddy(ComboBoxDestination);
    ButtonMove = new QPushButton(this);
    ButtonMove->setObjectName(QStringLiteral("ButtonMove"));
    ButtonMove->setAutoDefault(false);
    ButtonDone = new QPushButton(this);
    ButtonDone->setObjectName(QStringLiteral("ButtonDone"));
    ButtonDone->setAutoDefault(false);

    auto* boxes = new QGridLayout;
    boxes->addWidget(LabelSource, 0, 0);
    boxes->addWidget(ComboBoxSource, 0, 1);
    boxes->addWidget(LabelDestination, 1, 0);
    boxes->addWidget(ComboBoxDestination, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonMove);
    buttons->addWidget(ButtonDone);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addLayout(buttons);

    connect(ComboBoxSource, &QComboBox::currentIndexChanged, this, &TFormMapCategory::ComboBoxSourceChange);
    connect(ComboBoxDestination, &QComboBox::currentIndexChanged, this,
            &TFormMapCategory::ComboBoxDestinationChange);
    connect(ButtonMove, &QPushButton::clicked, this, &TFormMapCategory::ButtonMoveClick);
    connect(ButtonDone, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormMapCategory::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(texts.profile(kTextCaption));
    LabelSource->setText(texts.profile(kTextSource));
    LabelDestination->setText(texts.profile(kTextDestination));
    ui::nameAfter(ComboBoxSource, LabelSource->text());
    ui::nameAfter(ComboBoxDestination, LabelDestination->text());
    ButtonMove->setText(texts.profile(kTextMove));
    ButtonDone->setText(texts.profile(kTextDone));
}

void TFormMapCategory::Execute(AllocationGrid& grid, int mode, bool usesIecReporting,
                               std::function<void()> moved) {
    Prepare(grid, mode, usesIecReporting, std::move(moved));
    exec();
    grid_ = nullptr;
    moved_ = {};
}

void TFormMapCategory::Prepare(AllocationGrid& grid, int mode, bool usesIecReporting,
                               std::function<void()> moved) {
    grid_ = &grid;
    keepNormalOperationRow_ = mode == kModeEvents && !usesIecReporting;
    moved_ = std::move(moved);
    setCaptions();
    titleFields_.clear();
    const db::DataSet& dataSet = grid.dataSet();
    for (int f = allocation_field::kFirstCategory; f < dataSet.fieldCount(); ++f)
        titleFields_.try_emplace(dataSet.field(f).displayLabel, f);
    {
        const QSignalBlocker blockSource(ComboBoxSource);
        const QSignalBlocker blockDestination(ComboBoxDestination);
        ComboBoxSource->clear();
        for (const auto& [title, field] : titleFields_) ComboBoxSource->addItem(title, field);
        ComboBoxSource->setCurrentIndex(-1);
        ComboBoxDestination->clear();
    }
    ButtonMove->setEnabled(false);
    ButtonDone->setEnabled(false);
}

int TFormMapCategory::fieldOf(const QComboBox* box) const {
    return box->currentIndex() < 0 ? -1 : box->currentData().toInt();
}

void TFormMapCategory::ComboBoxSourceChange() {
    const QString source = ComboBoxSource->currentText();
    {
        const QSignalBlocker block(ComboBoxDestination);
        ComboBoxDestination->clear();
        if (ComboBoxSource->currentIndex() >= 0)
            for (const auto& [title, field] : titleFields_)
                if (title != source) ComboBoxDestination->addItem(title, field);
        ComboBoxDestination->setCurrentIndex(-1);
    }
    ComboBoxDestinationChange();
}

void TFormMapCategory::ComboBoxDestinationChange() {
    ButtonMove->setEnabled(fieldOf(ComboBoxSource) >= 0 && fieldOf(ComboBoxDestination) >= 0);
}

void TFormMapCategory::ButtonMoveClick() {
    const int source = fieldOf(ComboBoxSource);
    const int destination = fieldOf(ComboBoxDestination);
    if (!grid_ || source < 0 || destination < 0) return;
    ButtonDone->setEnabled(true);
    grid_->moveCategory(source, destination, keepNormalOperationRow_);
    if (moved_) moved_();
}
