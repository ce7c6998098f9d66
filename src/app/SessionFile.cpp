#include "app/SessionFile.h"

#include "app/SessionScrambling.h"

#include <QJsonArray>
#include <QSaveFile>
#include <QXmlStreamWriter>
#include <cmath>
#include <limits>

namespace app {

namespace {

template <typename T>
struct TextField {
    const char* name;
    QString T::*member;
};
template <typename T>
struct NumberField {
    const char* name;
    int T::*member;
};

using D = SessionDescription;
using U = SessionParkUnit;

constexpr NumberField<D> kDescriptionNumbers[] = {{"SessionId", &D::SessionId},
                                                  {"UserId", &D::UserId},
                                                  {"TraceLevel", &D::TraceLevel},
                                                  {"UserTypeInfo", &D::UserTypeInfo}};
constexpr TextField<D> kDescriptionTexts[] = {{"UserInit", &D::UserInit},
                                              {"Language", &D::Language},
                                              {"Phonebook", &D::Phonebook},
                                              {"ReportLogo1", &D::ReportLogo1},
                                              {"ReportLogo2", &D::ReportLogo2},
                                              {"HelpValue", &D::HelpValue},
                                              {"ExtraHelpValue", &D::ExtraHelpValue},
                                              {"DBVersion", &D::DBVersion},
                                              {"Online", &D::Online},
                                              {"FeatureCode", &D::FeatureCode},
                                              {"UserType", &D::UserType},
                                              {"DataCode", &D::DataCode},
                                              {"CompleteDataCode", &D::CompleteDataCode},
                                              {"ProgramFilesDir", &D::ProgramFilesDir},
                                              {"BaseDir", &D::BaseDir},
                                              {"DataDir", &D::DataDir},
                                              {"PhoneDir", &D::PhoneDir},
                                              {"SysDir", &D::SysDir},
                                              {"PictureDir", &D::PictureDir},
                                              {"ProjectDir", &D::ProjectDir},
                                              {"ParkName", &D::ParkName},
                                              {"ScenarioActive", &D::ScenarioActive},
                                              {"OnlineConfiguration", &D::OnlineConfiguration},
                                              {"OfflineConfiguration", &D::OfflineConfiguration}};

constexpr NumberField<U> kUnitNumbers[] = {{"SParkUnitId", &U::SParkUnitId},
                                           {"CommunicationLabel", &U::CommunicationLabel},
                                           {"UnitTypeId", &U::UnitTypeId},
                                           {"UnitTypeCapacity", &U::UnitTypeCapacity},
                                           {"EventListId", &U::EventListId}};
constexpr TextField<U> kUnitTexts[] = {{"ParkUnitTitle", &U::ParkUnitTitle},
                                       {"ParkUnitSerialNumber", &U::ParkUnitSerialNumber},
                                       {"UnitTypeTitle", &U::UnitTypeTitle},
                                       {"DeviceTitle", &U::DeviceTitle},
                                       {"EventListFileName", &U::EventListFileName}};

// ---- JSON in ----

// An integral JSON number or decimal text within 32 bits.
bool jsonInt(const QJsonValue& v, int* out) {
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (std::trunc(d) != d || d < std::numeric_limits<int>::min() || d > std::numeric_limits<int>::max())
            return false;
        *out = int(d);
        return true;
    }
    if (v.isString()) {
        bool ok = false;
        *out = v.toString().toInt(&ok);
        return ok;
    }
    return false;
}

void problem(QStringList* problems, const QString& text) {
    if (problems) problems->append(text);
}

// Applies one key of a plain field; false when the key is not a plain field.
template <typename T, std::size_t NN, std::size_t NT>
bool applyField(T& out, const QString& key, const QJsonValue& value, const NumberField<T> (&numbers)[NN],
                const TextField<T> (&texts)[NT], const QString& where, QStringList* problems) {
    for (const auto& f : numbers) {
        if (key != QLatin1StringView(f.name)) continue;
        if (!jsonInt(value, &(out.*f.member)))
            problem(problems, where + key + QStringLiteral(": not a 32-bit integer"));
        return true;
    }
    for (const auto& f : texts) {
        if (key != QLatin1StringView(f.name)) continue;
        if (value.isString())
            out.*f.member = value.toString();
        else
            problem(problems, where + key + QStringLiteral(": not a text"));
        return true;
    }
    return false;
}

SessionParkUnit unitFromJson(const QJsonObject& json, const QString& where, QStringList* problems) {
    SessionParkUnit unit;
    for (auto it = json.begin(); it != json.end(); ++it) {
        if (!applyField(unit, it.key(), it.value(), kUnitNumbers, kUnitTexts, where, problems))
            problem(problems, where + it.key() + QStringLiteral(": unknown key"));
    }
    return unit;
}

SessionScenario scenarioFromJson(const QJsonObject& json, const QString& where, QStringList* problems) {
    SessionScenario scenario;
    for (auto it = json.begin(); it != json.end(); ++it) {
        const QString& key = it.key();
        if (key == u"SScenarioId") {
            if (!jsonInt(it.value(), &scenario.SScenarioId))
                problem(problems, where + key + QStringLiteral(": not a 32-bit integer"));
        } else if (key == u"ScenarioName") {
            if (it.value().isString())
                scenario.ScenarioName = it.value().toString();
            else
                problem(problems, where + key + QStringLiteral(": not a text"));
        } else if (key == u"ParkUnitIds" && it.value().isArray()) {
            const QJsonArray ids = it.value().toArray();
            for (qsizetype i = 0; i < ids.size(); ++i) {
                int id = 0;
                if (jsonInt(ids.at(i), &id))
                    scenario.ParkUnitIds.push_back(id);
                else
                    problem(problems, where + QStringLiteral("ParkUnitIds[%1]: not a 32-bit integer").arg(i));
            }
        } else {
            problem(problems, where + key + QStringLiteral(": unknown key or not an array"));
        }
    }
    return scenario;
}

// ---- XML out ----

// The seed character i of a seed text, zero beyond its end.
char seedAt(const QByteArray& seeds, int i) { return i < seeds.size() ? seeds[i] : '\0'; }

// The scrambled attribute for a plain text, or an error when the reader
// could not recover the text.
bool scrambled(const char* name, const QString& plain, char seed, QString* out, QString* error) {
    const QByteArray bytes = plain.toLatin1();
    QString why;
    if (QString::fromLatin1(bytes) != plain)
        why = QStringLiteral("holds characters outside Latin-1");
    else if (bytes.contains('\0'))
        why = QStringLiteral("holds a zero character");
    else if (bytes.size() > kMaxUnscrambledBytes)
        why = QStringLiteral("is longer than %1 characters").arg(kMaxUnscrambledBytes);
    if (!why.isEmpty()) {
        if (error) *error = QLatin1StringView(name) + u' ' + why;
        return false;
    }
    *out = scrambleBytes(bytes, seed);
    return true;
}

struct ScrambledAttributes {
    QString FeatureCode, UserType, UserTypeInfo, DataCode, CompleteDataCode, Online, Offline;
};

// The reasons the tool would refuse a session, or nothing.
QString refusal(const SessionDescription& d) {
    if (d.SessionId <= 0) return QStringLiteral("SessionId must be greater than 0");
    if (characterCount(d.HelpValue) < kHelpValueCharacters)
        return QStringLiteral("HelpValue needs at least %1 characters").arg(kHelpValueCharacters);
    return {};
}

bool scrambleAll(const SessionDescription& d, ScrambledAttributes& out, QString* error) {
    // The seeds exactly as the reader takes them.
    const QByteArray help = seedBytes(d.HelpValue, kHelpValueCharacters);
    // The reader uses the extra seeds only when ExtraHelpValue has two characters.
    const QByteArray extra = characterCount(d.ExtraHelpValue) >= kExtraHelpValueCharacters
                                 ? seedBytes(d.ExtraHelpValue, kExtraHelpValueCharacters)
                                 : QByteArray();
    return scrambled("FeatureCode", d.FeatureCode, seedAt(help, 1), &out.FeatureCode, error) &&
           scrambled("UserType", d.UserType, seedAt(help, 1), &out.UserType, error) &&
           scrambled("UserTypeInfo", QString::number(d.UserTypeInfo), seedAt(extra, 0), &out.UserTypeInfo,
                     error) &&
           scrambled("DataCode", d.DataCode, seedAt(extra, 1), &out.DataCode, error) &&
           scrambled("CompleteDataCode", d.CompleteDataCode, seedAt(extra, 1), &out.CompleteDataCode,
                     error) &&
           scrambled("OnlineConfiguration", d.OnlineConfiguration, seedAt(help, 2), &out.Online, error) &&
           scrambled("OfflineConfiguration", d.OfflineConfiguration, seedAt(help, 0), &out.Offline, error);
}

void writeSession(QXmlStreamWriter& w, const SessionDescription& d, const ScrambledAttributes& s) {
    w.writeStartElement(QStringLiteral("Session"));
    w.writeAttribute(QStringLiteral("SessionId"), QString::number(d.SessionId));
    w.writeAttribute(QStringLiteral("UserId"), QString::number(d.UserId));
    w.writeAttribute(QStringLiteral("UserInit"), d.UserInit);
    w.writeAttribute(QStringLiteral("Language"), d.Language);
    w.writeAttribute(QStringLiteral("Phonebook"), d.Phonebook);
    w.writeAttribute(QStringLiteral("ReportLogo1"), d.ReportLogo1);
    w.writeAttribute(QStringLiteral("ReportLogo2"), d.ReportLogo2);
    w.writeAttribute(QStringLiteral("HelpValue"), d.HelpValue);
    w.writeAttribute(QStringLiteral("ExtraHelpValue"), d.ExtraHelpValue);
    w.writeAttribute(QStringLiteral("DBVersion"), d.DBVersion);
    w.writeAttribute(QStringLiteral("Online"), d.Online);
    w.writeAttribute(QStringLiteral("TraceLevel"), QString::number(d.TraceLevel));
    w.writeAttribute(QStringLiteral("FeatureCode"), s.FeatureCode);
    w.writeAttribute(QStringLiteral("UserType"), s.UserType);
    w.writeAttribute(QStringLiteral("UserTypeInfo"), s.UserTypeInfo);
    w.writeAttribute(QStringLiteral("DataCode"), s.DataCode);
    w.writeAttribute(QStringLiteral("CompleteDataCode"), s.CompleteDataCode);
    w.writeAttribute(QStringLiteral("ProgramFilesDir"), d.ProgramFilesDir);
    w.writeAttribute(QStringLiteral("BaseDir"), d.BaseDir);
    w.writeAttribute(QStringLiteral("DataDir"), d.DataDir);
    w.writeAttribute(QStringLiteral("PhoneDir"), d.PhoneDir);
    w.writeAttribute(QStringLiteral("SysDir"), d.SysDir);
    w.writeAttribute(QStringLiteral("PictureDir"), d.PictureDir);
    w.writeAttribute(QStringLiteral("ProjectDir"), d.ProjectDir);

    w.writeStartElement(QStringLiteral("Park"));
    w.writeAttribute(QStringLiteral("ParkName"), d.ParkName);
    for (const SessionParkUnit& u : d.ParkUnits) {
        w.writeEmptyElement(QStringLiteral("ParkUnit"));
        for (const auto& f : kUnitNumbers)
            w.writeAttribute(QLatin1StringView(f.name), QString::number(u.*f.member));
        for (const auto& f : kUnitTexts) w.writeAttribute(QLatin1StringView(f.name), u.*f.member);
    }
    w.writeEndElement();

    w.writeStartElement(QStringLiteral("UserScenarios"));
    w.writeAttribute(QStringLiteral("ScenarioActive"), d.ScenarioActive);
    for (const SessionScenario& sc : d.Scenarios) {
        w.writeStartElement(QStringLiteral("Scenario"));
        w.writeAttribute(QStringLiteral("SScenarioId"), QString::number(sc.SScenarioId));
        w.writeAttribute(QStringLiteral("ScenarioName"), sc.ScenarioName);
        for (const int id : sc.ParkUnitIds) {
            w.writeEmptyElement(QStringLiteral("ParkUnit"));
            w.writeAttribute(QStringLiteral("SParkUnitId"), QString::number(id));
        }
        w.writeEndElement();
    }
    w.writeEndElement();

    w.writeEmptyElement(QStringLiteral("DatabaseOnline"));
    w.writeAttribute(QStringLiteral("Configuration"), s.Online);
    w.writeEmptyElement(QStringLiteral("DatabaseOffline"));
    w.writeAttribute(QStringLiteral("Configuration"), s.Offline);
    w.writeEndElement();
}

QJsonObject connectionToJson(const ConnectionParts& c) {
    return {{QStringLiteral("DataSource"), c.DataSource},
            {QStringLiteral("Catalog"), c.Catalog},
            {QStringLiteral("UserName"), c.UserName},
            {QStringLiteral("Password"), c.Password}};
}

QJsonArray intsToJson(const std::vector<int>& values) {
    QJsonArray out;
    for (const int v : values) out.append(v);
    return out;
}

}  // namespace

