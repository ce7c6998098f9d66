// The reference curve editor's curve commands: Add New, Edit, Delete, and
// the copy and print of the current curve's points.

#include "app/AppContext.h"
#include "curves/CurveNumbers.h"
#include "curves/CurveTexts.h"
#include "curves/TFormCurveProperties.h"
#include "curves/TFormNormCurve.h"
#include "db/Parameters.h"
#include "reports/ClipboardText.h"
#include "reports/ReportTable.h"
#include "reports/TFormReportMenu.h"
#include "text/TextTables.h"
#include "ui/DataSetModel.h"
#include "ui/TypedNumbers.h"

#include <QComboBox>
#include <QLocale>

using namespace curves::texts;

namespace {

// A stored number as the properties dialog shows it for editing: the
// locale's decimal mark, no group separator, every significant digit.
QString number(const QVariant& value) {
    if (value.isNull()) return {};
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value.toDouble(), 'g', 15);
}

}  // namespace

bool TFormNormCurve::titleTaken(const QString& title, int exceptId) {
    db::Command command;
    command.text = QStringLiteral("SELECT * FROM TNormCurve WHERE NormCurveTitle='") +
                   db::QuoteSqlText(title) + QStringLiteral("'");
    const db::Result result = context_.Database().execute(command);
    if (!result.ok() || result.resultSets.empty()) return false;
    for (const db::Row& row : result.resultSets[0].rows)
        if (row.at(0).toInt() != exceptId) return true;
    return false;
}

bool TFormNormCurve::runUtilCommand(const QString& sql) {
    if (runner_) {
        QString error;
        const bool ok = runner_(sql, caption_, &error);
        if (!ok) context_.prompts().message(ui::Icon::Error, error, caption_);
        return ok;
    }
    db::Command command;
    command.text = sql;
    const db::Result result = context_.Database2().execute(command);
    if (!result.ok()) context_.prompts().message(ui::Icon::Error, result.error, caption_);
    return result.ok();
}

void TFormNormCurve::AddNewButtonClick() {
    SetButtonState(false);
    const auto restore = [this] { SetButtonState(true); };
    if (!SaveOffer()) return restore();
    curves::CurveProperties blank;
    blank.airDensity = TFormCurveProperties::defaultAirDensity();
    blank.typeIndex = typeIndex();
    if (properties_.Execute(blank, withTypes_) != TFormCurveProperties::kResultOk) return restore();
    const curves::CurveProperties values = properties_.values();
    if (titleTaken(values.title, 0)) {
        context_.prompts().message(ui::Icon::Warning, text(kTitleTaken), caption_);
        return restore();
    }
    const std::optional<double> airDensity = ui::readTypedNumber(values.airDensity);
    if (!airDensity) {
        context_.prompts().message(ui::Icon::Error, text(kAirDensityNotNumber), caption_);
        return restore();
    }
    curves::NewCurve curve;
    curve.title = values.title;
    curve.description = values.description;
    curve.airDensity = *airDensity;
    curve.locked = values.locked;
    curve.cutInWindSpeed = ui::readTypedNumber(values.cutIn);
    curve.cutOutWindSpeed = ui::readTypedNumber(values.cutOut);
    curve.typeId = withTypes_ ? values.typeIndex + 1 : 1;
    if (!runUtilCommand(curves::defaultCurveInsertCall(curve))) return restore();
    // The new curve is shown under its own type, selected.
    points_.close();
    curves_.close();
    if (!openCurves()) return restore();
    if (withTypes_) {
        selecting_ = true;
        ComboBoxNormCurveType->setCurrentIndex(values.typeIndex);
        selecting_ = false;
    }
    applyTypeFilter();
    if (!curves_.locate(QStringLiteral("NormCurveTitle"), values.title)) curves_.last();
    loadCurve();
    restore();
}

