#pragma once
// The protocol tree's rows by the console's item data, kept beside the tree so that a console command
// finds its row without walking the tree: each step of a walk is a message to the tree control, and a
// mark or a selection on a tree of a few dozen rows would cost a few hundred of them.
//
// The console's commands only ever append a row (an exam at the end of the top level, a protocol at the end
// of the last exam or of the top level) and empty the whole tree, so the order rows were added in is the
// tree's depth-first order: the first row added with a given item data is the first one a depth-first
// search finds. Rows leave the index when the tree deletes them, and the next one added with the same
// data takes over.
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace panel {

class CTreeRows {
  public:
    using Row = std::uintptr_t;  // the tree's own handle of the row

    void Add(std::int32_t data, Row row);
    // The first row added with `data` that is still in the tree.
    std::optional<Row> Find(std::int32_t data) const;
    void Remove(Row row);
    void Clear();
    std::size_t Size() const { return m_dataOfRow.size(); }

  private:
    std::unordered_map<std::int32_t, std::vector<Row>> m_rowsOfData;  // in the order added
    std::unordered_map<Row, std::int32_t> m_dataOfRow;
};

}  // namespace panel
