#include "contracts/TFormNonStandardContractConfiguration.h"

#include "app/AppContext.h"
#include "text/TextTables.h"
#include "ui/AccessibleNames.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kTextOK = 50;
constexpr int kTextCancel = 51;
constexpr int kTextCaption = 340;
}  // namespace

TFormNonStandardContractConfiguration::TFormNonStandardContractConfiguration(app::AppContext& context,
                                                                             QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormNonStandardContractConfiguration"));
    buildUi();
}

QWidget* TFormNonStandardContractConfiguration::addTab(
    const char* name, std::initializer_list<std::pair<QCheckBox**, QPlainTextEdit**>> rows,
    std::initializer_list<const char*> names) {
    auto* page = new QWidget(PageControl);
    page->setObjectName(QLatin1String(name));
    auto* layout = new QVBoxLayout(page);
    auto nameIt = names.begin();
    for (const auto& [box, memo] : rows) {
        *box = new QCheckBox(page);
        (*box)->setObjectName(QLatin1String(*nameIt++));
        *memo = new QPlainTextEdit(page);
        (*memo)->setObjectName(QLatin1String(*nameIt++));
        (*memo)->setReadOnly(true);
        (*memo)->setFocusPolicy(Qt::NoFocus);
        // The explanation reads as part of the page, not as an input.
        (*memo)->setFrameShape(QFrame::NoFrame);
        (*memo)->viewport()->setAutoFillBackground(false);
        layout->addWidget(*box);
        layout->addWidget(*memo, 1);
    }
    PageControl->addTab(page, QString());
    return page;
}

