#pragma once
// The catalogue of the demo's event lists, responsible sources and power
// reduction modes, with the report category each of them is usually
// allocated to. Plain data; DemoCategories.cpp writes it.

#include "reportdb/demo/DemoBuilder.h"

#include <QString>
#include <vector>

namespace reportdb::demo {

// The standard report categories (TReportCategory ids 1-8).
enum DemoCategory : int {
    kNormalOperation = 1,
    kUtility = 2,
    kManufacturer = 3,
    kEnvironmental = 4,
    kOwner = 5,
    kScheduledMaintenance = 6,
    kUnscheduledMaintenance = 7,
    kLightning = 8,
};

struct DemoEventCode {
    int number = 0;
    QString title;
    int category = kNormalOperation;  // where it is usually allocated
    std::vector<int> sourceNumbers;   // responsible sources, by number (none: one allocation row)
};

enum class DemoUnitKind { TypeA, TypeB, MetMast, GridMeter };

struct DemoEventList {
    DemoUnitKind kind;
    QString title;
    QString fileName;
    std::vector<DemoEventCode> codes;  // by number; code 0 first
};

struct DemoResponsibleSource {
    int number;
    const char* title;
    int category;  // where events caused by this source usually go
};

struct DemoReductionMode {
    int number;
    const char* title;
    int category;
};

// The four event lists: two turbine types, met masts, grid meter.
std::vector<DemoEventList> demoEventLists(const Builder& builder);
std::vector<DemoResponsibleSource> demoResponsibleSources();
std::vector<DemoReductionMode> demoReductionModes();

}  // namespace reportdb::demo
