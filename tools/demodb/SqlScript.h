#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

struct sqlite3;

namespace tarnwick::demo {

// The statements of a script, one per entry, for a connection that takes one statement at a
// time: an SQLite script is cut where a statement ends (as sqlite3_complete judges it, so
// semicolons inside strings or triggers do not cut), a T-SQL script at the lines that hold only
// GO. Pieces holding nothing but comments are dropped.
QStringList scriptStatements(const QString &dialect, const QString &script);

// Creates the access-control tables, view and indexes of the compiled-in schema of the dialect
// (resources/sql/<dialect>/schema.sql) on an open connection. Throws Error naming the statement
// that failed.
void createSchema(QSqlDatabase &db, const QString &dialect);

// The same for a connection of the sqlite3 C API.
void createSchema(sqlite3 *db);

} // namespace tarnwick::demo
