#pragma once
// "Edit Park Unit": the current row of the park unit configuration as a
// form. It edits the same held changes as the grid, and Previous and Next
// move the grid's rows.

#include "units/ConfigLookups.h"

#include <QDialog>
#include <map>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace app {
class AppContext;
}
namespace db {
class DataSet;
}

class TFormEditParkUnit : public QDialog {
    Q_OBJECT

public:
    explicit TFormEditParkUnit(app::AppContext& context, QWidget* parent = nullptr);

    // Binds the view to the configuration rows and their lists.
    void Bind(db::DataSet* rows, const units::ConfigLookups* lookups);
    void setEditable(bool editable);
    // Controls of columns the database version does not have.
    void setSectorGroupAvailable(bool available);
    void setConnectionPointAvailable(bool available);
    // Shows the current row's values and the lists as the row may choose.
    void refresh();

    void ButtonPreviousClick();
    void ButtonNextClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QComboBox* addCombo(QGroupBox* group, const char* name, const char* field, int labelText);
    QLineEdit* addEdit(QGroupBox* group, const char* name, const char* field, int labelText);
    void setCaptions();
    void write(const QString& field, const QVariant& value);

    app::AppContext& context_;
    db::DataSet* rows_ = nullptr;
    const units::ConfigLookups* lookups_ = nullptr;
    bool editable_ = false;
    bool refreshing_ = false;
    std::map<QWidget*, QString> fieldOf_;
    std::map<QLabel*, int> labelText_;
    std::map<QString, bool> available_;  // by field

    QGroupBox* GroupBoxUnit = nullptr;
    QGroupBox* GroupBoxNeighbours = nullptr;
    QGroupBox* GroupBoxMet = nullptr;
    QGroupBox* GroupBoxWind = nullptr;
    QLineEdit* EditParkUnit = nullptr;
    QPushButton* ButtonClose = nullptr;
    QPushButton* ButtonPrevious = nullptr;
    QPushButton* ButtonNext = nullptr;
};
