#pragma once
// "Units to be removed": lists the units about to leave a profile, says what
// goes with them, and asks Yes (modal result 1) or No (2).

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

class TformDeselectedUnits : public QDialog {
    Q_OBJECT

public:
    explicit TformDeselectedUnits(QWidget* parent = nullptr);

    // Shows `titles` and asks; 1 for Yes, 2 otherwise.
    int Execute(const QStringList& titles);
    void Prepare(const QStringList& titles);

private:
    QListWidget* ListBoxUnits = nullptr;
    QPushButton* ButtonYes = nullptr;
    QPushButton* ButtonNo = nullptr;
};
