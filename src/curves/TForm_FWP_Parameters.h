#pragma once
// The dialog of one free wind parameter set: its title and the three cubic
// correlation functions (low pitch, high pitch, stopped turbine).

#include "curves/FreeWindBoxes.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace app {
class AppContext;
}

class TForm_FWP_Parameters : public QDialog {
    Q_OBJECT

public:
    static constexpr int kResultOk = 1;
    static constexpr int kResultCancel = 2;

    explicit TForm_FWP_Parameters(app::AppContext& context, QWidget* parent = nullptr);

    // Fills the boxes and shows the dialog modally.
    int Execute(const curves::FreeWindTexts& boxes);
    // A new set: every box empty but the three c boxes, which hold "1".
    static curves::FreeWindTexts newSet();
    curves::FreeWindTexts boxes() const;
    QLineEdit* box(int index) const { return Edits[size_t(index)]; }

    void ButtonOKClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void setCaptions();

    app::AppContext& context_;
    std::array<QLineEdit*, curves::kFreeWindBoxes> Edits{};
    std::array<QLabel*, curves::kFreeWindBoxes> Labels{};
    QGroupBox* GroupBox1 = nullptr;
    std::array<QLabel*, 3> Formulas{};
    QLabel* LabelStop = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
