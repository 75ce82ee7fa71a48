#include "SqlScript.h"

#include "Error.h"
#include "ResourcesInit.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

namespace tarnwick::demo {

namespace {

bool onlyComments(const QString &text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString t = line.trimmed();
        if (!t.isEmpty() && !t.startsWith(QLatin1String("--")))
            return false;
    }
    return true;
}

QString firstLine(const QString &statement)
{
    const QStringList lines = statement.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString t = line.trimmed();
        if (!t.isEmpty() && !t.startsWith(QLatin1String("--")))
            return t;
    }
    return statement.left(60);
}

} // namespace

QStringList scriptStatements(const QString &dialect, const QString &script)
{
    QStringList statements;
    QString current;
    auto flush = [&] {
        const QString piece = current.trimmed();
        if (!piece.isEmpty() && !onlyComments(piece))
            statements << piece;
        current.clear();
    };

    const QStringList lines = script.split(QLatin1Char('\n'));
    if (dialect == QLatin1String("mssql")) {
        static const QRegularExpression go(QStringLiteral("^\\s*GO\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
        for (const QString &line : lines) {
            if (go.match(line).hasMatch())
                flush();
            else
                current += line + QLatin1Char('\n');
        }
    } else if (dialect == QLatin1String("sqlite")) {
        for (const QString &line : lines) {
            current += line + QLatin1Char('\n');
            if (sqlite3_complete(current.toUtf8().constData()))
                flush();
        }
    } else {
        throw Error(QStringLiteral("Unknown SQL dialect %1").arg(dialect));
    }
    flush();
    return statements;
}

void createSchema(QSqlDatabase &db, const QString &dialect)
{
    const QStringList statements =
        scriptStatements(dialect, sqlText(dialect, QStringLiteral("schema")));
    for (const QString &statement : statements) {
        QSqlQuery query(db);
        if (!query.exec(statement))
            throw Error(QStringLiteral("Creating the database failed at \"%1\": %2")
                            .arg(firstLine(statement), query.lastError().text()));
    }
}

void createSchema(sqlite3 *db)
{
    const QByteArray script = sqlText(QStringLiteral("sqlite"), QStringLiteral("schema")).toUtf8();
    char *message = nullptr;
    if (sqlite3_exec(db, script.constData(), nullptr, nullptr, &message) != SQLITE_OK) {
        const QString text = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
        sqlite3_free(message);
        throw Error(QStringLiteral("Creating the database failed: %1").arg(text));
    }
}

} // namespace tarnwick::demo
