// A plain SQL query on a connection, without a record set: its text is set,
// it is opened (the whole result is read into memory and the transaction
// committed), and its values are read by column name. The data module's
// scratch query SQLQuery1 is one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fb/fb.h"

namespace cp {

class Connection;

class Query {
  public:
    Query(std::string name, Connection& connection);
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    const std::string& name() const { return name_; }

    void setText(std::string sql);  // closes the query first
    const std::string& text() const { return text_; }

    // Runs the text and reads every row; server errors arrive as fb::Error
    // and leave the query closed.
    void open();
    void close();
    bool active() const { return active_; }

    int recordCount() const { return static_cast<int>(rows_.size()); }
    bool eof() const { return row_ >= rows_.size(); }
    void first() { row_ = 0; }
    void next() {
        if (row_ < rows_.size()) ++row_;
    }

    // Columns of the result by name, without regard to case. An unknown name
    // throws cp::DataError "<name>: Field '<column>' not found".
    const std::vector<fb::ColumnInfo>& columns() const { return columns_; }
    const fb::Value& value(std::string_view column) const;  // NULL when no current row
    bool isNull(std::string_view column) const;
    std::int64_t asInteger(std::string_view column) const;  // NULL → 0
    std::string asString(std::string_view column) const;    // NULL → ""

  private:
    int columnIndex(std::string_view column) const;

    std::string name_;
    Connection* connection_;
    std::string text_;
    bool active_ = false;
    std::vector<fb::ColumnInfo> columns_;
    std::vector<std::vector<fb::Value>> rows_;
    std::size_t row_ = 0;
};

}  // namespace cp
