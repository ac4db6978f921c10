#include "core/store/pair_builder.h"

#include <algorithm>
#include <vector>

#include "core/base/errors.h"
#include "core/store/records.h"

namespace mk {

namespace {

// The output state of a newly stored row.
const char* const kNewRowOutput = "0";

}  // namespace

PairBuilder::PairBuilder(std::string titleBytes, std::string contentBytes)
    : titleBytes_(std::move(titleBytes)), contentBytes_(std::move(contentBytes)) {
    titles_ = int(titleBytes_.size() / TitleRecord::kSize);
    contents_ = int(contentBytes_.size() / ContentRecord::kSize);
    titleBytes_.resize(std::size_t(titles_) * TitleRecord::kSize);
    contentBytes_.resize(std::size_t(contents_) * ContentRecord::kSize);
    pastEnd_ = NamedPastEnd(contents_);
    pastEnd_.noteAll(titleBytes_);
}

void PairBuilder::add(const std::string& title, const SlotRows& rows) {
    if (rows.size() > std::size_t(TitleRecord::kSlots)) throw RuntimeError(ErrSubscript);
    // The numbers of the new rows, passing over those that a title of the
    // existing pair names past the end of its content file.
    std::vector<long> numbers;
    long last = contents_;
    for (const auto& row : rows)
        if (row) numbers.push_back(last = pastEnd_.nextAfter(last));
    if (titles_ + 1L > kMaxRecordNumber || last > kMaxRecordNumber)
        throw RuntimeError(ErrOverflow, describeError(ErrOverflow) + "（レコード番号が " +
                                            std::to_string(kMaxRecordNumber) + " を超えます）");

    const int16_t own = int16_t(titles_ + 1);
    TitleRecord head;
    head.表題 = avoidDeletedMark(title, kTitleFieldBytes);
    // The rows go straight after the records so far; only a failure (out
    // of memory) on the way takes them off again.
    const std::size_t contentSize = contentBytes_.size();
    const std::size_t titleSize = titleBytes_.size();
    int altered = 0;
    try {
        std::size_t next = 0;
        ContentRecord rec;
        rec.出力 = kNewRowOutput;
        rec.親Rec = own;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (!rows[i]) continue;
            const long number = numbers[next++];
            // A number passed over stays a blank record, as a file extended
            // past it reads.
            const std::size_t at = std::size_t(number - 1) * ContentRecord::kSize;
            if (at > contentBytes_.size()) contentBytes_.append(at - contentBytes_.size(), '\0');
            rec.項目 = avoidDeletedMark(rows[i]->item, kItemFieldBytes);
            altered += rec.項目 != rows[i]->item;
            rec.内容 = rows[i]->content;
            rec.自分Rec = int16_t(number);
            head.子Rec[i] = rec.自分Rec;
            rec.appendBytes(contentBytes_);
        }
        head.自分Rec = own;
        head.Status = 0;
        head.appendBytes(titleBytes_);
    } catch (...) {
        contentBytes_.resize(contentSize);
        titleBytes_.resize(titleSize);
        throw;
    }
    altered_ += altered + (head.表題 != title);
    titles_ = own;
    contents_ = int(last);
}

void PairBuilder::reserve(int titles, int contents) {
    titleBytes_.reserve(titleBytes_.size() + std::size_t(std::max(titles, 0)) * TitleRecord::kSize);
    contentBytes_.reserve(contentBytes_.size() +
                          std::size_t(std::max(contents, 0)) * ContentRecord::kSize);
}

}  // namespace mk
