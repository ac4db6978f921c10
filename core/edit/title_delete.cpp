// 表題を削除: the entry on the edit screen leaves the data files. Its rows
// are marked free; its title record's place is left as zero bytes so that
// every other title keeps its record number (and its rows' 親Rec stay valid).
#include <string>

#include "core/base/errors.h"
#include "core/base/messages.h"
#include "core/app/program.h"
#include "core/edit/edit_session.h"
#include "core/store/file_layer.h"
#include "core/store/text.h"

namespace mk {

namespace {

void paintForDelete(EditSession& s, Rgb color) {
    GridTable& t = s.table;
    t.fillBackColor(1, 1, t.rows() - 1, t.cols() - 1, color);
    s.titleBox.back = color;
    s.titleChanged();
}

// The title file without record `gone`: a gap of zero bytes in the middle,
// nothing when it was the last record.
std::string rebuiltTitles(const std::string& old, long maxrec, long gone) {
    const std::size_t size = TitleRecord::kSize;
    std::string out;
    out.reserve(std::size_t(maxrec) * size);
    for (long n = 1; n <= maxrec; ++n) {
        if (n == gone) {
            if (n < maxrec) out.append(size, '\0');
            continue;
        }
        out.append(old, std::size_t(n - 1) * size, size);
    }
    return out;
}

}  // namespace

bool 表題を削除(EditSession& s) {
    bool deleted = false;
    DataStore& store = s.program.store;
    GridTable& t = s.table;
    Trap(kDeleteTitleLocation, [&] {
        paintForDelete(s, kDeletePink);
        SetMessageLines({"現在表示されているデータを削除します。", "削除すると元に戻りません。",
                         "実行しますか?"});
        if (MsgBox(JoinMessageLines(), Buttons::YesNo, Icon::Question) == AnswerNo) {
            paintForDelete(s, palette::White);
            return;
        }

        store.Openfile1();
        store.Openfile2();
        const long title = t.number(1, ecol::Parent);
        for (int r = 2; r < t.rows(); ++r) {
            if (!t.text(r, ecol::Parent).empty() && t.number(r, ecol::Parent) != title) {
                store.CloseAll();
                SetMessageLines({"複数の表題が選択されていますので", "削除出来ません。　",
                                 "お手数ですが検索閲覧に戻って", "表題の名前を変更し、単独の表題を",
                                 "選択してから再実行して下さい。", "処理を中止します。"});
                MsgBox(JoinMessageLines(), Buttons::OK, Icon::Question);
                return;
            }
        }

        // Every number is checked before the first write, so that a stale
        // or hand-edited cell cannot leave the entry half deleted.
        if (!store.file1Open() || !store.file2Open()) throw RuntimeError(ErrPathFileAccess);
        if (title < 0 || title > 32767) throw RuntimeError(ErrOverflow);
        for (int r = 1; r < t.rows(); ++r) {
            if (t.text(r, ecol::Child).empty()) continue;
            const long k = t.number(r, ecol::Child);
            if (k < 1 || k > store.Maxrec2) throw RuntimeError(ErrBadRecordNumber);
        }

        for (int r = 1; r < t.rows(); ++r) {
            if (t.text(r, ecol::Child).empty()) continue;
            const long k = t.number(r, ecol::Child);
            ContentRecord rec = store.readContent(k);
            rec.出力 = "0";
            rec.項目 = kDeletedMark;
            store.writeContent(k, rec);
        }
        store.Close2();

        // The title file is replaced as a whole (temporary file + rename),
        // so a crash leaves the old or the new file, never none.
        const long maxrec = store.Maxrec1;
        store.Close1();
        const std::string path = store.titlePath();
        const std::string leftover = store.dataFolder() + kTitleTempFileName;
        if (fs::exists(leftover)) fs::removeFile(leftover);
        std::string old = fs::readWholeFile(path);
        old.resize(std::size_t(maxrec) * TitleRecord::kSize);
        fs::replaceFile(path, rebuiltTitles(old, maxrec, title));
        store.CloseAll();

        {
            GridTable::UpdateBatch batch(t);
            for (int r = 1; r < t.rows(); ++r)
                for (int c = 1; c <= 4; ++c) t.setText(r, c, {});
        }
        s.titleBox.text.clear();
        paintForDelete(s, palette::White);
        if (s.observer) s.observer->menuHidden();

        s.reloadBrowse();
        WaitSeconds(0.2);
        deleted = true;
    });
    store.CloseAll();
    return deleted;
}

}  // namespace mk
