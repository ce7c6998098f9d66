#pragma once
// How the outcome of a user or role call is reported: a message and caption
// built from the return value, handed to a result sink. By default the sink
// shows failures in a message box; the object import collects every outcome
// in its result list instead.

#include "users/UserCalls.h"
#include "users/UserRecords.h"

#include <QString>

namespace ui {
class Prompts;
}

namespace users {

enum class Subject { Users, Roles };

// Kinds of a report: a plain one, and those of a relation call during an
// import (features, report templates) and outside it.
inline constexpr int kPlainReport = 1;
inline constexpr int kFeatureReport = 2;
inline constexpr int kTemplateReport = 4;
inline constexpr int kRelationReport = 6;

// Context texts of relation changes and loads.
inline constexpr int kUserRelationsContext = 392;
inline constexpr int kRoleContext = 393;

struct ResultReport {
    Subject subject = Subject::Users;
    Operation operation = Operation::Select;
    int returnValue = 0;
    int kind = kPlainReport;
    QString context;
    QString caption;
    QString message;
    bool succeeded = true;
};

// A call failed when it returned a value other than 0 or when the provider
// reported an error (then `providerError` says which).
ResultReport MakeReport(Subject subject, Operation operation, int returnValue, const QString& providerError,
                        const QString& context, int kind, bool importRunning, const TextLookup& text);

class ResultSink {
public:
    virtual ~ResultSink() = default;
    // While an import runs, relation calls report per kind of list and
    // successes are reported too.
    virtual bool importRunning() const { return false; }
    virtual void report(const ResultReport& report) = 0;
};

// Shows each failure in a message box with the error icon; a success shows
// nothing.
class PromptSink : public ResultSink {
public:
    explicit PromptSink(ui::Prompts& prompts) : prompts_(prompts) {}
    void report(const ResultReport& report) override;

private:
    ui::Prompts& prompts_;
};

}  // namespace users
