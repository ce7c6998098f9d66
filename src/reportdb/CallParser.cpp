#include "reportdb/CallParser.h"

#include <QStringList>
#include <cmath>

namespace reportdb {

namespace {

// Words a SQLite statement can begin with: a text starting with one of them
// is SQL, not a procedure call.
constexpr const char* kSqlStatementWords[] = {
    "SELECT",  "INSERT",  "UPDATE", "DELETE", "WITH",     "VALUES",    "CREATE",  "DROP",
    "ALTER",   "BEGIN",   "COMMIT", "END",    "ROLLBACK", "SAVEPOINT", "RELEASE", "PRAGMA",
    "REPLACE", "ANALYZE", "ATTACH", "DETACH", "EXPLAIN",  "REINDEX",   "VACUUM"};

bool isSqlStatementWord(const QString& word) {
    for (const char* w : kSqlStatementWords)
        if (word.compare(QLatin1String(w), Qt::CaseInsensitive) == 0) return true;
    return false;
}

bool isAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
bool isIdentifierStart(QChar c) { return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('#'); }
bool isIdentifierPart(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('#') || c == QLatin1Char('$');
}

class Reader {
public:
    explicit Reader(const QString& text) : text_(&text) {}

    QString error;

    bool atEnd() {
        skipSpace();
        return pos_ >= (*text_).size();
    }
    QChar peek() {
        skipSpace();
        return pos_ < (*text_).size() ? (*text_)[pos_] : QChar();
    }
    bool take(QChar c) {
        if (peek() != c) return false;
        ++pos_;
        return true;
    }

    // A plain word: letters, digits, underscores.
    QString word() {
        skipSpace();
        const qsizetype start = pos_;
        if (pos_ < (*text_).size() && isIdentifierStart((*text_)[pos_]))
            while (pos_ < (*text_).size() && isIdentifierPart((*text_)[pos_])) ++pos_;
        return (*text_).mid(start, pos_ - start);
    }
    // Reads a word only when it is `keyword`.
    bool keyword(const char* keyword) {
        const qsizetype saved = pos_;
        if (word().compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0) return true;
        pos_ = saved;
        return false;
    }

    // [db].[schema].name: the last part, brackets removed.
    QString procedureName() {
        QString part;
        do {
            skipSpace();
            if (pos_ < (*text_).size() && (*text_)[pos_] == QLatin1Char('[')) {
                const qsizetype close = (*text_).indexOf(QLatin1Char(']'), pos_ + 1);
                if (close < 0) return fail(QStringLiteral("Unclosed bracket in the procedure name"));
                part = (*text_).mid(pos_ + 1, close - pos_ - 1);
                if (part.isEmpty())
                    return fail(
                        QStringLiteral("The procedure name at position %1 is empty ('[]').").arg(position()));
                pos_ = close + 1;
            } else {
                part = word();
                if (part.isEmpty())
                    return fail(
                        QStringLiteral("A procedure name was expected at position %1.").arg(position()));
            }
        } while (pos_ < (*text_).size() && (*text_)[pos_] == QLatin1Char('.') && (++pos_, true));
        return part;
    }

    // N'...': the N directly followed by the quote.
    bool atWideString() {
        skipSpace();
        return pos_ + 1 < (*text_).size() &&
               ((*text_)[pos_] == QLatin1Char('N') || (*text_)[pos_] == QLatin1Char('n')) &&
               (*text_)[pos_ + 1] == QLatin1Char('\'');
    }
    void skip() { ++pos_; }

    // '...' with doubled quotes; the opening quote is next.
    bool quoted(QString* value) {
        const qsizetype start = ++pos_;
        QString out;
        while (pos_ < (*text_).size()) {
            const QChar c = (*text_)[pos_++];
            if (c != QLatin1Char('\'')) {
                out += c;
                continue;
            }
            if (pos_ < (*text_).size() && (*text_)[pos_] == QLatin1Char('\'')) {
                out += c;
                ++pos_;
                continue;
            }
            *value = out;
            return true;
        }
        fail(QStringLiteral("Unclosed quotation mark after the character string '%1'.")
                 .arg((*text_).mid(start)));
        return false;
    }

