#include "core/maintenance/foreign_import.h"

#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/maintenance/foreign_files.h"
#include "core/store/records.h"

namespace mk {

namespace {

// Reads every record of an opened reader into `pair`. More records than the
// title file can number is error 6 before anything is read.
void readAll(ForeignReader& reader, PairBuilder& pair, const ForeignImportHooks& hooks) {
    const int n = reader.count();
    if (pair.titleCount() + long(n) > kMaxRecordNumber)
        throw RuntimeError(ErrOverflow, describeError(ErrOverflow) + "（表題のレコード番号が " +
                                            std::to_string(kMaxRecordNumber) + " を超えます）");
    pair.reserve(n, n * reader.rowsPerRecord());
    for (int i = 1; i <= n; ++i) {
        if (hooks.progress) {
            hooks.progress(i, n);
            DoEvents();
        }
        const ForeignEntry entry = reader.read(i);
        pair.add(entry.title, entry.rows);
    }
}

void finish(Program& program, const ForeignImportHooks& hooks, int n) {
    if (hooks.loaded)
        hooks.loaded(n);
    else
        program.reload();
}

}  // namespace

ForeignOutcome ImportOtherProduct(Program& program, const ForeignImportHooks& hooks,
                                  const std::string& errorLocation) {
    SetMessageLines({"ピコットパスワード管理のデータを読み込んで", "このアプリのDBに変換します。",
                     "現在のデータは削除されます。",
                     "ピコットパスワード管理のデータ　パスワード管理.dat が必要です。",
                     "実行しますか？"});
    if (MsgBox(JoinMessageLines(), Buttons::YesNoDefaultNo, Icon::Question) == AnswerNo)
        return ForeignOutcome::Cancelled;

    const std::string folder = program.dataFolder();
    if (!fs::exists(folder + kImportFileName)) {
        SetMessageLines(
            {folder + "に", "パスワード管理.dat が必要です。", "お手数ですが確認をお願いします。"});
        MsgBox(JoinMessageLines(), Buttons::OK, Icon::Question);
        return ForeignOutcome::Missing;
    }

    ImportFileReader reader(folder);
    if (!reader.Openfile5()) return ForeignOutcome::Failed;  // reported
    int n = 0;
    // The current files are replaced only by a complete new pair.
    const bool done = Trap(errorLocation, [&] {
        PairBuilder pair;
        readAll(reader, pair, hooks);
        n = reader.count();
        program.store.replacePair(pair);
    });
    if (!done) return ForeignOutcome::Failed;
    finish(program, hooks, n);

    SetMessageLines({"ピコットパスワード管理のデータからの", "インポートが完了しました。"});
    MsgBox(JoinMessageLines(), Buttons::OK, Icon::Information);
    return ForeignOutcome::Done;
}

ForeignOutcome ConvertOldVersion(Program& program, const ForeignImportHooks& hooks,
                                 const std::string& errorLocation) {
    SetMessageLines({"旧バージョンのパスワード管理・備忘録のデータをコンバートします。",
                     "DuzoZuzevod に　備忘録.dat が必要です。", "実行しますか？"});
    if (MsgBox(JoinMessageLines(), Buttons::YesNoDefaultNo, Icon::Question) == AnswerNo)
        return ForeignOutcome::Cancelled;

    const std::string path = program.dataFolder() + kOldVersionFileName;
    if (!fs::exists(path)) {
        SetMessageLines({"旧バージョンのパスワード管理・備忘録のデータにアクセス出来ません。", path,
                         "を確認してください。　処理を中止します。"});
        MsgBox(JoinMessageLines(), Buttons::OK, Icon::Critical);
        return ForeignOutcome::Missing;
    }

    OldVersionReader reader(program.dataFolder());
    if (!reader.Openfile6()) return ForeignOutcome::Failed;  // reported
    const bool done = Trap(errorLocation, [&] {
        // The converted entries go behind the user's own, which stay as they
        // are; the files change only once the new pair is complete.
        if (reader.count() == 0) return;
        PairBuilder pair = program.store.extendPair();
        readAll(reader, pair, hooks);
        program.store.replacePair(pair);
    });
    if (!done) return ForeignOutcome::Failed;
    finish(program, hooks, reader.count());

    SetMessageLines(
        {"コンバートが完了しました。", "", "注意　表示順が旧バージョンとは逆になっています。"});
    MsgBox(JoinMessageLines(), Buttons::OK, Icon::Critical);
    return ForeignOutcome::Done;
}

}  // namespace mk
