#pragma once
// The profile dialog: creates a report profile, or edits the properties of
// the selected one. It only gathers the input; the main window runs the
// create statement or writes the list row back.

#include "profiles/ProfileInput.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TFormNonStandardContractConfiguration;

namespace app {
class AppContext;
}

class TForm_Input : public QDialog {
    Q_OBJECT

public:
    static constexpr int kResultOK = 1;
    static constexpr int kResultCancel = 2;

    explicit TForm_Input(app::AppContext& context, QWidget* parent = nullptr);
    void setOptionsDialog(TFormNonStandardContractConfiguration* options) { options_ = options; }

    // A new profile; `offerUnits` shows the box that adds the session's
    // park units to it.
    void PrepareCreate(bool offerUnits);
    int ExecuteCreate(bool offerUnits);
    // The properties of `profile`.
    void PrepareProperties(const profiles::CurrentProfile& profile);
    int ExecuteProperties(const profiles::CurrentProfile& profile);

    const profiles::ProfileInput& input() const { return input_; }
    bool addUnits() const;

    // --- event handlers ---
    void CheckBoxHideClick(bool checked);
    void ButtonNonStandardClick();
    void ButtonOKClick();
    void ButtonCancelClick();

private:
    void buildUi();
    void setCaptions();
    void prepare(const profiles::ProfileInput& input, bool creating, bool offerUnits);
    void readInput();
    bool versionAtLeast(const char* threshold) const;
    QString text(int number);

    app::AppContext& context_;
    TFormNonStandardContractConfiguration* options_ = nullptr;
    profiles::ProfileInput input_;
    bool creating_ = true;

    QGroupBox* GroupBox1 = nullptr;
    QLabel* LabelTitle = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLabel* LabelDescription = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QCheckBox* CheckBoxHide = nullptr;
    QCheckBox* CheckShadow = nullptr;
    QCheckBox* CheckBoxEnableIntegrityCalc = nullptr;
    QCheckBox* CheckBoxAddStandardContents = nullptr;
    QLabel* LabelContract = nullptr;
    QComboBox* ComboBoxContract = nullptr;
    QCheckBox* CheckBoxUseSeaLevel = nullptr;
    QPushButton* ButtonNonStandard = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
