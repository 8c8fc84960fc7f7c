#include "data/RecordSetCell.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "data/Text.h"

namespace cp {

namespace {

int three(int c) { return c < 0 ? -1 : c > 0; }

}  // namespace

void Cell::setText(std::string_view s) {
    release();
    if (s.size() <= kInline) {
        std::memcpy(raw_, s.data(), s.size());
        raw_[kInline] = static_cast<unsigned char>(s.size());
        tag_ = ShortText;
        return;
    }
    char* p = new char[s.size()];
    std::memcpy(p, s.data(), s.size());
    std::uint32_t n = static_cast<std::uint32_t>(s.size());
    std::memcpy(raw_, &p, sizeof p);
    std::memcpy(raw_ + 8, &n, sizeof n);
    tag_ = LongText;
}

void Cell::copyFrom(const Cell& o) {
    if (o.tag_ == LongText) {
        tag_ = Null;
        setText(o.text());
    } else {
        std::memcpy(raw_, o.raw_, sizeof raw_);
        tag_ = o.tag_;
    }
}

void Cell::set(const Value& v) {
    switch (v.index()) {
        case 0:
            clear();
            break;
        case 1:
            setInt(std::get<std::int64_t>(v));
            break;
        case 2:
            setText(std::get<std::string>(v));
            break;
        case 3:
            setDate(std::get<QDate>(v));
            break;
        case 4:
            setTime(std::get<TimeOfDay>(v));
            break;
    }
}

Value Cell::get() const {
    switch (tag_) {
        case Null:
            return {};
        case Int:
            return number();
        case Date:
            return QDate::fromJulianDay(number());
        case Time:
            return TimeOfDay::fromTicks(number());
        case ShortText:
        case LongText:
            return std::string(text());
    }
    return {};
}

int Cell::compare(const Cell& o) const {
    bool an = tag_ == Null, bn = o.tag_ == Null;
    if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
    bool at = tag_ >= ShortText, bt = o.tag_ >= ShortText;
    if (at && bt) return three(rtrim(text()).compare(rtrim(o.text())));
    if (at != bt || tag_ != o.tag_) return tag_ < o.tag_ ? -1 : 1;
    std::int64_t x = number(), y = o.number();
    return x < y ? -1 : x > y;
}

int Cell::compare(const Value& v) const {
    bool an = tag_ == Null, bn = cp::isNull(v);
    if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
    if (auto* s = std::get_if<std::string>(&v)) {
        if (tag_ < ShortText) return -1;
        return three(rtrim(text()).compare(rtrim(*s)));
    }
    std::int64_t y = 0;
    Tag want = Int;
    if (auto* i = std::get_if<std::int64_t>(&v))
        y = *i;
    else if (auto* d = std::get_if<QDate>(&v))
        y = d->toJulianDay(), want = Date;
    else if (auto* t = std::get_if<TimeOfDay>(&v))
        y = t->ticks(), want = Time;
    if (tag_ != want) return tag_ < want ? -1 : 1;
    std::int64_t x = number();
    return x < y ? -1 : x > y;
}

bool Cell::operator==(const Cell& o) const {
    if (tag_ != o.tag_) {
        // Short and long texts are the same kind of value.
        if (tag_ >= ShortText && o.tag_ >= ShortText) return text() == o.text();
        return false;
    }
    switch (tag_) {
        case Null:
            return true;
        case ShortText:
        case LongText:
            return text() == o.text();
        default:
            return number() == o.number();
    }
}

}  // namespace cp

// ----- Cell store -----

namespace cp {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kFirstBlock = 4096;

// A block of whole huge pages, aligned to one, mapped directly so that none
// of it is wasted on alignment.
void* mapHugeBlock(std::size_t size) {
    const std::size_t len = size + kHugePage;
    void* p = mmap(nullptr, len, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    auto start = reinterpret_cast<std::uintptr_t>(p);
    std::uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
    std::size_t head = aligned - start;
    if (head) munmap(p, head);
    if (len - head - size) munmap(reinterpret_cast<char*>(aligned) + size, len - head - size);
#ifdef MADV_HUGEPAGE
    madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void*>(aligned);
}

}  // namespace

CellStore::CellStore(CellStore&& o) noexcept
    : width_(o.width_), blocks_(std::move(o.blocks_)), bytes_(o.bytes_) {
    o.blocks_.clear();
    o.bytes_ = 0;
}

CellStore& CellStore::operator=(CellStore&& o) noexcept {
    if (this != &o) {
        clear();
        width_ = o.width_;
        blocks_ = std::move(o.blocks_);
        bytes_ = o.bytes_;
        o.blocks_.clear();
        o.bytes_ = 0;
    }
    return *this;
}

Cell* CellStore::newRow() {
    const std::size_t w = width_ == 0 ? 1 : width_;
    if (blocks_.empty() || blocks_.back().used + w > blocks_.back().capacity) {
        std::size_t size = blocks_.empty()
                               ? kFirstBlock
                               : std::min(kHugePage, blocks_.back().capacity * sizeof(Cell) * 2);
        size = std::max(size, w * sizeof(Cell));
        bool huge = size % kHugePage == 0;
        void* mem = huge ? mapHugeBlock(size) : std::malloc(size);
        if (!mem) throw std::bad_alloc();
        blocks_.push_back({static_cast<Cell*>(mem), 0, size / sizeof(Cell), huge});
        bytes_ += size;
    }
    Block& b = blocks_.back();
    Cell* row = b.cells + b.used;
    for (std::size_t i = 0; i < w; ++i) new (row + i) Cell();
    b.used += w;
    return row;
}

void CellStore::clear() {
    for (Block& b : blocks_) {
        for (std::size_t i = 0; i < b.used; ++i) b.cells[i].~Cell();
        if (b.huge)
            munmap(b.cells, b.capacity * sizeof(Cell));
        else
            std::free(b.cells);
    }
    blocks_.clear();
    bytes_ = 0;
}

}  // namespace cp