void TFormNonStandardContractConfiguration::buildUi() {
    setModal(true);
    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    TabSheetNeighbourWindSpeed =
        addTab("TabSheetNeighbourWindSpeed", {{&CheckBoxUseNeighbourWindSpeed, &MemoUseNeighbourWindSpeed}},
               {"CheckBoxUseNeighbourWindSpeed", "MemoUseNeighbourWindSpeed"});
    TabSheetKerlift = addTab("TabSheetKerlift", {{&CheckBoxUseKerliftReporting, &MemoUseKerliftReporting}},
                             {"CheckBoxUseKerliftReporting", "MemoUseKerliftReporting"});
    TabSheetDerating =
        addTab("TabSheetDerating",
               {{&CheckBoxUseDeratingCategorisation, &MemoUseDeratingCategorisation},
                {&CheckBoxUseDerateCategoryUponReportCategory, &MemoUseDerateCategoryUponReportCategory}},
               {"CheckBoxUseDeratingCategorisation", "MemoUseDeratingCategorisation",
                "CheckBoxUseDerateCategoryUponReportCategory", "MemoUseDerateCategoryUponReportCategory"});
    TabSheetIECCategorization =
        addTab("TabSheetIECCategorization", {{&CheckBoxIECCategorization, &MemoIECCategorization}},
               {"CheckBoxIECCategorization", "MemoIECCategorization"});
    TabSheetEEGCategorization =
        addTab("TabSheetEEGCategorization", {{&CheckBoxEEGCategorization, &MemoEEGCategorization}},
               {"CheckBoxEEGCategorization", "MemoEEGCategorization"});

    ButtonOK = new QPushButton(this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setDefault(true);
    ButtonCancel = new QPushButton(this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonOK);
    buttons->addWidget(ButtonCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl, 1);
    layout->addLayout(buttons);
    resize(640, 320);

    using Self = TFormNonStandardContractConfiguration;
    connect(CheckBoxIECCategorization, &QCheckBox::clicked, this, &Self::CategorisationClick);
    connect(CheckBoxEEGCategorization, &QCheckBox::clicked, this, &Self::CategorisationClick);
    connect(ButtonOK, &QPushButton::clicked, this, &Self::ButtonOKClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &Self::ButtonCancelClick);
}

void TFormNonStandardContractConfiguration::setCaptions() {
    text::TextTables& texts = context_.texts();
    setWindowTitle(texts.profile(kTextCaption));
    const struct {
        QWidget* tab;
        int caption;
    } tabs[] = {{TabSheetNeighbourWindSpeed, 341},
                {TabSheetKerlift, 343},
                {TabSheetDerating, 345},
                {TabSheetIECCategorization, 347},
                {TabSheetEEGCategorization, 349}};
    for (const auto& tab : tabs)
        PageControl->setTabText(PageControl->indexOf(tab.tab), texts.profile(tab.caption));
    const struct {
        QCheckBox* box;
        QPlainTextEdit* memo;
        int caption, explanation;
    } rows[] = {
        {CheckBoxUseNeighbourWindSpeed, MemoUseNeighbourWindSpeed, 341, 342},
        {CheckBoxUseKerliftReporting, MemoUseKerliftReporting, 343, 344},
        {CheckBoxUseDeratingCategorisation, MemoUseDeratingCategorisation, 345, 346},
        {CheckBoxUseDerateCategoryUponReportCategory, MemoUseDerateCategoryUponReportCategory, 9151, 351},
        {CheckBoxIECCategorization, MemoIECCategorization, 347, 348},
        {CheckBoxEEGCategorization, MemoEEGCategorization, 349, 350}};
    for (const auto& row : rows) {
        row.box->setText(texts.profile(row.caption));
        row.memo->setPlainText(text::withLineBreaks(texts.profile(row.explanation)));
        ui::nameAfter(row.memo, row.box->text());
    }
    ButtonOK->setText(texts.profile(kTextOK));
    ButtonCancel->setText(texts.profile(kTextCancel));
}

void TFormNonStandardContractConfiguration::Prepare(const contracts::ProfileOptions& values,
                                                    const contracts::OptionOffers& offers) {
    shown_ = values;
    offers_ = offers;
    setValues(values);
    PageControl->setTabVisible(PageControl->indexOf(TabSheetNeighbourWindSpeed),
                               offers.neighbourWindSpeed.visible);
    PageControl->setTabVisible(PageControl->indexOf(TabSheetKerlift), offers.kerlift.visible);
    PageControl->setTabVisible(PageControl->indexOf(TabSheetDerating), offers.derating.visible);
    PageControl->setTabVisible(PageControl->indexOf(TabSheetIECCategorization), offers.iec.visible);
    PageControl->setTabVisible(PageControl->indexOf(TabSheetEEGCategorization), offers.eeg.visible);
    CheckBoxUseDerateCategoryUponReportCategory->setVisible(offers.derateUponReportCategory.visible);
    MemoUseDerateCategoryUponReportCategory->setVisible(offers.derateUponReportCategory.visible);
    CheckBoxUseNeighbourWindSpeed->setEnabled(offers.neighbourWindSpeed.enabled);
    CheckBoxUseKerliftReporting->setEnabled(offers.kerlift.enabled);
    applyRule();
}

void TFormNonStandardContractConfiguration::setValues(const contracts::ProfileOptions& values) {
    CheckBoxUseNeighbourWindSpeed->setChecked(values.neighbourWindSpeed);
    CheckBoxUseKerliftReporting->setChecked(values.kerlift);
    CheckBoxUseDeratingCategorisation->setChecked(values.derating);
    CheckBoxUseDerateCategoryUponReportCategory->setChecked(values.derateUponReportCategory);
    CheckBoxIECCategorization->setChecked(values.iec);
    CheckBoxEEGCategorization->setChecked(values.eeg);
}

contracts::ProfileOptions TFormNonStandardContractConfiguration::values() const {
    contracts::ProfileOptions values;
    values.neighbourWindSpeed = CheckBoxUseNeighbourWindSpeed->isChecked();
    values.kerlift = CheckBoxUseKerliftReporting->isChecked();
    values.derating = CheckBoxUseDeratingCategorisation->isChecked();
    values.derateUponReportCategory = CheckBoxUseDerateCategoryUponReportCategory->isChecked();
    values.iec = CheckBoxIECCategorization->isChecked();
    values.eeg = CheckBoxEEGCategorization->isChecked();
    return values;
}

void TFormNonStandardContractConfiguration::applyRule() {
    const contracts::ProfileOptions now = values();
    // Only a click changes the derating boxes: showing a stored profile
    // keeps its values as they are.
    const contracts::OptionsState state = contracts::applyCategorisationRule(now, now);
    CheckBoxUseDeratingCategorisation->setEnabled(offers_.derating.enabled && state.deratingEnabled);
    CheckBoxUseDerateCategoryUponReportCategory->setEnabled(offers_.derateUponReportCategory.enabled &&
                                                            state.derateUponEnabled);
    CheckBoxIECCategorization->setEnabled(offers_.iec.enabled && state.iecEnabled);
    CheckBoxEEGCategorization->setEnabled(offers_.eeg.enabled && state.eegEnabled);
}

void TFormNonStandardContractConfiguration::CategorisationClick() {
    const contracts::OptionsState state = contracts::applyCategorisationRule(values(), shown_);
    setValues(state.values);
    applyRule();
}

int TFormNonStandardContractConfiguration::Execute() {
    PageControl->setCurrentIndex(0);
    for (int index = 0; index < PageControl->count(); ++index)
        if (PageControl->isTabVisible(index)) {
            PageControl->setCurrentIndex(index);
            break;
        }
    return exec();
}

void TFormNonStandardContractConfiguration::showEvent(QShowEvent* event) {
    setCaptions();
    // Wide enough that every offered option's tab shows without scrolling.
    const QMargins margins = layout()->contentsMargins();
    const int needed = PageControl->tabBar()->sizeHint().width() + margins.left() + margins.right() +
                       2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const int available = screen() ? screen()->availableGeometry().width() : needed;
    if (width() < needed) resize(std::min(needed, available), height());
    QDialog::showEvent(event);
}

void TFormNonStandardContractConfiguration::ButtonOKClick() { accept(); }

void TFormNonStandardContractConfiguration::ButtonCancelClick() { reject(); }

void TFormNonStandardContractConfiguration::reject() {
    setValues(shown_);
    applyRule();
    QDialog::reject();
}
