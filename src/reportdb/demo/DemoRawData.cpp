// Raw data: wind, production and event samples of every unit, from one
// park-wide wind series (season, time of day, weather that persists) with
// per-unit deviations, turbine faults, scheduled services, icing in winter
// and grid outages that stop the whole park.

#include "reportdb/SqliteUtil.h"
#include "reportdb/demo/DemoBuilder.h"

#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace reportdb::demo {

namespace {

// Event codes of the samples (0: the unit runs or waits for wind).
constexpr int kGeneratorTemperature = 101;
constexpr int kPitchFault = 150;
constexpr int kConverterFault = 204;
constexpr int kGridOutage = 205;
constexpr int kIcing = 312;
constexpr int kService = 400;

constexpr double kCutIn = 3.0;
constexpr double kCutOut = 25.0;
constexpr double kGridEfficiency = 0.985;

double round2(double value) { return std::round(value * 100.0) / 100.0; }

class Inserter {
public:
    explicit Inserter(sqlite3* db) : db_(db) {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db,
                               "INSERT INTO TRawData (ParkUnitId, PcTimeStamp, WindSpeed, ProductionKWh, "
                               "EventCode) VALUES (?, ?, ?, ?, ?)",
                               -1, &raw, nullptr) != SQLITE_OK)
            throw SqlError(sqlite::errorMessage(db));
        statement_ = sqlite::Statement(raw);
    }

    void add(int unit, const QByteArray& stamp, const double* wind, const double* production, int event) {
        sqlite3_stmt* s = statement_.get();
        sqlite3_bind_int(s, 1, unit);
        sqlite3_bind_text(s, 2, stamp.constData(), int(stamp.size()), SQLITE_STATIC);
        if (wind)
            sqlite3_bind_double(s, 3, *wind);
        else
            sqlite3_bind_null(s, 3);
        if (production)
            sqlite3_bind_double(s, 4, *production);
        else
            sqlite3_bind_null(s, 4);
        sqlite3_bind_int(s, 5, event);
        if (sqlite3_step(s) != SQLITE_DONE) throw SqlError(sqlite::errorMessage(db_));
        sqlite3_reset(s);
    }

private:
    sqlite3* db_;
    sqlite::Statement statement_;
};

double power(double wind, int capacity, double rated) {
    if (wind < kCutIn || wind >= kCutOut) return 0.0;
    if (wind >= rated) return capacity;
    const double share =
        (std::pow(wind, 3) - std::pow(kCutIn, 3)) / (std::pow(rated, 3) - std::pow(kCutIn, 3));
    return capacity * std::clamp(share, 0.0, 1.0);
}

}  // namespace

