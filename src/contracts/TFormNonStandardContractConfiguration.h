#pragma once
// "Options": the calculation rules of a report profile that deviate from the
// standard contract, one tab per topic with its explanation. The profile
// dialog fills it and reads it back; it touches no database data.

#include "contracts/ProfileOptions.h"

#include <QDialog>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QWidget;

namespace app {
class AppContext;
}

class TFormNonStandardContractConfiguration : public QDialog {
    Q_OBJECT

public:
    explicit TFormNonStandardContractConfiguration(app::AppContext& context, QWidget* parent = nullptr);

    // Sets the six boxes and which of them the profile's database and the
    // user's rights offer; the values are remembered for Cancel.
    void Prepare(const contracts::ProfileOptions& values, const contracts::OptionOffers& offers);
    contracts::ProfileOptions values() const;
    // Shows the dialog modally; the boxes keep the values of OK, or those
    // of Prepare after Cancel.
    int Execute();

    void CategorisationClick();
    void ButtonOKClick();
    void ButtonCancelClick();
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void setCaptions();
    void setValues(const contracts::ProfileOptions& values);
    void applyRule();
    QWidget* addTab(const char* name, std::initializer_list<std::pair<QCheckBox**, QPlainTextEdit**>> rows,
                    std::initializer_list<const char*> names);

    app::AppContext& context_;
    contracts::ProfileOptions shown_;
    contracts::OptionOffers offers_;

    QTabWidget* PageControl = nullptr;
    QWidget* TabSheetNeighbourWindSpeed = nullptr;
    QWidget* TabSheetKerlift = nullptr;
    QWidget* TabSheetDerating = nullptr;
    QWidget* TabSheetIECCategorization = nullptr;
    QWidget* TabSheetEEGCategorization = nullptr;
    QCheckBox* CheckBoxUseNeighbourWindSpeed = nullptr;
    QCheckBox* CheckBoxUseKerliftReporting = nullptr;
    QCheckBox* CheckBoxUseDeratingCategorisation = nullptr;
    QCheckBox* CheckBoxUseDerateCategoryUponReportCategory = nullptr;
    QCheckBox* CheckBoxIECCategorization = nullptr;
    QCheckBox* CheckBoxEEGCategorization = nullptr;
    QPlainTextEdit* MemoUseNeighbourWindSpeed = nullptr;
    QPlainTextEdit* MemoUseKerliftReporting = nullptr;
    QPlainTextEdit* MemoUseDeratingCategorisation = nullptr;
    QPlainTextEdit* MemoUseDerateCategoryUponReportCategory = nullptr;
    QPlainTextEdit* MemoIECCategorization = nullptr;
    QPlainTextEdit* MemoEEGCategorization = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
