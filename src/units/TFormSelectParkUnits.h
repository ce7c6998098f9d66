#pragma once
// Chooses the park units of a profile: the candidates move between
// "Available" and "Selected". "Available" always shows the candidates not
// selected, in candidate order; moved rows go to the end of "Selected".

#include "units/UnitSelection.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <vector>

class QGroupBox;
class QLabel;
class QPushButton;
class QTableView;

namespace app {
class AppContext;
}

namespace units {

// A grid's rows: candidates by index into the dialog's candidate list.
class CandidateModel : public QAbstractTableModel {
public:
    CandidateModel(const std::vector<Candidate>& candidates, QObject* parent)
        : QAbstractTableModel(parent), candidates_(candidates) {}
    void setRows(std::vector<int> rows);
    const std::vector<int>& rows() const { return rows_; }
    void setCaptions(const QString& unit, const QString& type);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const std::vector<Candidate>& candidates_;
    std::vector<int> rows_;
    QString captions_[3];
};

}  // namespace units

class TFormSelectParkUnits : public QDialog {
    Q_OBJECT

public:
    explicit TFormSelectParkUnits(app::AppContext& context, QWidget* parent = nullptr);

    // The candidates for the next use; "Selected" takes those that start
    // selected (the initially selected ids), "Available" the others.
    void Prepare(std::vector<units::Candidate> candidates);
    const std::vector<units::Candidate>& candidates() const { return candidates_; }
    // Fills both grids as a show does, for a use without showing.
    void Fill();
    int Execute();

    // The ids in "Selected", in grid order.
    std::vector<int> selectedIds() const;
    bool changed() const { return changed_; }

    void BitBtnAddAllClick();
    void BitBtnAddClick();
    void BitBtnDelClick();
    void BitBtnDelAllClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void setCaptions();
    void moveToSelected(const std::vector<int>& candidateIndexes);
    void removeFromSelected(const std::vector<int>& candidateIndexes);
    void rebuildAvailable();
    void updateButtons();
    std::vector<int> chosenRows(QTableView* view, const units::CandidateModel& model, bool focusedWhenNone);

    app::AppContext& context_;
    std::vector<units::Candidate> candidates_;
    QString initiallySelected_;
    bool changed_ = false;

    units::CandidateModel* availableModel_ = nullptr;
    units::CandidateModel* selectedModel_ = nullptr;
    QGroupBox* GroupBoxUnits = nullptr;
    QLabel* LabelAvailable = nullptr;
    QLabel* LabelSelected = nullptr;
    QTableView* TableViewAvailable = nullptr;
    QTableView* TableViewSelected = nullptr;
    QPushButton* BitBtnAddAll = nullptr;
    QPushButton* BitBtnAdd = nullptr;
    QPushButton* BitBtnDel = nullptr;
    QPushButton* BitBtnDelAll = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
};
