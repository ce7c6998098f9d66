#pragma once
// The choice between allocating event codes and allocating power reduction
// modes, asked for profiles that use derating categorisation or IEC
// reporting.

#include <QDialog>

class QPushButton;
class QRadioButton;

namespace app {
class AppContext;
}

class TFormSelectCategorizationType : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTextOK = 50;
    static constexpr int kTextCancel = 51;
    static constexpr int kTextCaption = 510;
    static constexpr int kTextEvent = 511;
    static constexpr int kTextDerate = 512;

    enum Type { EventCategorization = 1, DerateSourceCategorization = 2 };

    explicit TFormSelectCategorizationType(app::AppContext& context, QWidget* parent = nullptr);

    // Shows the dialog modally with the event choice preselected; the
    // QDialog result (Accepted on OK).
    int Execute();
    // 1: event categorization, 2: derate source categorization.
    int CategorizationType() const;

    void ButtonOKClick();
    void ButtonCancelClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();

    app::AppContext& context_;
    QRadioButton* RadioButtonEventCategorization = nullptr;
    QRadioButton* RadioButtonDerateSourceCategorization = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
