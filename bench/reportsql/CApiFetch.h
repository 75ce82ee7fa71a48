#pragma once

#include <sqlite3.h>

namespace tarnwick::bench {

struct CApiFetch
{
    long long rows = 0, bytes = 0, nulls = 0;
    double seconds = 0;
};

// Steps a prepared, bound statement to its end, touching every column of every row the way a
// client must to read it, then resets it. Exits the process on an SQLite error.
CApiFetch fetchAll(sqlite3 *db, sqlite3_stmt *statement);

} // namespace tarnwick::bench
