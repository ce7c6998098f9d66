#include "profiles/TFormUtil.h"

#include "app/AppContext.h"
#include "ui/Waiting.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// Long enough for any statement these helpers run.
constexpr int kLongTimeoutSeconds = 99999;

const QString kRegenerateFlag = QStringLiteral("ReportProfileRegeneratePendingFlag");

}  // namespace

TFormUtil::TFormUtil(app::AppContext& context, QWidget* parent) : QDialog(parent), context_(context) {
    setObjectName(QStringLiteral("TFormUtil"));
    setWindowTitle(QStringLiteral("Profile Administrator"));
    setModal(false);
    buildUi();

    ADOCommand1.timeoutSeconds = 0;
    ADOCommand2.timeoutSeconds = kLongTimeoutSeconds;
    connect(&executor_, &db::AsyncExecutor::finished, this, [this](bool ok) {
        if (!ok) fail(executor_.errorText());
        Q_EMIT commandFinished(ok);
    });
}

TFormUtil::~TFormUtil() { restoreCursor(); }

void TFormUtil::buildUi() {
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Label1 = new QLabel(GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    // Centred by the layout: the text stays in the middle whatever its length.
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    auto* boxLayout = new QVBoxLayout(GroupBox1);
    boxLayout->addWidget(Label1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    setFixedSize(340, 110);
}

void TFormUtil::fail(const QString& message) {
    lastError_ = message;
    context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + message);
}

void TFormUtil::setWaitCursor() {
    if (waitCursor_) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    waitCursor_ = true;
}

void TFormUtil::restoreCursor() {
    if (!waitCursor_) return;
    QApplication::restoreOverrideCursor();
    waitCursor_ = false;
}

void TFormUtil::ShowWait(const QString& text) {
    setWaitCursor();
    ui::pause(0);
    Label1->setText(text);
    if (!isVisible()) {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
        show();
    }
    ui::pause(0);
}

void TFormUtil::HideWait() {
    hide();
    restoreCursor();
}

bool TFormUtil::RunCommand(const QString& sql) {
    ADOCommand1.type = db::CommandType::Text;
    ADOCommand1.text = sql;
    ADOCommand1.parameters.clear();
    const db::Result result = context_.Database2().execute(ADOCommand1);
    if (!result.ok()) {
        HideWait();
        fail(result.error);
        return false;
    }
    lastError_.clear();
    return true;
}

bool TFormUtil::StartCommand(const QString& sql) {
    if (executor_.isRunning()) {
        fail(QStringLiteral("Another statement is still running"));
        return false;
    }
    db::SharedConnection& connection = context_.Database();
    QString error;
    if (!connection.connect(&error)) {
        fail(error);
        return false;
    }
    ADOCommand2.type = db::CommandType::Text;
    ADOCommand2.text = sql;
    ADOCommand2.parameters.clear();
    if (!executor_.execute(*connection.get(), ADOCommand2)) {
        fail(executor_.errorText());
        return false;
    }
    lastError_.clear();
    return true;
}

void TFormUtil::ReleaseCommand() {
    // The worker gives its connection back when the statement ends; what is
    // left to drop is the statement itself.
    ADOCommand2.text.clear();
    ADOCommand2.parameters.clear();
}

db::DataSet* TFormUtil::OpenQuery(const QString& sql) {
    ADODataSet1.close();
    db::Command command;
    command.text = sql;
    command.timeoutSeconds = kLongTimeoutSeconds;
    db::SharedConnection& connection = context_.Database();
    QString error;
    if (!connection.connect(&error)) {
        fail(error);
        return nullptr;
    }
    db::Result result = connection.get()->execute(command);
    if (!result.ok()) {
        fail(result.error);
        return nullptr;
    }
    lastError_.clear();
    // No result set at all, or an empty one: the callers get nothing.
    if (result.resultSets.empty() || result.resultSets.front().rows.empty()) return nullptr;
    ADODataSet1.setCommand(command);
    ADODataSet1.setRows(std::move(result.resultSets.front()));
    return &ADODataSet1;
}

bool TFormUtil::SetRegeneratePending(int profileId, int flag) {
    db::DataSet* list = profileList_;
    if (!list || !list->isOpen() || list->currentRow() < 0) return false;
    // The profile is named by id; the list returns to the row the user has.
    const int selectedRow = list->currentRow();
    if (!list->locate(QStringLiteral("ReportProfileId"), profileId)) {
        fail(QStringLiteral("Report profile %1 is not in the list").arg(profileId));
        return false;
    }
    const bool ok = writeRegeneratePending(*list, flag);
    if (list->currentRow() != selectedRow) list->moveTo(selectedRow);
    return ok;
}

bool TFormUtil::writeRegeneratePending(db::DataSet& list, int flag) {
    if (!list.edit() || !list.setValue(kRegenerateFlag, flag)) {
        const QString reason = list.lastError();
        list.cancel();
        fail(reason.isEmpty() ? QStringLiteral("The regeneration flag cannot be set") : reason);
        return false;
    }
    if (!list.post()) {
        fail(list.lastError());
        return false;
    }
    db::SharedConnection& connection = context_.Database();
    QString error;
    if (!connection.connect(&error)) {
        fail(error);
        return false;
    }
    if (!list.updateBatch(*connection.get(), QStringLiteral("TReportProfile"),
                          {QStringLiteral("ReportProfileId")})) {
        fail(list.lastError());
        return false;
    }
    lastError_.clear();
    return true;
}