void TFormNormCurve::ChangeButtonClick() {
    if (curveId_ <= 0) return;
    SetButtonState(false);
    const auto restore = [this] { SetButtonState(true); };
    if (!mayChangeCurve() || !SaveOffer()) return restore();
    curves::CurveProperties current;
    current.title = curves_.value(QStringLiteral("NormCurveTitle")).toString();
    current.description = curves_.value(QStringLiteral("NormCurveDescription")).toString();
    current.airDensity = number(curves_.value(QStringLiteral("NormCurveAirDensity")));
    current.locked = locked_;
    current.typeIndex = curves_.value(QStringLiteral("NormCurveTypeId")).toInt() == 2 ? 1 : 0;
    // Both speeds come from the row, or OK would store the empty fields.
    current.cutIn = number(curves_.value(QStringLiteral("NormCurveCutInWindSpeed")));
    current.cutOut = number(curves_.value(QStringLiteral("NormCurveCutOutWindSpeed")));
    if (properties_.Execute(current, withTypes_) != TFormCurveProperties::kResultOk) return restore();
    const curves::CurveProperties values = properties_.values();
    if (values.title != current.title && titleTaken(values.title, curveId_)) {
        context_.prompts().message(ui::Icon::Warning, text(kTitleTaken), caption_);
        return restore();
    }
    const auto speed = [](const QString& typed) {
        const std::optional<double> value = ui::readTypedNumber(typed);
        return value ? QVariant(*value) : QVariant();
    };
    curves_.edit();
    curves_.setValue(QStringLiteral("NormCurveTitle"), values.title);
    curves_.setValue(QStringLiteral("NormCurveDescription"), values.description);
    curves_.setValue(QStringLiteral("NormCurveAirDensity"),
                     ui::readTypedNumber(values.airDensity).value_or(1.225));
    curves_.setValue(QStringLiteral("NormCurveLocked"), values.locked ? 1 : 0);
    if (withTypes_) curves_.setValue(QStringLiteral("NormCurveTypeId"), values.typeIndex + 1);
    curves_.setValue(QStringLiteral("NormCurveCutInWindSpeed"), speed(values.cutIn));
    curves_.setValue(QStringLiteral("NormCurveCutOutWindSpeed"), speed(values.cutOut));
    if (!curves_.post()) {
        context_.prompts().message(ui::Icon::Error, curves_.lastError(), caption_);
        curves_.cancel();
        return restore();
    }
    markDirty();
    showCurveFields();
    refreshChart();
    restore();
}

void TFormNormCurve::DeleteButtonClick() {
    if (curveId_ <= 0) return;
    SetButtonState(false);
    const auto restore = [this] { SetButtonState(true); };
    if (!mayChangeCurve() || !SaveOffer()) return restore();
    if (context_.prompts().question(ui::Icon::Question, text(kDeleteQuestion), caption_,
                                    ui::Button::Ok | ui::Button::Cancel,
                                    ui::Button::Cancel) != ui::Button::Ok)
        return restore();
    for (const char* table : {"TParkUnit", "TParkUnit_TReportProfile"}) {
        db::Command command;
        command.text = QStringLiteral("SELECT NormCurveId FROM %1 WHERE NormCurveId=%2")
                           .arg(QLatin1String(table))
                           .arg(curveId_);
        const db::Result result = context_.Database().execute(command);
        if (!result.ok() || (!result.resultSets.empty() && !result.resultSets[0].rows.empty())) {
            context_.prompts().message(ui::Icon::Warning, text(kCurveInUse), caption_);
            return restore();
        }
    }
    db::Command command;
    command.text = QStringLiteral("DCE_SP_DeleteNormCurveData %1").arg(curveId_);
    const db::Result result = context_.Database2().execute(command);
    if (!result.ok()) {
        context_.prompts().message(ui::Icon::Error, text(kDeleteFailed), caption_);
        return restore();
    }
    points_.close();
    curves_.close();
    if (openCurves()) {
        applyTypeFilter();
        curves_.last();
        loadCurve();
    }
    restore();
}

void TFormNormCurve::SpeedButtonCopyClick() {
    if (!buttonsOn_ || !points_.isOpen()) return;
    context_.prompts().setClipboardText(reports::clipboardText(reports::tableFromModel(*pointModel_)));
}

void TFormNormCurve::SpeedButtonPrintClick() {
    TFormReportMenu* menu = context_.windows().reportMenu;
    if (!menu || !buttonsOn_ || !points_.isOpen()) return;
    reports::ReportSource source;
    source.kind = reports::SourceKind::Given;
    source.model = pointModel_.get();
    source.window = this;
    source.headerTexts[0] = text(kPrintTitle);
    source.headerTexts[1] = curves_.value(QStringLiteral("NormCurveTitle")).toString();
    menu->Execute(source);
}
