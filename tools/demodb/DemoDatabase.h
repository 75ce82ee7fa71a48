#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <cstdint>

namespace tarnwick::demo {

// What to build. The content depends only on these values (and, when until is left invalid, on
// the day and time of the build), so the same options give the same database and pictures.
struct DemoOptions
{
    QString outputFile;       // the SQLite database file to create
    QString photoDir;         // snapshot pictures go here; empty: none are drawn
    int people = 40;          // employees, each with a card in force
    int registrations = 4000; // stored registrations
    int months = 3;           // the registrations cover this many months before the end
    QDate until;              // last day; invalid: today, registrations up to the current time
    std::uint64_t seed = 1;
    int snapshotPercent = 25; // share of registrations with a snapshot picture (0..100)
    bool replace = false;     // an existing output file is replaced (otherwise an error)
};

// What was built.
struct DemoSummary
{
    int departments = 0;
    int people = 0;
    int cards = 0;
    int terminals = 0;
    int doors = 0;
    int zones = 0;
    qint64 registrations = 0;
    qint64 snapshots = 0;
    QDateTime first; // time of the oldest and of the newest registration
    QDateTime last;
};

// Builds the demo database: departments, employees with Serbian names and JPEG portraits,
// cards of 8, 10 and 12 characters (in force, expired, withdrawn), REG1 and REG2 controllers,
// doors and zones (one door in two zones), door assignments that change during the period,
// logical activities, configured names of controller events, communication services, and the
// registrations: card reads of known, expired and unknown cards and controller events of every
// code 128..177 of both formats, in time order, with snapshot pictures at
// photoDir/yyyy-MM-dd/yyyyMMdd-HHmmss-<trimmed card>.jpg.
//
// The database is written to a temporary file beside the output and renamed over it at the end,
// so a failed build leaves no half-written database behind. Throws Error with a clear message.
// Drawing the pictures needs a QGuiApplication.
DemoSummary buildDemoDatabase(const DemoOptions &options);

} // namespace tarnwick::demo
