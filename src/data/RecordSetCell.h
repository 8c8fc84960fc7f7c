// How the record sets keep one column of one row in memory: sixteen bytes,
// with texts of up to fourteen characters held inside and longer ones on the
// heap. A record set of 100,000 installments holds some 300 bytes a row
// instead of twice that as full values.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "data/Field.h"

namespace cp {

class Cell {
  public:
    Cell() noexcept { tag_ = Null; }
    ~Cell() { release(); }
    Cell(const Cell& o) { copyFrom(o); }
    Cell(Cell&& o) noexcept {
        std::memcpy(raw_, o.raw_, sizeof raw_);
        tag_ = o.tag_;
        o.tag_ = Null;
    }
    Cell& operator=(const Cell& o) {
        if (this != &o) {
            release();
            copyFrom(o);
        }
        return *this;
    }
    Cell& operator=(Cell&& o) noexcept {
        if (this != &o) {
            release();
            std::memcpy(raw_, o.raw_, sizeof raw_);
            tag_ = o.tag_;
            o.tag_ = Null;
        }
        return *this;
    }
    explicit Cell(const Value& v) {
        tag_ = Null;  // set() releases what the cell held: nothing yet
        set(v);
    }

    bool isNull() const { return tag_ == Null; }
    void clear() {
        release();
        tag_ = Null;
    }
    void setInt(std::int64_t v) { setNumber(Int, v); }
    void setDate(const QDate& d) {
        if (d.isValid())
            setNumber(Date, d.toJulianDay());
        else
            clear();
    }
    void setTime(const TimeOfDay& t) {
        if (t.isValid())
            setNumber(Time, t.ticks());
        else
            clear();
    }
    void setText(std::string_view s);
    void set(const Value& v);
    Value get() const;

    // Three-way comparison in the order of the default order: empty first,
    // texts byte by byte without trailing blanks.
    int compare(const Cell& o) const;
    int compare(const Value& v) const;
    bool operator==(const Cell& o) const;

  private:
    enum Tag : unsigned char { Null, Int, Date, Time, ShortText, LongText };
    static constexpr std::size_t kInline = 14;

    void release() {
        if (tag_ == LongText) delete[] heapPtr();
    }
    void copyFrom(const Cell& o);
    void setNumber(Tag t, std::int64_t v) {
        release();
        std::memcpy(raw_, &v, sizeof v);
        tag_ = t;
    }
    std::int64_t number() const {
        std::int64_t v;
        std::memcpy(&v, raw_, sizeof v);
        return v;
    }
    char* heapPtr() const {
        char* p;
        std::memcpy(&p, raw_, sizeof p);
        return p;
    }
    std::uint32_t heapLen() const {
        std::uint32_t n;
        std::memcpy(&n, raw_ + 8, sizeof n);
        return n;
    }
    std::string_view text() const {
        if (tag_ == ShortText) return {reinterpret_cast<const char*>(raw_), raw_[kInline]};
        return {heapPtr(), heapLen()};
    }

    alignas(8) unsigned char raw_[15];
    Tag tag_;
};

static_assert(sizeof(Cell) == 16);

}  // namespace cp

namespace cp {

// The cells of a record set's rows, carved from large blocks: one allocation
// for thousands of rows instead of one per row. Blocks grow from small to
// 2 MiB; the large ones are offered to the system as huge pages, so reading
// 100,000 rows touches a few hundred pages instead of tens of thousands.
// Cells of removed rows stay until the store is cleared.
class CellStore {
  public:
    explicit CellStore(std::size_t width = 0) : width_(width) {}
    CellStore(CellStore&& o) noexcept;
    CellStore& operator=(CellStore&& o) noexcept;
    CellStore(const CellStore&) = delete;
    CellStore& operator=(const CellStore&) = delete;
    ~CellStore() { clear(); }

    std::size_t width() const { return width_; }
    // A new row of `width` empty cells.
    Cell* newRow();
    // Destroys every cell and gives the memory back.
    void clear();
    std::size_t bytes() const { return bytes_; }

  private:
    struct Block {
        Cell* cells;
        std::size_t used, capacity;
        bool huge;
    };
    std::size_t width_;
    std::vector<Block> blocks_;
    std::size_t bytes_ = 0;
};

}  // namespace cp
