// The child of the kill-safety test: saves a changed event allocation of every
// row of an event list through the allocation windows' own save path (the
// grid's click rule, the save lists, their procedure calls run in one
// transaction by the asynchronous executor on the program's shared
// connection). It reports on stdout
//   "ready <changed rows> <calls>"  just before the save starts,
//   "saved <1|0>"                   when the save has ended,
//   "error <text>"                  when it cannot get that far,
// and after a save waits until its stdin closes, so that the parent may kill
// it after the save as well as during it.
//
//   killsafety_child DATABASE PROFILE CATEGORYSET EVENTLIST
#include "categorization/AllocationGrid.h"
#include "categorization/AllocationSaveLists.h"
#include "categorization/AllocationVariant.h"
#include "db/AsyncExecutor.h"
#include "db/Connection.h"
#include "db/DataSet.h"
#include "reportdb/EmbeddedDatabase.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QEventLoop>

namespace {

namespace af = categorization::allocation_field;
using categorization::kEventAllocation;

// Unbuffered, so the parent sees each line the moment it is written.
void report(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0) return;
        done += n;
    }
}

int fail(const QString& text) {
    report(QStringLiteral("error ") + text);
    return 1;
}

db::Parameter integer(const char* name, int value) {
    return {QLatin1String(name), db::FieldType::Integer, 0, db::ParameterDirection::Input, value};
}

// The load as the event allocation window sends it.
db::Command loadCommand(int profileId, int setId, int listId) {
    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = QLatin1String(kEventAllocation.loadProcedure);
    command.parameters = {
        {QStringLiteral("@ReturnValue"), db::FieldType::Integer, 0, db::ParameterDirection::ReturnValue, {}},
        integer("@ReportProfileId", profileId),
        integer("@EventListId", listId),
        integer("@SelectionType", 2),
        integer("@CategorysetId", setId),
    };
    return command;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() != 5) return fail(QStringLiteral("usage: DATABASE PROFILE CATEGORYSET EVENTLIST"));
    const int profileId = args[2].toInt();
    const int setId = args[3].toInt();
    const int listId = args[4].toInt();

    db::SharedConnection database(QStringLiteral("Database"), reportdb::makeConnectionFactory());
    database.setConnectionString(QStringLiteral("Provider=Embedded;Data Source=") + args[1]);
    db::Command load = loadCommand(profileId, setId, listId);
    const db::Result loaded = database.execute(load);
    if (!loaded.ok()) return fail(loaded.error);
    if (loaded.resultSets.size() < 3) return fail(QStringLiteral("the load returned too few result sets"));

    db::DataSet dataSet;
    dataSet.setRows(loaded.resultSets[0]);
    categorization::AllocationGrid grid(dataSet, kEventAllocation);
    grid.setEditable(true);
    grid.prepare(loaded.resultSets[1], loaded.resultSets[2], false);
    grid.setCollapsed(true);
    const int categories = dataSet.fieldCount() - af::kFirstCategory;
    if (categories < 2) return fail(QStringLiteral("the category set needs two categories"));
    // Every row to a category that is not its first one, so every row changes.
    for (int row = 0; row < dataSet.recordCount(); ++row)
        grid.clickCell(row, af::kFirstCategory + 1 + row % (categories - 1));

    std::vector<db::Command> commands;
    for (const categorization::AllocationSaveCall& call : categorization::buildAllocationSaveCalls(dataSet))
        commands.push_back(categorization::allocationSaveCommand(kEventAllocation, call, setId));

    db::AsyncExecutor executor;
    QEventLoop loop;
    bool saved = false;
    QObject::connect(&executor, &db::AsyncExecutor::finished, &loop, [&](bool ok) {
        // As the status window judges a run: no error and no refusal.
        const db::Parameter* value = executor.command().returnValueParameter();
        saved = ok && executor.failedIndex() < 0 && (!value || value->value.toInt() == 0);
        loop.quit();
    });
    report(QStringLiteral("ready %1 %2").arg(dataSet.changeCount()).arg(commands.size()));
    if (!executor.executeAll(database, commands)) return fail(executor.errorText());
    loop.exec();
    report(QStringLiteral("saved %1").arg(saved ? 1 : 0));

    char byte = 0;
    while (::read(STDIN_FILENO, &byte, 1) > 0) {
    }
    return saved ? 0 : 1;
}
