#pragma once
// The grid of the validation editor: "Active" shows one of two pictures
// instead of a check box (a click on it is the window's to handle), and the
// limits are edited in place as numbers. Nothing is editable unless the
// user may edit the limits.

#include <QIdentityProxyModel>
#include <QPixmap>
#include <QStyledItemDelegate>

namespace profiles {

class ValidationGridModel : public QIdentityProxyModel {
    Q_OBJECT

public:
    explicit ValidationGridModel(QObject* parent = nullptr);

    // The proxy's columns of the active flag and of the limits (-1: none).
    void setColumns(int activeColumn, int minimumColumn, int maximumColumn);
    void setEditable(bool editable);
    bool isEditable() const { return editable_; }
    int activeColumn() const { return active_; }
    bool isLimitColumn(int column) const { return column >= 0 && (column == minimum_ || column == maximum_); }

    const QPixmap& picture(bool active) const { return active ? activePicture_ : inactivePicture_; }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QPixmap activePicture_;
    QPixmap inactivePicture_;
    int active_ = -1;
    int minimum_ = -1;
    int maximum_ = -1;
    bool editable_ = false;
};

// Draws the active pictures centred and edits the limits with a line edit
// that takes numbers only; an emptied limit is no limit (NULL).
class ValidationGridDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    ValidationGridDelegate(const ValidationGridModel& model, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    const ValidationGridModel& model_;
};

// A limit as typed, in the user's locale or with a decimal point; an empty
// text is no limit (a null value). False when the text is no number.
bool parseLimit(const QString& text, QVariant* value);

}  // namespace profiles
