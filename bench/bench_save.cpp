// save_new_50_ms: 新規保存 of a 50-row entry into data files that already
// hold 32,000 content records, the free ones near the end. The routine's
// waits are instant (the scripted message service's clock jumps).
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/app/program.h"
#include "core/base/scripted_messages.h"
#include "core/edit/edit_session.h"
#include "core/store/data_store.h"
#include "core/store/records.h"

namespace {

constexpr int kContents = 32000;
constexpr int kRowsPerTitle = 50;
constexpr int kFree = 60;  // the last records are free

void makeFiles(mk::DataStore& store) {
    std::string titles, contents;
    const int titleCount = kContents / kRowsPerTitle;
    for (int t = 1; t <= titleCount; ++t) {
        mk::TitleRecord head;
        head.表題 = "Site " + std::to_string(t);
        head.自分Rec = int16_t(t);
        for (int i = 0; i < kRowsPerTitle; ++i)
            head.子Rec[i] = int16_t((t - 1) * kRowsPerTitle + i + 1);
        titles += head.toBytes();
    }
    for (int c = 1; c <= kContents; ++c) {
        mk::ContentRecord rec;
        rec.出力 = "2";
        rec.項目 = c > kContents - kFree ? mk::kDeletedMark : "ID";
        rec.内容 = "value-" + std::to_string(c);
        rec.親Rec = int16_t((c - 1) / kRowsPerTitle + 1);
        rec.自分Rec = int16_t(c);
        contents += rec.toBytes();
    }
    store.replacePair(titles, contents);
}

double saveOnce() {
    char templ[] = "/tmp/mirukasu-bench-XXXXXX";
    const std::string folder = std::string(mkdtemp(templ)) + "/";
    mk::Program program(folder);
    makeFiles(program.store);
    program.reload();

    mk::ScriptedMessages messages;  // answers Yes; waits are instant
    mk::EditSession session(program);
    mk::SetVsGrid51(session.table, false);
    session.titleBox.text = "新しいサイト";
    session.table.setRows(52);
    for (int r = 1; r <= 50; ++r) {
        session.table.setText(r, mk::ecol::Item, "項目" + std::to_string(r));
        session.table.setText(r, mk::ecol::Content, "内容" + std::to_string(r));
    }

    const auto start = std::chrono::steady_clock::now();
    mk::新規保存(session);
    const auto end = std::chrono::steady_clock::now();
    if (messages.messages.empty() || messages.last().text != "新規保存が完了しました。")
        std::fprintf(stderr, "bench_save: the save did not complete\n");
    std::filesystem::remove_all(folder);
    return std::chrono::duration<double, std::milli>(end - start).count();
}

}  // namespace

int main() {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) times.push_back(saveOnce());
    std::sort(times.begin(), times.end());
    std::printf("save_new_50_ms %.1f\n", times[times.size() / 2]);
    return 0;
}
