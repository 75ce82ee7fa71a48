#include "CApiFetch.h"

#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>

namespace tarnwick::bench {

CApiFetch fetchAll(sqlite3 *db, sqlite3_stmt *st)
{
    CApiFetch f;
    QElapsedTimer timer;
    timer.start();
    const int columns = sqlite3_column_count(st);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        ++f.rows;
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER:
                f.bytes += sqlite3_column_int64(st, c) & 1;
                break;
            case SQLITE_TEXT:
                sqlite3_column_text(st, c);
                f.bytes += sqlite3_column_bytes(st, c);
                break;
            case SQLITE_BLOB:
                sqlite3_column_blob(st, c);
                f.bytes += sqlite3_column_bytes(st, c);
                break;
            case SQLITE_NULL:
                ++f.nulls;
                break;
            default:
                f.bytes += sqlite3_column_bytes(st, c);
            }
        }
    }
    if (rc != SQLITE_DONE) {
        std::fprintf(stderr, "step: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    sqlite3_reset(st);
    f.seconds = timer.nsecsElapsed() / 1e9;
    return f;
}

} // namespace tarnwick::bench
