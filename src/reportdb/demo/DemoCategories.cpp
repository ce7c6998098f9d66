// Report categorisation: the event lists of the unit types with their codes
// and responsible sources, the power reduction modes, the category sets of
// every profile, and the allocation of the codes in each set (and of the
// power reduction modes for the profile that categorises derating).

#include "reportdb/Categories.h"
#include "reportdb/PreparedStatement.h"
#include "reportdb/demo/DemoBuilder.h"
#include "reportdb/demo/DemoEventLists.h"

#include <map>

namespace reportdb::demo {

namespace {

// The module that lets a user give categories manual titles.
constexpr int kManualTitleModule = 1000000;

// Shares of the allocation rows: switched off (and then allocated nowhere),
// and allocated in a set among those switched on.
constexpr double kSwitchedOff = 0.03;
constexpr double kAllocatedInSet = 0.88;

// A set as the demo fills it: a category that the set does not hold moves
// to the set's equivalent, or stays unallocated when there is none.
struct DemoSet {
    categories::CategorySet set;
    std::map<int, int> equivalent;
};

// Profiles by their place in the demo's profile list.
constexpr size_t kWholePark = 0;
constexpr size_t kExportProfile = 3;

std::vector<DemoSet> setsOf(size_t profileIndex) {
    std::vector<DemoSet> sets;
    for (const categories::CategorySet& set : categories::standardSets()) sets.push_back({set, {}});
    // Technical availability does not count grid and owner stops against
    // the turbine.
    sets[1].equivalent = {{kUtility, kEnvironmental}, {kOwner, kScheduledMaintenance}};
    if (profileIndex == kWholePark)
        sets.push_back({{3, QStringLiteral("IEC availability"), 3, true, {1, 9, 10, 11, 12, 13, 14}},
                        {{kNormalOperation, 9},
                         {kUtility, 12},
                         {kManufacturer, 14},
                         {kEnvironmental, 12},
                         {kOwner, 13},
                         {kScheduledMaintenance, 13},
                         {kUnscheduledMaintenance, 14},
                         {kLightning, 14}}});
    if (profileIndex == kExportProfile)
        sets.push_back({{3, QStringLiteral("Owner reporting"), 3, false, {1, 2, 3, 5}},
                        {{kScheduledMaintenance, kOwner}, {kUnscheduledMaintenance, kManufacturer}}});
    return sets;
}

// The category of a code in a set; event code 0 is normal operation in
// every set. 0: none.
int categoryInSet(const DemoSet& set, int usual, bool codeZero) {
    if (codeZero) return categories::kNormalOperation;
    const auto moved = set.equivalent.find(usual);
    const int category = moved == set.equivalent.end() ? usual : moved->second;
    for (int member : set.set.members)
        if (member == category) return category;
    return 0;
}

int unitTypeOf(const Builder& b, DemoUnitKind kind) {
    switch (kind) {
        case DemoUnitKind::TypeA: return b.unit(b.typeATurbineIds.front()).typeId;
        case DemoUnitKind::TypeB: return b.unit(b.typeBTurbineIds.front()).typeId;
        case DemoUnitKind::MetMast: return b.unit(b.metMastIds.front()).typeId;
        case DemoUnitKind::GridMeter: return b.unit(b.gridPointId).typeId;
    }
    return 0;
}

struct WrittenCode {
    int id;
    const DemoEventCode* code;
};

// The event lists with their codes; per list id its written codes.
std::map<int, std::vector<WrittenCode>> writeEventLists(Builder& b, const std::vector<DemoEventList>& lists) {
    for (const DemoResponsibleSource& source : demoResponsibleSources())
        b.context.exec(QStringLiteral("INSERT INTO TResponsibleSource (ResponsibleSourceId, "
                                      "ResponsibleSourceNumber, ResponsibleSourceTitle) VALUES (?, ?, ?)"),
                       {source.number, source.number, QString::fromLatin1(source.title)});
    PreparedStatement insertCode(b.db, QStringLiteral("INSERT INTO TEventCode (EventListId, EventCodeNumber, "
                                                      "EventCodeTitle) VALUES (?, ?, ?)"));
    PreparedStatement insertSource(b.db, QStringLiteral("INSERT INTO TEventCode_TResponsibleSource "
                                                        "(EventCodeId, ResponsibleSourceId) VALUES (?, ?)"));
    std::map<int, std::vector<WrittenCode>> written;
    int listId = 0;
    for (const DemoEventList& list : lists) {
        ++listId;
        b.context.exec(
            QStringLiteral(
                "INSERT INTO TEventList (EventListId, EventListTitle, EventListFileName) VALUES (?, ?, ?)"),
            {listId, list.title, list.fileName});
        b.context.exec(QStringLiteral("UPDATE TUnitType SET EventListId = ? WHERE UnitTypeId = ?"),
                       {listId, unitTypeOf(b, list.kind)});
        std::vector<WrittenCode>& codes = written[listId];
        for (const DemoEventCode& code : list.codes) {
            insertCode.exec({listId, code.number, code.title});
            const int codeId = int(b.context.lastInsertId());
            for (int source : code.sourceNumbers) insertSource.exec({codeId, source});
            codes.push_back({codeId, &code});
        }
    }
    return written;
}

void writeReductionModes(Builder& b) {
    PreparedStatement insert(b.db,
                             QStringLiteral("INSERT INTO TPowerReductionMode (PowerReductionModeId, "
                                            "ReductionModeNumber, ReductionModeTitle) VALUES (?, ?, ?)"));
    int id = 0;
    for (const DemoReductionMode& mode : demoReductionModes())
        insert.exec({id++, mode.number, QString::fromLatin1(mode.title)});
}

// One allocation row per code of every event list the profile's units
// report from (per responsible source where the code names them).
void allocateEvents(Builder& b, Random& random, int profileId, const std::vector<DemoSet>& sets,
                    const std::map<int, std::vector<WrittenCode>>& codes) {
    std::map<int, int> sourceCategory;
    for (const DemoResponsibleSource& source : demoResponsibleSources())
        sourceCategory[source.number] = source.category;
    PreparedStatement insertRow(
        b.db, QStringLiteral("INSERT INTO TCategoryAllocation (ReportProfileId, EventCodeId, "
                             "ResponsibleSourceId, CategoryAllocationDisabled) VALUES (?, ?, ?, ?)"));
    PreparedStatement insertCategory(
        b.db, QStringLiteral("INSERT INTO TCategoryAllocation_TReportCategorySet "
                             "(CategoryAllocationId, ReportCategorySetId, ReportCategoryId) "
                             "VALUES (?, ?, ?)"));
    const db::ResultSet lists = b.context.query(
        QStringLiteral("SELECT DISTINCT UT.EventListId FROM TParkUnit_TReportProfile AS PUP "
                       "INNER JOIN TParkUnit AS PU ON PU.ParkUnitId = PUP.ParkUnitId "
                       "INNER JOIN TUnitType AS UT ON UT.UnitTypeId = PU.UnitTypeId "
                       "WHERE PUP.ReportProfileId = ? AND UT.EventListId IS NOT NULL ORDER BY 1"),
        {profileId});
    auto allocate = [&](const WrittenCode& code, const QVariant& source, int usual) {
        const bool codeZero = code.code->number == 0;
        const bool switchedOff = !codeZero && random.chance(kSwitchedOff);
        insertRow.exec({profileId, code.id, source, switchedOff ? 1 : 0});
        const int rowId = int(b.context.lastInsertId());
        if (switchedOff) return;
        for (const DemoSet& set : sets) {
            if (!codeZero && !random.chance(kAllocatedInSet)) continue;
            if (const int category = categoryInSet(set, usual, codeZero))
                insertCategory.exec({rowId, set.set.id, category});
        }
    };
    for (const db::Row& list : lists.rows) {
        for (const WrittenCode& code : codes.at(list[0].toInt())) {
            if (code.code->sourceNumbers.empty()) {
                allocate(code, QVariant(), code.code->category);
                continue;
            }
            for (int source : code.code->sourceNumbers) allocate(code, source, sourceCategory.at(source));
        }
    }
}

void allocateReductionModes(Builder& b, int profileId, const DemoSet& mainSet) {
    PreparedStatement insert(b.db,
                             QStringLiteral("INSERT INTO TDerateCategoryAllocation (ReportProfileId, "
                                            "PowerReductionModeId, ReportCategoryId) VALUES (?, ?, ?)"));
    int id = 0;
    for (const DemoReductionMode& mode : demoReductionModes()) {
        const int category = categoryInSet(mainSet, mode.category, mode.number == 0);
        insert.exec({profileId, id++, category ? QVariant(category) : QVariant()});
    }
}

}  // namespace

void addCategories(Builder& b) {
    const std::vector<DemoEventList> lists = demoEventLists(b);
    const auto codes = writeEventLists(b, lists);
    writeReductionModes(b);

    b.context.exec(QStringLiteral("UPDATE TReportProfile SET UseIECReporting = 1 WHERE ReportProfileId = ?"),
                   {b.profileIds.at(kWholePark)});
    Random random = b.randomFor(0x616c6c6f63);  // "alloc"
    for (size_t index = 0; index < b.profileIds.size(); ++index) {
        const int profileId = b.profileIds[index];
        const std::vector<DemoSet> sets = setsOf(index);
        for (const DemoSet& set : sets) categories::writeSet(b.context, profileId, set.set);
        allocateEvents(b, random, profileId, sets, codes);
        if (b.context
                .scalar(QStringLiteral("SELECT UseDeratingCategorisation FROM TReportProfile WHERE "
                                       "ReportProfileId = ?"),
                        {profileId})
                .toBool())
            allocateReductionModes(b, profileId, sets.front());
    }
    b.context.exec(QStringLiteral("INSERT INTO TUserModuleAccess (UserId, ModuleId) VALUES (?, ?)"),
                   {b.administratorUserId, kManualTitleModule});
}

}  // namespace reportdb::demo