bool writeSessionFile(const QString& path, const QList<SessionDescription>& sessions, QString* error) {
    std::vector<ScrambledAttributes> scrambledSessions(std::size_t(sessions.size()));
    for (qsizetype i = 0; i < sessions.size(); ++i) {
        QString why = refusal(sessions[i]);
        if (!why.isEmpty() || !scrambleAll(sessions[i], scrambledSessions[std::size_t(i)], &why)) {
            if (error) *error = QStringLiteral("Session %1: %2").arg(sessions[i].SessionId).arg(why);
            return false;
        }
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    QXmlStreamWriter w(&file);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeStartElement(QStringLiteral("Sessions"));
    for (qsizetype i = 0; i < sessions.size(); ++i)
        writeSession(w, sessions[i], scrambledSessions[std::size_t(i)]);
    w.writeEndElement();
    w.writeEndDocument();
    if (!w.hasError() && file.pos() > kMaxSessionFileBytes) {
        file.cancelWriting();
        if (error) *error = QStringLiteral("The file would be larger than the tool reads (16 MB)");
        return false;
    }
    if (w.hasError() || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

SessionDescription sessionDescriptionFromJson(const QJsonObject& json, QStringList* problems) {
    SessionDescription d;
    for (auto it = json.begin(); it != json.end(); ++it) {
        const QString& key = it.key();
        if (applyField(d, key, it.value(), kDescriptionNumbers, kDescriptionTexts, QString(), problems))
            continue;
        if (key == u"ParkUnits" && it.value().isArray()) {
            const QJsonArray units = it.value().toArray();
            for (qsizetype i = 0; i < units.size(); ++i) {
                const QString where = QStringLiteral("ParkUnits[%1].").arg(i);
                if (units.at(i).isObject())
                    d.ParkUnits.push_back(unitFromJson(units.at(i).toObject(), where, problems));
                else
                    problem(problems, where.chopped(1) + QStringLiteral(": not an object"));
            }
        } else if (key == u"Scenarios" && it.value().isArray()) {
            const QJsonArray scenarios = it.value().toArray();
            for (qsizetype i = 0; i < scenarios.size(); ++i) {
                const QString where = QStringLiteral("Scenarios[%1].").arg(i);
                if (scenarios.at(i).isObject())
                    d.Scenarios.push_back(scenarioFromJson(scenarios.at(i).toObject(), where, problems));
                else
                    problem(problems, where.chopped(1) + QStringLiteral(": not an object"));
            }
        } else {
            problem(problems, key + QStringLiteral(": unknown key or not an array"));
        }
    }
    return d;
}

QJsonObject sessionToJson(const SessionData& s) {
    QJsonArray units;
    for (const SessionParkUnit& u : s.ParkUnits) {
        QJsonObject o;
        for (const auto& f : kUnitNumbers) o.insert(QLatin1StringView(f.name), u.*f.member);
        for (const auto& f : kUnitTexts) o.insert(QLatin1StringView(f.name), u.*f.member);
        units.append(o);
    }
    QJsonArray scenarios;
    for (const SessionScenario& sc : s.Scenarios) {
        scenarios.append(QJsonObject{{QStringLiteral("SScenarioId"), sc.SScenarioId},
                                     {QStringLiteral("ScenarioName"), sc.ScenarioName},
                                     {QStringLiteral("ParkUnitIds"), intsToJson(sc.ParkUnitIds)}});
    }
    QJsonArray types;
    for (const SessionUnitType& t : s.UnitTypes) {
        types.append(QJsonObject{{QStringLiteral("UnitTypeId"), t.UnitTypeId},
                                 {QStringLiteral("UnitTypeTitle"), t.UnitTypeTitle},
                                 {QStringLiteral("DeviceTitle"), t.DeviceTitle},
                                 {QStringLiteral("UnitTypeCapacity"), t.UnitTypeCapacity},
                                 {QStringLiteral("EventListFileName"), t.EventListFileName}});
    }
    return {
        {QStringLiteral("SessionFile"), s.SessionFile},
        {QStringLiteral("SessionId"), s.SessionId},
        {QStringLiteral("Online"), s.Online},
        {QStringLiteral("OnlineFlag"), s.OnlineFlag},
        {QStringLiteral("ParkName"), s.ParkName},
        {QStringLiteral("UserId"), s.UserId},
        {QStringLiteral("UserInit"), s.UserInit},
        {QStringLiteral("UserTypeInfo"), s.UserTypeInfo},
        {QStringLiteral("KorvaneUser"), s.KorvaneUser},
        {QStringLiteral("Language"), s.Language},
        {QStringLiteral("FeatureCode"), s.FeatureCode},
        {QStringLiteral("Phonebook"), s.Phonebook},
        {QStringLiteral("HelpValue"), s.HelpValue},
        {QStringLiteral("ExtraHelpValue"), s.ExtraHelpValue},
        {QStringLiteral("HelpSeed"), fixedFieldText(s.HelpSeed)},
        {QStringLiteral("ExtraSeed"), fixedFieldText(s.ExtraSeed)},
        {QStringLiteral("ProgramFilesDir"), s.ProgramFilesDir},
        {QStringLiteral("BaseDir"), s.BaseDir},
        {QStringLiteral("DataDir"), s.DataDir},
        {QStringLiteral("PhoneDir"), s.PhoneDir},
        {QStringLiteral("SysDir"), s.SysDir},
        {QStringLiteral("PictureDir"), s.PictureDir},
        {QStringLiteral("ProjectDir"), s.ProjectDir},
        {QStringLiteral("ReportLogo1"), s.ReportLogo1},
        {QStringLiteral("ReportLogo2"), s.ReportLogo2},
        {QStringLiteral("DBVersion"), s.DBVersion},
        {QStringLiteral("ScenarioActive"), s.ScenarioActive},
        {QStringLiteral("OnlineConfiguration"), s.OnlineConfiguration},
        {QStringLiteral("OnlineConnection"), connectionToJson(s.OnlineConnection)},
        {QStringLiteral("OfflineConfiguration"), s.OfflineConfiguration},
        {QStringLiteral("OfflineConnection"), connectionToJson(s.OfflineConnection)},
        {QStringLiteral("FeatureCodes"), intsToJson(s.FeatureCodes)},
        {QStringLiteral("TraceLevel"), s.TraceLevel},
        {QStringLiteral("DataCode"), fixedFieldText(s.DataCode)},
        {QStringLiteral("CompleteDataCode"), fixedFieldText(s.CompleteDataCode)},
        {QStringLiteral("ParkUnits"), units},
        {QStringLiteral("Scenarios"), scenarios},
        {QStringLiteral("UnitTypes"), types},
        {QStringLiteral("ClosingStarted"), s.ClosingStarted},
        {QStringLiteral("Loaded"), s.Loaded},
    };
}

}  // namespace app