    // [+-]digits[.digits][e[+-]digits]
    bool number(QVariant* value) {
        skipSpace();
        const qsizetype start = pos_;
        if (pos_ < (*text_).size() &&
            ((*text_)[pos_] == QLatin1Char('-') || (*text_)[pos_] == QLatin1Char('+')))
            ++pos_;
        const qsizetype digitsStart = pos_;
        bool decimal = false;
        while (pos_ < (*text_).size() && isAsciiDigit((*text_)[pos_])) ++pos_;
        if (pos_ < (*text_).size() && (*text_)[pos_] == QLatin1Char('.')) {
            decimal = true;
            ++pos_;
            while (pos_ < (*text_).size() && isAsciiDigit((*text_)[pos_])) ++pos_;
        }
        if (pos_ == digitsStart || (decimal && pos_ == digitsStart + 1)) {
            pos_ = start;
            return false;
        }
        if (pos_ < (*text_).size() &&
            ((*text_)[pos_] == QLatin1Char('e') || (*text_)[pos_] == QLatin1Char('E'))) {
            qsizetype p = pos_ + 1;
            if (p < (*text_).size() && ((*text_)[p] == QLatin1Char('-') || (*text_)[p] == QLatin1Char('+')))
                ++p;
            if (p < (*text_).size() && isAsciiDigit((*text_)[p])) {
                decimal = true;
                pos_ = p;
                while (pos_ < (*text_).size() && isAsciiDigit((*text_)[pos_])) ++pos_;
            }
        }
        if (pos_ < (*text_).size() && isIdentifierPart((*text_)[pos_])) {
            pos_ = start;
            return false;
        }
        const QString literal = (*text_).mid(start, pos_ - start);
        bool ok = false;
        if (!decimal) {
            const qlonglong integer = literal.toLongLong(&ok);
            if (ok) {
                *value = integer;
                return true;
            }
        }
        const double number = literal.toDouble(&ok);  // also integers too large for 64 bits
        if (!ok || !std::isfinite(number)) {
            fail(QStringLiteral("The number '%1' at position %2 is out of the range of numbers.")
                     .arg(literal)
                     .arg(start + 1));
            return false;
        }
        *value = number;
        return true;
    }

    // 1-based, as a user counts the characters of the text.
    qsizetype position() const { return pos_ + 1; }

    QString rest() {
        skipSpace();
        return (*text_).mid(pos_, 20);
    }
    QString fail(const QString& message) {
        if (error.isEmpty()) error = message;
        return {};
    }
    void syntaxError() {
        const QString near = rest();
        fail(near.isEmpty() ? QStringLiteral("Incorrect syntax: the call ends too early.")
                            : QStringLiteral("Incorrect syntax near '%1'.").arg(near));
    }

private:
    void skipSpace() {
        while (pos_ < (*text_).size()) {
            if ((*text_)[pos_].isSpace()) {
                ++pos_;
            } else if ((*text_).mid(pos_, 2) == QLatin1String("--")) {
                const qsizetype end = (*text_).indexOf(QLatin1Char('\n'), pos_);
                pos_ = end < 0 ? (*text_).size() : end + 1;
            } else if ((*text_).mid(pos_, 2) == QLatin1String("/*")) {
                const qsizetype end = (*text_).indexOf(QLatin1String("*/"), pos_ + 2);
                pos_ = end < 0 ? (*text_).size() : end + 2;
            } else {
                return;
            }
        }
    }

