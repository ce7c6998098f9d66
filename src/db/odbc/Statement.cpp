#include "db/odbc/Statement.h"

namespace db::odbc {

namespace {

QString bareName(QString name) {
    if (name.startsWith(u'@') || name.startsWith(u':')) name.remove(0, 1);
    return name.toLower();
}

int findParameter(const Command& command, const QString& name) {
    const QString key = bareName(name);
    for (size_t i = 0; i < command.parameters.size(); ++i) {
        const Parameter& p = command.parameters[i];
        if (p.direction != ParameterDirection::ReturnValue && bareName(p.name) == key) return int(i);
    }
    return -1;
}

bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// The word that follows `pos` after blanks, upper-cased.
QString nextWord(const QString& text, qsizetype pos) {
    while (pos < text.size() && text[pos].isSpace()) ++pos;
    const qsizetype start = pos;
    while (pos < text.size() && isNameChar(text[pos])) ++pos;
    return text.mid(start, pos - start).toUpper();
}

// Walks SQL text, calling `marker` for each ":Name" and "?" outside string
// literals, quoted names and comments; copies everything else.
template <typename Marker>
QString rewrite(const QString& text, bool national, Marker&& marker) {
    QString out;
    out.reserve(text.size());
    qsizetype pos = 0;
    const auto copyQuoted = [&](QChar close) {
        out += text[pos++];
        while (pos < text.size()) {
            const QChar c = text[pos++];
            out += c;
            if (c == close) {
                // A doubled closing character stands for itself.
                if (pos < text.size() && text[pos] == close) {
                    out += text[pos++];
                    continue;
                }
                return;
            }
        }
    };
    while (pos < text.size()) {
        const QChar c = text[pos];
        if (c == u'\'' || c == u'"') {
            // N'...': the text keeps every character, not only those of the
            // database's code page.
            const bool prefixed = pos > 0 && (text[pos - 1] == u'N' || text[pos - 1] == u'n') &&
                                  (pos == 1 || !isNameChar(text[pos - 2]));
            if (national && c == u'\'' && !prefixed && (pos == 0 || !isNameChar(text[pos - 1]))) out += u'N';
            copyQuoted(c);
        } else if (c == u'[') {
            copyQuoted(u']');
        } else if (c == u'-' && pos + 1 < text.size() && text[pos + 1] == u'-') {
            const qsizetype end = text.indexOf(u'\n', pos);
            const qsizetype stop = end < 0 ? text.size() : end;
            out += text.mid(pos, stop - pos);
            pos = stop;
        } else if (c == u'/' && pos + 1 < text.size() && text[pos + 1] == u'*') {
            const qsizetype end = text.indexOf(QLatin1String("*/"), pos + 2);
            const qsizetype stop = end < 0 ? text.size() : end + 2;
            out += text.mid(pos, stop - pos);
            pos = stop;
        } else if (c == u'?') {
            out += marker(QString(), pos + 1);
            ++pos;
        } else if (c == u':' && pos + 1 < text.size() &&
                   (text[pos + 1].isLetter() || text[pos + 1] == u'_') &&
                   (pos == 0 || (!isNameChar(text[pos - 1]) && text[pos - 1] != u':'))) {
            qsizetype end = pos + 1;
            while (end < text.size() && isNameChar(text[end])) ++end;
            out += marker(text.mid(pos + 1, end - pos - 1), end);
            pos = end;
        } else {
            out += c;
            ++pos;
        }
    }
    return out;
}

Binding bindingOf(const Command& command, int index, bool named) {
    Binding b;
    b.parameter = command.parameters[size_t(index)];
    b.source = index;
    b.named = named;
    return b;
}

}  // namespace

bool buildStatement(const Command& command, Statement* statement, QString* error, bool nationalLiterals) {
    *statement = Statement{};
    if (command.type == CommandType::StoredProcedure) {
        const QString name = command.text.trimmed();
        if (name.isEmpty()) {
            if (error) *error = QStringLiteral("The stored-procedure command names no procedure");
            return false;
        }
        const bool returns = command.returnValueParameter() != nullptr;
        QStringList marks;
        for (size_t i = 0; i < command.parameters.size(); ++i) {
            const Parameter& p = command.parameters[i];
            if (p.direction == ParameterDirection::ReturnValue) {
                if (i != 0) {
                    if (error)
                        *error =
                            QStringLiteral("The return value of %1 must be its first parameter").arg(name);
                    return false;
                }
                statement->bindings.push_back(bindingOf(command, 0, false));
                continue;
            }
            marks << QStringLiteral("?");
            statement->bindings.push_back(bindingOf(command, int(i), !p.name.isEmpty()));
        }
        statement->text = (returns ? QStringLiteral("{? = call ") : QStringLiteral("{call ")) + name +
                          (marks.isEmpty() ? QString() : u'(' + marks.join(QStringLiteral(", ")) + u')') +
                          u'}';
        return true;
    }

    // First pass: are there named placeholders at all?
    bool placeholders = false;
    int questionMarks = 0;
    rewrite(command.text, false, [&](const QString& name, qsizetype) {
        if (name.isEmpty()) {
            ++questionMarks;
        } else {
            placeholders = true;
        }
        return QString();
    });
    QString missing;
    if (placeholders) {
        statement->text = rewrite(command.text, nationalLiterals, [&](const QString& name, qsizetype after) {
            if (name.isEmpty()) return QStringLiteral("?");  // a marker of the text's own; left alone
            const int index = findParameter(command, name);
            if (index < 0) {
                if (missing.isEmpty()) missing = name;
                return u':' + name;
            }
            Binding b = bindingOf(command, index, false);
            const QString word = nextWord(command.text, after);
            if ((word == QLatin1String("OUTPUT") || word == QLatin1String("OUT")) &&
                b.parameter.direction == ParameterDirection::Input)
                b.parameter.direction = ParameterDirection::InputOutput;
            statement->bindings.push_back(std::move(b));
            return QStringLiteral("?");
        });
        if (!missing.isEmpty()) {
            if (error) *error = QStringLiteral("Must declare the scalar variable \"@%1\".").arg(missing);
            return false;
        }
        if (questionMarks > 0) {
            if (error)
                *error = QStringLiteral("A statement cannot mix \"?\" markers with named placeholders");
            return false;
        }
        return true;
    }
    statement->text = nationalLiterals
                          ? rewrite(command.text, true,
                                    [](const QString& name, qsizetype) {
                                        return name.isEmpty() ? QStringLiteral("?") : u':' + name;
                                    })
                          : command.text;
    std::vector<int> inputs;
    for (size_t i = 0; i < command.parameters.size(); ++i)
        if (command.parameters[i].direction != ParameterDirection::ReturnValue) inputs.push_back(int(i));
    if (questionMarks == 0) return true;  // parameters a text does not use are not sent
    if (questionMarks != int(inputs.size())) {
        if (error)
            *error = QStringLiteral("The statement has %1 parameter markers but %2 parameters")
                         .arg(questionMarks)
                         .arg(inputs.size());
        return false;
    }
    for (int index : inputs) statement->bindings.push_back(bindingOf(command, index, false));
    return true;
}

}  // namespace db::odbc
