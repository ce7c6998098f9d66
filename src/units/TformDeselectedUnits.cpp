#include "units/TformDeselectedUnits.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TformDeselectedUnits::TformDeselectedUnits(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TformDeselectedUnits"));
    // The window has its own wording, not taken from the language files.
    setWindowTitle(QStringLiteral("Units to be removed"));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QStringLiteral("The following parkunits have been deselected"), this);
    heading->setObjectName(QStringLiteral("LabelDeselected"));
    layout->addWidget(heading);
    ListBoxUnits = new QListWidget(this);
    ListBoxUnits->setObjectName(QStringLiteral("ListBoxUnits"));
    ListBoxUnits->setEnabled(false);  // for reading only
    heading->setBuddy(ListBoxUnits);
    layout->addWidget(ListBoxUnits, 1);
    for (const char* line :
         {"When a park unit is removed from a profile the", "shadow data will also be removed.",
          "If a particularly type of units is removed,", "the category allocation will also be removed.",
          "Are you sure you want to remove the above units?"}) {
        auto* label = new QLabel(QLatin1String(line), this);
        layout->addWidget(label);
    }
    ButtonYes = new QPushButton(QStringLiteral("&Yes"), this);
    ButtonYes->setObjectName(QStringLiteral("ButtonYes"));
    ButtonNo = new QPushButton(QStringLiteral("&No"), this);
    ButtonNo->setObjectName(QStringLiteral("ButtonNo"));
    ButtonNo->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonYes);
    buttons->addWidget(ButtonNo);
    layout->addLayout(buttons);
    connect(ButtonYes, &QPushButton::clicked, this, [this] { done(1); });
    connect(ButtonNo, &QPushButton::clicked, this, [this] { done(2); });
    resize(380, 360);
}

void TformDeselectedUnits::Prepare(const QStringList& titles) {
    ListBoxUnits->clear();
    ListBoxUnits->addItems(titles);
}

int TformDeselectedUnits::Execute(const QStringList& titles) {
    Prepare(titles);
    return exec();
}