void addRawData(Builder& b) {
    Random random = b.randomFor(2);
    const int perDay = 24 * 60 / b.options.sampleMinutes;
    const int count = b.options.rawDataDays * perDay;
    const size_t samples = static_cast<size_t>(count);
    const double hours = b.options.sampleMinutes / 60.0;
    const QDateTime first = lastDataDay().addDays(1 - b.options.rawDataDays).startOfDay();

    // Sample k ends at first + (k + 1) intervals.
    std::vector<QByteArray> stamps(samples);
    std::vector<int> month(samples);
    std::vector<int> hourOfDay(samples);
    std::vector<int> dayOfYear(samples);
    for (int k = 0; k < count; ++k) {
        const QDateTime end = first.addSecs(qint64(k + 1) * b.options.sampleMinutes * 60);
        stamps[size_t(k)] = sqlite::dateTimeText(end).toLatin1();
        const QDateTime begin = end.addSecs(-1);
        month[size_t(k)] = begin.date().month();
        hourOfDay[size_t(k)] = begin.time().hour();
        dayOfYear[size_t(k)] = begin.date().dayOfYear();
    }

    // Park wind: stronger in winter and in the afternoon; weather anomalies
    // last for a day or two.
    const double persistence = std::pow(0.97, hours);
    const double spread = 2.4 * std::sqrt(1.0 - persistence * persistence);
    std::vector<double> parkWind(samples);
    double anomaly = 0.0;
    for (int k = 0; k < count; ++k) {
        anomaly = persistence * anomaly + spread * random.normal();
        const double season = 1.4 * std::cos(2.0 * std::numbers::pi * (dayOfYear[size_t(k)] - 15) / 365.0);
        const double daily = 0.6 * std::sin(2.0 * std::numbers::pi * (hourOfDay[size_t(k)] - 9) / 24.0);
        parkWind[size_t(k)] = std::max(0.0, 7.2 + season + daily + anomaly);
    }
    // Grid outages stop every unit.
    std::vector<bool> gridOut(samples, false);
    for (int k = 0; k < count; ++k) {
        if (!random.chance(0.00012 * hours)) continue;
        const int length = int(std::ceil((1 + random.below(6)) / hours));
        for (int j = k; j < std::min(count, k + length); ++j) gridOut[size_t(j)] = true;
    }

    Inserter insert(b.db);
    std::vector<double> gridEnergy(samples, 0.0);
    for (size_t t = 0; t < b.turbineIds.size(); ++t) {
        const Builder::Unit& unit = b.unit(b.turbineIds[t]);
        const double rated = unit.typeId == 1 ? 12.5 : 11.5;
        const double exposure = 1.0 + 0.06 * (random.uniform() - 0.5) - 0.01 * unit.row;
        // Services twice a year, on days that differ from turbine to turbine.
        const int serviceDay = 40 + int(t * 5) % 120;
        int faultLeft = 0;
        int faultCode = 0;
        for (int k = 0; k < count; ++k) {
            const size_t i = size_t(k);
            double wind = std::max(0.0, parkWind[i] * exposure + 0.5 * random.normal());
            int event = 0;
            if (faultLeft > 0) {
                --faultLeft;
                event = faultCode;
            } else if (random.chance(0.0015 * hours)) {
                const bool winter = month[i] <= 2 || month[i] == 12;
                if (winter && random.chance(0.4)) {
                    faultCode = kIcing;
                } else {
                    const int codes[] = {kGeneratorTemperature, kPitchFault, kConverterFault};
                    faultCode = codes[random.below(3)];
                }
                faultLeft = int(std::ceil((2 + random.below(46)) / hours)) - 1;
                event = faultCode;
            }
            const bool service = (dayOfYear[i] == serviceDay || dayOfYear[i] == serviceDay + 182) &&
                                 hourOfDay[i] >= 8 && hourOfDay[i] < 16;
            if (service) event = kService;
            if (gridOut[i]) event = kGridOutage;
            const double energy = event == 0 ? round2(power(wind, unit.capacity, rated) * hours) : 0.0;
            wind = round2(wind);
            gridEnergy[i] += energy;
            insert.add(unit.id, stamps[i], &wind, &energy, event);
        }
    }
    for (int mast : b.metMastIds) {
        const double exposure = 1.0 + 0.04 * (random.uniform() - 0.5);
        for (int k = 0; k < count; ++k) {
            const double wind = round2(std::max(0.0, parkWind[size_t(k)] * exposure + 0.3 * random.normal()));
            insert.add(mast, stamps[size_t(k)], &wind, nullptr, 0);
        }
    }
    for (int k = 0; k < count; ++k) {
        const double energy = round2(gridEnergy[size_t(k)] * kGridEfficiency);
        insert.add(b.gridPointId, stamps[size_t(k)], nullptr, &energy, gridOut[size_t(k)] ? kGridOutage : 0);
    }

    b.context.exec(
        QStringLiteral("INSERT INTO TRawDataTimeLimits (ParkUnitId, MinPcTimeStamp, MaxPcTimeStamp) "
                       "SELECT ParkUnitId, min(PcTimeStamp), max(PcTimeStamp) FROM TRawData "
                       "GROUP BY ParkUnitId"));
}

}  // namespace reportdb::demo
