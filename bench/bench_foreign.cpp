// Taking in the foreign files at the data set's size: the other product's
// パスワード管理.dat (every content deciphered) and the old 備忘録.dat,
// each of as many content rows as the data set (32,767, and 8,192 for the
// figures ending in _8k). Both end in the browse table's reload.
//
// Prints, one line each (medians, milliseconds):
//   import_ms          ImportOtherProduct, questions answered Yes, until the
//                      table is reloaded
//   convert_ms         ConvertOldVersion onto empty data files, the same
//   foreign_load_ms    the reload of the result alone (データ読込), the
//                      yardstick of both: import_ratio and convert_ratio are
//                      the figures over it
#include <cstdio>
#include <string>

#include "bench/support/dataset.h"
#include "core/app/program.h"
#include "core/base/scripted_messages.h"
#include "core/maintenance/foreign_files.h"
#include "core/maintenance/foreign_import.h"

namespace {

constexpr int kRuns = 5;

int run(const mk::bench::DataSetSize& size, const char* suffix) {
    using namespace mk::bench;
    int status = 0;
    TempFolder folder;
    mk::Program program(folder.path());
    writeDataSet(program.store, size);  // makes the data folder
    writeImportFile(program.dataFolder() + mk::kImportFileName, size);
    writeOldVersionFile(program.dataFolder() + mk::kOldVersionFileName, size);
    mk::ScriptedMessages messages;  // answers Yes

    auto expectRows = [&](const char* what) {
        // The import keeps empty rows before a used one; neither file has
        // any, so both give the data set's rows.
        if (program.browse.rows() != size.contents + 1) {
            std::fprintf(stderr, "bench_foreign%s: %s loaded %d rows\n", suffix, what,
                         program.browse.rows());
            status = 1;
        }
    };

    const double import = medianMs(kRuns, [&] {
        if (mk::ImportOtherProduct(program) != mk::ForeignOutcome::Done) status = 1;
    });
    expectRows("the import");
    const double load = medianMs(kRuns, [&] { program.reload(); });

    std::vector<double> converts;
    for (int i = 0; i < kRuns; ++i) {
        program.store.replacePair(std::string(), std::string());
        converts.push_back(timeMs([&] {
            if (mk::ConvertOldVersion(program) != mk::ForeignOutcome::Done) status = 1;
        }));
    }
    expectRows("the conversion");
    if (status) {
        std::fprintf(stderr, "bench_foreign%s: a run failed\n", suffix);
        for (const mk::RecordedMessage& message : messages.messages)
            std::fprintf(stderr, "  %s\n", message.text.c_str());
    }

    const double convert = median(converts);
    printFigure("import_ms", suffix, import);
    printFigure("foreign_load_ms", suffix, load);
    printRatio("import_ratio", suffix, import, load);
    printFigure("convert_ms", suffix, convert);
    printRatio("convert_ratio", suffix, convert, load);
    return status;
}

}  // namespace

int main() { return mk::bench::runAtBothSizes(run); }
