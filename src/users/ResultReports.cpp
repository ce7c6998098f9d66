#include "users/ResultReports.h"

#include "ui/Prompts.h"

#include <QRegularExpression>

namespace users {

namespace {

QString errorPart(Subject subject, int returnValue, const QString& providerError, const TextLookup& text) {
    if (returnValue == 0) return u' ' + providerError;
    if (subject == Subject::Users) {
        if (returnValue == 13) return u' ' + text(170);
        if (returnValue >= 15 && returnValue <= 22) return u' ' + text(171 + returnValue - 15);
        if (returnValue == 50) return u' ' + text(225);
        return u' ' + text(179) + QString::number(returnValue) + QStringLiteral(").");
    }
    if (returnValue == 13) return u' ' + text(220);
    if (returnValue >= 15 && returnValue <= 17) return u' ' + text(221 + returnValue - 15);
    return u' ' + text(224) + QString::number(returnValue) + QStringLiteral(").");
}

struct Wording {
    int message;
    int caption;
};

Wording wording(Subject subject, Operation operation, int kind, bool importRunning) {
    const bool users = subject == Subject::Users;
    switch (operation) {
        case Operation::Create: return users ? Wording{185, 189} : Wording{214, 212};
        case Operation::Update: return users ? Wording{186, 190} : Wording{215, 211};
        case Operation::Select: return users ? Wording{188, 190} : Wording{217, 210};
        case Operation::Delete: return {154, 155};
        case Operation::UpdateRelations:
            if (users) return {187, !importRunning ? 191 : kind == kFeatureReport ? 193 : 194};
            return {216, kind == kFeatureReport ? 208 : kind == kTemplateReport ? 209 : 213};
    }
    return {188, 190};
}

}  // namespace

ResultReport MakeReport(Subject subject, Operation operation, int returnValue, const QString& providerError,
                        const QString& context, int kind, bool importRunning, const TextLookup& text) {
    ResultReport report;
    report.subject = subject;
    report.operation = operation;
    report.returnValue = returnValue;
    report.kind = kind;
    report.context = context;
    report.succeeded = returnValue == 0 && providerError.isEmpty();
    const Wording words = wording(subject, operation, kind, importRunning);
    report.caption = text(words.caption);
    if (report.succeeded) {
        report.message = text(180);
    } else {
        report.message = text(words.message) + u' ' + errorPart(subject, returnValue, providerError, text);
    }
    static const QRegularExpression lineBreak(QStringLiteral("\\\\n"),
                                              QRegularExpression::CaseInsensitiveOption);
    report.message.replace(lineBreak, QStringLiteral("\n"));
    return report;
}

void PromptSink::report(const ResultReport& report) {
    if (!report.succeeded) prompts_.message(ui::Icon::Error, report.message, report.caption);
}

}  // namespace users
