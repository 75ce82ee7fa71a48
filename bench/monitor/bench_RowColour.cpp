// The colour rules run for every painted cell of the two grids; these figures show what one
// decision costs with row values as the grids hand them over.

#include "RowColourRules.h"
#include "Styles.h"

#include <QVariant>
#include <atomic>
#include <benchmark/benchmark.h>
#include <vector>

using namespace tarnwick;

// Counts the heap allocations of the process (glibc lets the program's own malloc stand in front
// of its allocator), so that the figures can show that a decision allocates nothing.
namespace {
std::atomic<long long> allocations{0};
}
extern "C" void *__libc_malloc(size_t size);
extern "C" void *malloc(size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}

namespace {

void reportAllocations(benchmark::State &state, long long before)
{
    state.counters["allocs/op"] =
        benchmark::Counter(double(allocations.load() - before) / double(state.iterations()));
}

struct ReportRow
{
    QVariant nonId, regType, nonIdCode, empId;
};

// A report page: identifications with and without a person, controller events of both formats.
std::vector<ReportRow> reportRows()
{
    std::vector<ReportRow> rows;
    const QVariant nullText(QMetaType::fromType<QString>());
    for (int i = 0; i < 1000; ++i) {
        const int code = 128 + i % 52;
        switch (i % 4) {
        case 0:
            rows.push_back(
                {QVariant(0), QVariant(0), nullText, QVariant(QStringLiteral("00%1").arg(i))});
            break;
        case 1:
            rows.push_back({QVariant(0), QVariant(1), nullText, nullText});
            break;
        case 2:
            rows.push_back({QVariant(1), QVariant(0), QVariant(QString::number(code, 16).toUpper()),
                            nullText});
            break;
        default:
            rows.push_back(
                {QVariant(1), QVariant(1), QVariant(QString::number(code, 16)), nullText});
            break;
        }
    }
    return rows;
}

void BM_ReportRowColour(benchmark::State &state)
{
    const std::vector<ReportRow> rows = reportRows();
    size_t i = 0;
    const long long before = allocations.load();
    for (auto _ : state) {
        const ReportRow &r = rows[i++ % rows.size()];
        benchmark::DoNotOptimize(reportRowColourClass(r.nonId, r.regType, r.nonIdCode, r.empId));
    }
    reportAllocations(state, before);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReportRowColour);

void BM_LiveRowColour(benchmark::State &state)
{
    std::vector<ReportRow> rows;
    for (int i = 0; i < 1000; ++i)
        rows.push_back({QVariant(i % 2 == 0), QVariant(i % 3 == 0 ? 0 : 1), QVariant(128 + i % 52),
                        i % 5 == 0 ? QVariant() : QVariant(QStringLiteral("17"))});
    size_t i = 0;
    const long long before = allocations.load();
    for (auto _ : state) {
        const ReportRow &r = rows[i++ % rows.size()];
        benchmark::DoNotOptimize(liveRowColourClass(r.nonId, r.regType, r.nonIdCode, r.empId));
    }
    reportAllocations(state, before);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LiveRowColour);

// The whole per-cell answer: the class, then its colour from the style repository.
void BM_ReportRowColourWithStyle(benchmark::State &state)
{
    const std::vector<ReportRow> rows = reportRows();
    const Styles styles;
    size_t i = 0;
    const long long before = allocations.load();
    for (auto _ : state) {
        const ReportRow &r = rows[i++ % rows.size()];
        benchmark::DoNotOptimize(
            styles.classColour(reportRowColourClass(r.nonId, r.regType, r.nonIdCode, r.empId)));
    }
    reportAllocations(state, before);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReportRowColourWithStyle);

// For comparison: reading the code through a text conversion, as a straightforward rule would
// (QVariant::toString of a number builds a new string each time).
void BM_NaiveCodeThroughText(benchmark::State &state)
{
    std::vector<QVariant> codes;
    for (int i = 0; i < 1000; ++i)
        codes.emplace_back(128 + i % 52);
    size_t i = 0;
    const long long before = allocations.load();
    for (auto _ : state)
        benchmark::DoNotOptimize(codes[i++ % codes.size()].toString().toInt(nullptr, 16));
    reportAllocations(state, before);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NaiveCodeThroughText);

} // namespace

BENCHMARK_MAIN();
