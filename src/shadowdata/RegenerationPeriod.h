#pragma once
// The period of a shadow data regeneration and the statement that starts it,
// worked out from what the period dialog holds; no widgets here.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

namespace shadowdata {

// The first and last time stamp of the raw data present in the database.
struct DataLimits {
    QDateTime minimum;  // MinPcTimeStamp
    QDateTime maximum;  // MaxPcTimeStamp
};

// What the user chose in the period dialog, with the limits it read.
struct PeriodChoice {
    bool wholePeriod = false;
    QDate start;  // start picker
    QDate stop;   // stop picker
    std::optional<DataLimits> limits;
};

// The days sent to the database: samples after `from` 00:10:00 up to `to`
// 00:00:00, i.e. the days from .. to - 1.
struct RegenerationPeriod {
    QDate from;
    QDate to;
    bool wholePeriod = false;
};

// The whole period runs from the data minimum to the day after the maximum;
// otherwise from the start picker to the day after the stop picker. Empty
// for a whole period when the database returned no limits: there is nothing
// to send then.
std::optional<RegenerationPeriod> periodFromChoice(const PeriodChoice& choice);

// "yyyy-MM-dd 00:10:00" and "yyyy-MM-dd 00:00:00".
QString fromText(const QDate& from);
QString toText(const QDate& to);
// Dates as the dialogs and period texts show them.
QString dateText(const QDate& date);

// The texts the period text is built from (numbered texts of the profile file).
struct PeriodTexts {
    QString regenerate;   // "Regenerate shadow data"
    QString forPeriod;    // "for the period"
    QString wholePeriod;  // "Regenerate shadow data for the whole period"
};

// Whole period: wholePeriod + " [" + from + " - " + to + "]". A chosen
// period names the days the user picked: regenerate + " " + forPeriod +
// " [" + start + " - " + stop + "]".
QString periodText(const RegenerationPeriod& period, const PeriodTexts& texts);

// Databases from this version run the regeneration as a database job.
inline constexpr char kJobDatabaseVersion[] = "2.30.0.0";

// Who starts the regeneration, written into the job statement.
struct StartIdentity {
    QString databaseName;  // the session's online catalog
    QString loginName;     // the online connection's user name
};

// The job statement on job databases, the direct regeneration otherwise.
// Names are quoted for the SQL literal they stand in.
QString startStatement(bool asJob, const StartIdentity& identity, int profileId,
                       const RegenerationPeriod& period);

// The command time-out of the start statement, in seconds.
inline constexpr int kStartTimeoutSeconds = 99999;

}  // namespace shadowdata