    const QString* text_;
    qsizetype pos_ = 0;
};

// "@Name" or ":Name" as the next token: the name without its prefix.
QString variableName(Reader& in) {
    if (!in.take(QLatin1Char('@')) && !in.take(QLatin1Char(':'))) return {};
    const QString name = in.word();
    if (name.isEmpty()) in.syntaxError();
    return name;
}

bool readValue(Reader& in, CallArgument* argument) {
    const QChar c = in.peek();
    if (c == QLatin1Char('@') || c == QLatin1Char(':')) {
        argument->kind = CallArgument::Kind::Variable;
        argument->variable = variableName(in);
        return !argument->variable.isEmpty();
    }
    if (c == QLatin1Char('\'')) {
        QString text;
        if (!in.quoted(&text)) return false;
        argument->value = text;
        return true;
    }
    if (in.atWideString()) {
        in.skip();
        QString text;
        if (!in.quoted(&text)) return false;
        argument->value = text;
        return true;
    }
    if (in.number(&argument->value)) return true;
    if (!in.error.isEmpty()) return false;
    const QString word = in.word();
    if (word.isEmpty()) {
        in.syntaxError();
        return false;
    }
    if (word.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0) {
        argument->kind = CallArgument::Kind::Null;
    } else if (word.compare(QLatin1String("DEFAULT"), Qt::CaseInsensitive) == 0) {
        argument->kind = CallArgument::Kind::Default;
    } else {
        argument->value = word;  // T-SQL takes a bare word as a text value
    }
    return true;
}

bool readArgument(Reader& in, CallArgument* argument) {
    const QChar c = in.peek();
    if (c == QLatin1Char('@')) {
        // "@Param = value" or a positional "@Variable".
        Reader probe = in;
        const QString name = variableName(probe);
        if (name.isEmpty()) {
            in.error = probe.error;
            return false;
        }
        if (probe.take(QLatin1Char('='))) {
            in = probe;
            argument->name = QLatin1Char('@') + name;
        }
    }
    if (!readValue(in, argument)) return false;
    if (in.keyword("OUTPUT") || in.keyword("OUT")) {
        if (argument->kind != CallArgument::Kind::Variable) {
            in.fail(QStringLiteral(
                "Cannot use the OUTPUT option when passing a constant to a stored procedure."));
            return false;
        }
        argument->output = true;
    }
    return true;
}

}  // namespace

CallParse parseCallText(const QString& text) {
    CallParse result;
    Reader in(text);
    bool explicitExec = in.keyword("EXECUTE") || in.keyword("EXEC");
    if (!explicitExec) {
        Reader probe = in;
        const QString first = probe.word();
        if (first.isEmpty() || isSqlStatementWord(first)) return result;  // SQL
    }
    result.kind = CallParse::Kind::Malformed;

    if (explicitExec && (in.peek() == QLatin1Char('@') || in.peek() == QLatin1Char(':'))) {
        result.call.returnVariable = variableName(in);
        if (result.call.returnVariable.isEmpty() || !in.take(QLatin1Char('='))) {
            if (in.error.isEmpty()) in.syntaxError();
            result.error = in.error;
            return result;
        }
    }
    result.call.name = in.procedureName();
    if (result.call.name.isEmpty()) {
        result.error = in.error;
        return result;
    }

    bool named = false;
    if (!in.atEnd() && in.peek() != QLatin1Char(';')) {
        do {
            CallArgument argument;
            if (!readArgument(in, &argument)) {
                result.error = in.error;
                return result;
            }
            if (argument.name.isEmpty() && named) {
                result.error =
                    QStringLiteral(
                        "Must pass parameter number %1 and subsequent parameters as '@name = value'. "
                        "After the form '@name = value' has been used, all subsequent parameters "
                        "must be passed in the form '@name = value'.")
                        .arg(result.call.arguments.size() + 1);
                return result;
            }
            named = named || !argument.name.isEmpty();
            result.call.arguments.push_back(std::move(argument));
        } while (in.take(QLatin1Char(',')));
    }
    in.take(QLatin1Char(';'));
    if (!in.atEnd()) {
        in.syntaxError();
        result.error = in.error;
        return result;
    }
    result.kind = CallParse::Kind::Call;
    return result;
}

}  // namespace reportdb
