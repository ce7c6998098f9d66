#pragma once
// Shared state of the demo generator. Each subject (park, raw data, users,
// profiles, ...) is one function in its own file that adds its tables'
// rows and records what later subjects need.

#include "reportdb/ProcedureRegistry.h"
#include "reportdb/demo/Demo.h"

#include <sqlite3.h>

#include <QString>
#include <cstdint>
#include <vector>

namespace reportdb::demo {

// A small, fully specified random generator (SplitMix64): the standard
// library's distributions differ between implementations.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next();
    // [0, 1)
    double uniform();
    // Standard normal (Box-Muller).
    double normal();
    // [0, bound)
    int below(int bound);
    bool chance(double probability) { return uniform() < probability; }

private:
    std::uint64_t state_;
};

struct Builder {
    Builder(sqlite3* handle, const Options& options, QString versionText);

    sqlite3* db;
    Options options;
    ProcedureContext context;  // SQL helpers on the database being written

    // Written by the park.
    QString parkName;
    struct Unit {
        int id = 0;
        QString title;
        int typeId = 0;
        QString device;
        int capacity = 0;
        int row = 0;  // turbines: row and position in the row (layout)
        int position = 0;
    };
    std::vector<Unit> units;
    std::vector<int> turbineIds;  // type A first, then type B
    std::vector<int> typeATurbineIds;
    std::vector<int> typeBTurbineIds;
    std::vector<int> metMastIds;
    int gridPointId = 0;

    // Written by the users.
    int administratorUserId = 0;
    QString administratorInitials;
    QString loginName;
    std::vector<int> userIds;

    // Written by the profiles.
    std::vector<int> profileIds;

    const Unit& unit(int id) const;
    // A random generator of its own for one subject, so that a change in
    // one subject does not change the data of the others.
    Random randomFor(std::uint64_t subject) const;
};

// The subjects, in the order they are written.
void addPark(Builder& builder);                  // DemoPark.cpp
void addRawData(Builder& builder);               // DemoRawData.cpp
void addUsers(Builder& builder);                 // DemoUsers.cpp
void addProfiles(Builder& builder);              // DemoProfiles.cpp
void addCategories(Builder& builder);            // DemoCategories.cpp
void addValidationAndSignOff(Builder& builder);  // DemoValidation.cpp
void addUserRights(Builder& builder);            // DemoUsers.cpp: roles, features, templates and relations

// Curves, free wind parameters and wind sector groups of the units' configuration.
void addUnitReferences(Builder& builder);  // DemoUnitReferences.cpp
void addContracts(Builder& builder);       // DemoContracts.cpp

}  // namespace reportdb::demo
