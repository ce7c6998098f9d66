// The demo's event lists: turbine lists numbered by subsystem (states below
// 100, pitch from 1000, gearbox from 2000, ...), each condition of a
// component once as a warning and once as a stop; met mast and grid meter
// lists of their sensors. Which numbers a list uses is drawn from the
// demo's seed, so the two turbine lists differ.

#include "reportdb/demo/DemoEventLists.h"

namespace reportdb::demo {

namespace {

// Only for one turbine type.
enum Only : int { kBoth = 0, kOnlyA = 1, kOnlyB = 2 };

struct Part {
    const char* name;
    int category = 0;  // 0: the group's
    int only = kBoth;
};

struct Group {
    int base;  // first code number
    int category;
    // Each condition as a warning (the unit keeps producing) and as a stop.
    bool levels;
    // Responsible sources its stop codes may name (0: none).
    int sources[2];
    std::vector<Part> components;
    std::vector<Part> conditions;
};

struct State {
    int number;
    const char* title;
    int category;
    int sources[2];
};

constexpr int kGridOperator = 1;
constexpr int kOwnerSource = 2;
constexpr int kManufacturerSource = 3;
constexpr int kServiceProvider = 4;

const std::vector<State> kTurbineStates = {
    {0, "System OK", kNormalOperation, {}},
    {1, "Turbine ready", kNormalOperation, {}},
    {2, "Waiting for wind", kNormalOperation, {}},
    {3, "Starting up", kNormalOperation, {}},
    {4, "Generator connected to grid", kNormalOperation, {}},
    {5, "Running at rated power", kNormalOperation, {}},
    {6, "Idle, wind speed below cut-in", kNormalOperation, {}},
    {7, "Cut-out wind speed exceeded", kEnvironmental, {}},
    {8, "Manual stop at the turbine", kOwner, {kOwnerSource, kServiceProvider}},
    {9, "Remote stop from the park server", kOwner, {kOwnerSource, kServiceProvider}},
    {10, "Stop requested by the owner", kOwner, {}},
    {11, "Stop requested by the grid operator", kUtility, {kGridOperator, kOwnerSource}},
    {12, "Service mode", kScheduledMaintenance, {}},
    {13, "Emergency stop", kUnscheduledMaintenance, {kOwnerSource, kServiceProvider}},
    {14, "Turbine paused", kOwner, {}},
    {15, "Ice stop", kEnvironmental, {}},
    {16, "Storm stop", kEnvironmental, {}},
    {17, "Shadow flicker stop", kOwner, {}},
    {18, "Bat protection stop", kOwner, {}},
    {19, "Noise reduced operation", kNormalOperation, {}},
    {20, "Sector management stop", kOwner, {}},
    {21, "Low temperature stop", kEnvironmental, {}},
    {22, "High temperature derating", kEnvironmental, {}},
    {23, "External stop signal", kOwner, {kOwnerSource, kServiceProvider}},
    {24, "Grid loss", kUtility, {kGridOperator, kManufacturerSource}},
    {25, "Power limited by the park controller", kNormalOperation, {}},
    {26, "Restart after grid loss", kUtility, {}},
    {27, "Cable untwisting", kNormalOperation, {}},
    {28, "Self test running", kNormalOperation, {}},
    {29, "Lubrication cycle", kNormalOperation, {}},
    {30, "Remote reset", kOwner, {}},
    {31, "Local reset", kUnscheduledMaintenance, {}},
    {32, "Blade heating active", kEnvironmental, {}},
    {33, "Waiting for the grid to settle", kUtility, {}},
    {34, "Software update", kScheduledMaintenance, {}},
    {35, "Parameter set changed", kNormalOperation, {}},
};

const std::vector<Group> kTurbineGroups = {
    {1000,
     kManufacturer,
     true,
     {},
     {{"Pitch motor blade A"},
      {"Pitch motor blade B"},
      {"Pitch motor blade C"},
      {"Pitch drive blade A"},
      {"Pitch drive blade B"},
      {"Pitch drive blade C"},
      {"Pitch accumulator blade A", 0, kOnlyA},
      {"Pitch accumulator blade B", 0, kOnlyA},
      {"Pitch accumulator blade C", 0, kOnlyA},
      {"Pitch battery blade A", 0, kOnlyB},
      {"Pitch battery blade B", 0, kOnlyB},
      {"Pitch battery blade C", 0, kOnlyB},
      {"Pitch encoder blade A"},
      {"Pitch encoder blade B"},
      {"Pitch encoder blade C"},
      {"Pitch limit switch"}},
     {{"overtemperature"},
      {"overcurrent"},
      {"undervoltage"},
      {"feedback error"},
      {"position deviation"},
      {"timeout"},
      {"communication lost"},
      {"brake fault"},
      {"supply fault"},
      {"sensor fault"},
      {"test failed"},
      {"not ready"}}},
    {2000,
     kManufacturer,
     true,
     {},
     {{"Gearbox oil sump"},
      {"Gearbox oil pump"},
      {"Gearbox oil filter"},
      {"Gearbox oil cooler"},
      {"Gearbox bearing HSS"},
      {"Gearbox bearing IMS"},
      {"Gearbox planet stage"},
      {"Main bearing"},
      {"Main shaft"},
      {"Drive train vibration sensor"},
      {"Rotor lock"},
      {"Coupling"}},
     {{"temperature high"},
      {"temperature too high"},
      {"pressure low"},
      {"pressure high"},
      {"level low"},
      {"sensor fault"},
      {"vibration high"},
      {"overload"},
      {"clogged"},
      {"motor protection tripped"},
      {"heating fault"},
      {"particle count high"}}},
    {3000,
     kManufacturer,
     true,
     {},
     {{"Generator winding U"},
      {"Generator winding V"},
      {"Generator winding W"},
      {"Generator bearing DE"},
      {"Generator bearing NDE"},
      {"Generator slip ring", 0, kOnlyA},
      {"Generator cooling fan"},
      {"Generator speed sensor"},
      {"Generator encoder"},
      {"Generator heater"},
      {"Generator earth fault relay"}},
     {{"temperature high"},
      {"temperature too high"},
      {"overspeed"},
      {"speed deviation"},
      {"sensor fault"},
      {"overcurrent"},
      {"insulation fault"},
      {"vibration high"},
      {"fan fault"},
      {"brush wear"},
      {"not ready"}}},
    {4000,
     kManufacturer,
     true,
     {},
     {{"Converter grid side"},
      {"Converter rotor side", 0, kOnlyA},
      {"Converter machine side", 0, kOnlyB},
      {"Converter DC link"},
      {"Converter crowbar", 0, kOnlyA},
      {"Converter chopper", 0, kOnlyB},
      {"Converter IGBT module 1"},
      {"Converter IGBT module 2"},
      {"Converter IGBT module 3"},
      {"Converter cooling pump"},
      {"Converter coolant"},
      {"Converter main contactor"},
      {"Converter controller"},
      {"Converter line filter"}},
     {{"overtemperature"},
      {"overcurrent"},
      {"overvoltage"},
      {"undervoltage"},
      {"desaturation"},
      {"communication lost"},
      {"pressure low"},
      {"flow low"},
      {"contactor feedback error"},
      {"earth fault"},
      {"fan fault"},
      {"parameter error"},
      {"self test failed"}}},
    {5000,
     kManufacturer,
     true,
     {},
     {{"Yaw motor 1"},
      {"Yaw motor 2"},
      {"Yaw motor 3"},
      {"Yaw motor 4"},
      {"Yaw motor 5", 0, kOnlyB},
      {"Yaw motor 6", 0, kOnlyB},
      {"Yaw brake"},
      {"Yaw gear"},
      {"Yaw encoder"},
      {"Cable twist sensor"},
      {"Wind vane", kUnscheduledMaintenance},
      {"Yaw converter"}},
     {{"overtemperature"},
      {"overcurrent"},
      {"position error"},
      {"cable twisted"},
      {"misalignment"},
      {"pressure low"},
      {"sensor fault"},
      {"timeout"},
      {"motor protection tripped"},
      {"lubrication fault"}}},
    {6000,
     kManufacturer,
     true,
     {},
     {{"Hydraulic pump"},
      {"Hydraulic accumulator"},
      {"Hydraulic oil"},
      {"Hydraulic valve block"},
      {"Hydraulic filter"},
      {"Rotor brake"},
      {"Brake pad"},
      {"Brake caliper"},
      {"Hydraulic pressure sensor"}},
     {{"pressure low"},
      {"pressure high"},
      {"temperature high"},
      {"level low"},
      {"leakage"},
      {"sensor fault"},
      {"clogged"},
      {"wear limit reached"},
      {"timeout"}}},
    {7000,
     kUtility,
     true,
     {kGridOperator, kManufacturerSource},
     {{"Grid voltage L1"},
      {"Grid voltage L2"},
      {"Grid voltage L3"},
      {"Grid frequency"},
      {"Grid phase sequence"},
      {"Grid current"},
      {"Main circuit breaker", kManufacturer},
      {"Medium voltage switchgear"},
      {"Turbine transformer", kManufacturer},
      {"Grid protection relay"},
      {"Reactive power control"},
      {"External grid stop"}},
     {{"too high"},
      {"too low"},
      {"asymmetry"},
      {"dropout"},
      {"out of range"},
      {"trip"},
      {"fast disconnection"},
      {"reconnection delay"}}},
    {8000,
     kEnvironmental,
     true,
     {},
     {{"Ice detection"},
      {"Blade icing"},
      {"Wind speed"},
      {"Wind gust"},
      {"Ambient temperature"},
      {"Nacelle temperature"},
      {"Air density"},
      {"Anemometer", kUnscheduledMaintenance},
      {"Heated anemometer", kUnscheduledMaintenance},
      {"Storm control"}},
     {{"too high"},
      {"too low"},
      {"detected"},
      {"sensor fault", kManufacturer},
      {"plausibility fault"},
      {"heating fault", kManufacturer},
      {"limit exceeded"}}},
    {8500,
     kLightning,
     true,
     {},
     {{"Lightning strike blade A"},
      {"Lightning strike blade B"},
      {"Lightning strike blade C"},
      {"Lightning strike nacelle"},
      {"Lightning counter"},
      {"Surge arrester"}},
     {{"detected"}, {"sensor fault", kManufacturer}, {"inspection required"}}},
    {9000,
     kScheduledMaintenance,
     false,
     {},
     {{"Service switch nacelle"},
      {"Service switch tower base"},
      {"Maintenance mode"},
      {"Scheduled inspection"},
      {"Oil change"},
      {"Blade inspection"},
      {"Service crane"},
      {"Service lift", kUnscheduledMaintenance}},
     {{"active"}, {"requested"}, {"finished"}, {"key switch on"}, {"lockout"}, {"test run"}}},
    {9500,
     kManufacturer,
     false,
     {},
     {{"Safety chain"},
      {"Emergency stop tower base", kUnscheduledMaintenance},
      {"Emergency stop nacelle", kUnscheduledMaintenance},
      {"Emergency stop hub", kUnscheduledMaintenance},
      {"Overspeed guard"},
      {"Vibration switch"},
      {"Cable twist switch"},
      {"Safety controller"},
      {"Smoke detector"},
      {"Arc detector"}},
     {{"tripped"}, {"open"}, {"test failed"}, {"feedback error"}, {"reset required"}}},
    {10000,
     kManufacturer,
     true,
     {},
     {{"Main controller"},
      {"Hub controller"},
      {"Top controller"},
      {"Ground controller"},
      {"Fibre link nacelle"},
      {"Fibre link tower"},
      {"Park network", kOwner},
      {"SCADA connection", kOwner},
      {"Remote access", kOwner},
      {"Controller clock"},
      {"Controller backup battery"},
      {"I/O module"}},
     {{"watchdog"},
      {"communication lost"},
      {"timeout"},
      {"checksum error"},
      {"restart"},
      {"memory low"},
      {"parameter error"},
      {"temperature high"}}},
    {11000,
     kManufacturer,
     true,
     {},
     {{"Nacelle fan"},
      {"Nacelle heater"},
      {"Cooling water pump"},
      {"Cooling water"},
      {"Cooler fan 1"},
      {"Cooler fan 2"},
      {"Top box heater"},
      {"Cabinet temperature"},
      {"Nacelle hatch", kOwner},
      {"Nacelle crane"},
      {"Dehumidifier"}},
     {{"temperature high"},
      {"temperature low"},
      {"pressure low"},
      {"flow low"},
      {"motor protection tripped"},
      {"open"},
      {"sensor fault"}}},
    {12000,
     kManufacturer,
     true,
     {},
     {{"Blade A"},
      {"Blade B"},
      {"Blade C"},
      {"Hub"},
      {"Rotor speed sensor 1"},
      {"Rotor speed sensor 2"},
      {"Tower vibration"},
      {"Tower door", kOwner},
      {"Tower base cabinet"},
      {"Aviation light", kOwner},
      {"Shadow detection", kOwner}},
     {{"imbalance"}, {"vibration high"}, {"load high"}, {"sensor fault"}, {"open"}, {"deviation"}}},
};

const std::vector<State> kMetMastStates = {
    {0, "System OK", kNormalOperation, {}},
    {1, "Logger started", kNormalOperation, {}},
    {2, "Maintenance mode", kScheduledMaintenance, {}},
    {3, "Power saving mode", kNormalOperation, {}},
    {4, "Manual stop", kOwner, {}},
};

const std::vector<Group> kMetMastGroups = {
    {100,
     kUnscheduledMaintenance,
     false,
     {},
     {{"Anemometer 80 m"},
      {"Anemometer 60 m"},
      {"Anemometer 40 m"},
      {"Wind vane 78 m"},
      {"Wind vane 38 m"},
      {"Temperature sensor 78 m"},
      {"Temperature sensor 10 m"},
      {"Humidity sensor"},
      {"Pressure sensor"},
      {"Rain sensor"},
      {"Data logger"},
      {"Solar panel"},
      {"Battery"},
      {"Modem", kOwner},
      {"Obstruction light", kOwner}},
     {{"no signal"},
      {"value frozen"},
      {"out of range"},
      {"icing suspected", kEnvironmental},
      {"sensor fault"},
      {"calibration due", kScheduledMaintenance},
      {"power low"},
      {"communication lost"},
      {"restart"},
      {"heating fault"}}},
};

const std::vector<State> kGridMeterStates = {
    {0, "System OK", kNormalOperation, {}},
    {1, "Meter started", kNormalOperation, {}},
    {2, "Maintenance mode", kScheduledMaintenance, {}},
    {3, "Grid operator switching", kUtility, {kGridOperator, kOwnerSource}},
    {4, "Park disconnected", kUtility, {kGridOperator, kOwnerSource}},
};

const std::vector<Group> kGridMeterGroups = {
    {100,
     kUtility,
     false,
     {kGridOperator, kOwnerSource},
     {{"Voltage L1"},
      {"Voltage L2"},
      {"Voltage L3"},
      {"Frequency"},
      {"Active power"},
      {"Reactive power"},
      {"Power factor"},
      {"Circuit breaker"},
      {"Protection relay"},
      {"Energy meter", kUnscheduledMaintenance},
      {"Current transformer", kUnscheduledMaintenance},
      {"Voltage transformer", kUnscheduledMaintenance},
      {"Meter clock", kUnscheduledMaintenance},
      {"Meter modem", kOwner}},
     {{"too high"},
      {"too low"},
      {"out of range"},
      {"no signal"},
      {"tripped"},
      {"communication lost", kOwner},
      {"sensor fault", kUnscheduledMaintenance},
      {"plausibility fault"},
      {"restart"}}},
};

struct ListPlan {
    DemoUnitKind kind;
    const char* title;
    const char* fileName;
    const std::vector<State>* states;
    const std::vector<Group>* groups;
    int only;           // which turbine type's parts (kBoth for stations)
    double fill;        // share of the possible codes the list uses
    double withSource;  // share of the stop codes of a group with sources that name them
};

void addCode(DemoEventList& list, int number, QString title, int category, const int sources[2], bool named) {
    DemoEventCode code{number, std::move(title), category, {}};
    if (named && sources[0] != 0)
        for (int i = 0; i < 2; ++i) code.sourceNumbers.push_back(sources[i]);
    list.codes.push_back(std::move(code));
}

DemoEventList buildList(const ListPlan& plan, Random& random) {
    DemoEventList list{plan.kind, QString::fromLatin1(plan.title), QString::fromLatin1(plan.fileName), {}};
    for (const State& state : *plan.states)
        addCode(list, state.number, QString::fromLatin1(state.title), state.category, state.sources, true);
    for (const Group& group : *plan.groups) {
        int number = group.base;
        for (const Part& component : group.components) {
            if (component.only != kBoth && component.only != plan.only) continue;
            for (const Part& condition : group.conditions) {
                const int category = condition.category   ? condition.category
                                     : component.category ? component.category
                                                          : group.category;
                const QString title = QStringLiteral("%1: %2").arg(QLatin1String(component.name),
                                                                   QLatin1String(condition.name));
                if (!group.levels) {
                    if (random.chance(plan.fill))
                        addCode(list, number, title, category, group.sources, random.chance(plan.withSource));
                    ++number;
                    continue;
                }
                // A warning keeps the unit producing.
                if (random.chance(plan.fill))
                    addCode(list, number, title + QStringLiteral(" (warning)"), kNormalOperation,
                            group.sources, false);
                if (random.chance(plan.fill))
                    addCode(list, number + 1, title + QStringLiteral(" (stop)"), category, group.sources,
                            random.chance(plan.withSource));
                number += 2;
            }
        }
    }
    return list;
}

}  // namespace

std::vector<DemoEventList> demoEventLists(const Builder& builder) {
    const ListPlan plans[] = {
        {DemoUnitKind::TypeA, "WT 2300/82 event list", "WT2300.evl", &kTurbineStates, &kTurbineGroups, kOnlyA,
         0.95, 0.6},
        {DemoUnitKind::TypeB, "WT 3000/101 event list", "WT3000.evl", &kTurbineStates, &kTurbineGroups,
         kOnlyB, 0.71, 0.6},
        {DemoUnitKind::MetMast, "Met mast event list", "MetMast.evl", &kMetMastStates, &kMetMastGroups, kBoth,
         0.95, 0.0},
        {DemoUnitKind::GridMeter, "Grid meter event list", "GridMeter.evl", &kGridMeterStates,
         &kGridMeterGroups, kBoth, 0.9, 0.05},
    };
    Random random = builder.randomFor(0x6576656e74);  // "event"
    std::vector<DemoEventList> lists;
    for (const ListPlan& plan : plans) lists.push_back(buildList(plan, random));
    return lists;
}

std::vector<DemoResponsibleSource> demoResponsibleSources() {
    return {
        {kGridOperator, "Grid operator", kUtility},
        {kOwnerSource, "Owner", kOwner},
        {kManufacturerSource, "Manufacturer", kManufacturer},
        {kServiceProvider, "Service provider", kUnscheduledMaintenance},
    };
}

std::vector<DemoReductionMode> demoReductionModes() {
    return {
        {0, "Normal operation", kNormalOperation},
        {10, "Noise mode 1 (104.5 dB)", kOwner},
        {11, "Noise mode 2 (103.5 dB)", kOwner},
        {12, "Noise mode 3 (102.5 dB)", kOwner},
        {13, "Noise mode 4 (101.5 dB)", kOwner},
        {14, "Noise mode 5 (100.5 dB)", kOwner},
        {15, "Noise mode 6 (99.5 dB)", kOwner},
        {16, "Night noise mode", kOwner},
        {17, "Weekend noise mode", kOwner},
        {20, "Grid operator curtailment 60 %", kUtility},
        {21, "Grid operator curtailment 30 %", kUtility},
        {22, "Grid operator curtailment 0 %", kUtility},
        {23, "Grid operator ramp rate limit", kUtility},
        {24, "Reactive power priority", kUtility},
        {25, "Frequency response", kUtility},
        {26, "Voltage support", kUtility},
        {30, "Shadow flicker shutdown", kOwner},
        {31, "Shadow flicker calendar stop", kOwner},
        {32, "Bat protection curtailment", kOwner},
        {33, "Bat protection night stop", kOwner},
        {34, "Bird detection stop", kOwner},
        {40, "Ice detection derating", kEnvironmental},
        {41, "Blade heating operation", kEnvironmental},
        {42, "Ice throw protection stop", kEnvironmental},
        {43, "Storm control stage 1", kEnvironmental},
        {44, "Storm control stage 2", kEnvironmental},
        {45, "Storm control stage 3", kEnvironmental},
        {50, "Sector management north", kOwner},
        {51, "Sector management north-east", kOwner},
        {52, "Sector management south-west", kOwner},
        {53, "Wake sector 1", kOwner},
        {54, "Wake sector 2", kOwner},
        {55, "Wake sector 3", kOwner},
        {60, "Generator temperature derating", kManufacturer},
        {61, "Converter temperature derating", kManufacturer},
        {62, "Gearbox temperature derating", kManufacturer},
        {63, "Ambient temperature derating", kEnvironmental},
        {70, "Park controller power limit", kOwner},
        {71, "Marketer curtailment at negative prices", kOwner},
        {72, "Load reduction at high turbulence", kEnvironmental},
        {80, "Service derating", kScheduledMaintenance},
        {81, "Component fault derating", kManufacturer},
        {82, "Test operation", kUnscheduledMaintenance},
    };
}

}  // namespace reportdb::demo
