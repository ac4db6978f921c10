#pragma once
// A new data pair built in memory, entry by entry, for a whole-pair
// replacement (DataStore::replacePair): the import and the conversion hand
// their entries here and never see a record layout.
#include <optional>
#include <string>
#include <vector>

#include "core/store/records.h"

namespace mk {

// One row of an entry, at its slot: the texts as they are to be stored
// (the field widths still cut them, never inside a two-byte character).
struct SlotText {
    std::string item;
    std::string content;
};
// Row i of the list goes to slot i + 1; an empty optional leaves the slot 0.
using SlotRows = std::vector<std::optional<SlotText>>;

class PairBuilder {
public:
    // An empty pair, or one that goes on after the whole records of existing
    // file bytes (a partial tail is dropped).
    PairBuilder() = default;
    PairBuilder(std::string titleBytes, std::string contentBytes);

    // Adds the next title record and a content record for every present row,
    // numbered on from the last ones. 出力 "0" and Status 0, as a new save
    // stores them. A title or item that would read back as the free-record
    // mark is stored as avoidDeletedMark gives it. Error 9 for more rows than
    // slots, error 6 when a record number would pass 32767; nothing is
    // added then.
    void add(const std::string& title, const SlotRows& rows);

    // Room for `titles` more title records and `contents` more content
    // records, so that a builder told its size beforehand never moves them.
    void reserve(int titles, int contents);

    int titleCount() const { return titles_; }
    int contentCount() const { return contents_; }
    // Titles and items that had to be altered to keep them from the mark.
    int altered() const { return altered_; }
    const std::string& titleBytes() const { return titleBytes_; }
    const std::string& contentBytes() const { return contentBytes_; }

private:
    std::string titleBytes_;
    std::string contentBytes_;
    int titles_ = 0;
    int contents_ = 0;
    int altered_ = 0;
    // Of the pair it goes on from.
    NamedPastEnd pastEnd_{0};
};

}  // namespace mk
