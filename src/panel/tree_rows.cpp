#include "panel/tree_rows.h"

#include <algorithm>

namespace panel {

void CTreeRows::Add(std::int32_t data, Row row) {
    if (!row || !m_dataOfRow.emplace(row, data).second)
        return;  // no row, or one the index holds already
    m_rowsOfData[data].push_back(row);
}

std::optional<CTreeRows::Row> CTreeRows::Find(std::int32_t data) const {
    auto it = m_rowsOfData.find(data);
    if (it == m_rowsOfData.end() || it->second.empty())
        return std::nullopt;
    return it->second.front();
}

void CTreeRows::Remove(Row row) {
    auto it = m_dataOfRow.find(row);
    if (it == m_dataOfRow.end())
        return;
    auto rows = m_rowsOfData.find(it->second);
    if (rows != m_rowsOfData.end()) {
        std::erase(rows->second, row);
        if (rows->second.empty())
            m_rowsOfData.erase(rows);
    }
    m_dataOfRow.erase(it);
}

void CTreeRows::Clear() {
    m_rowsOfData.clear();
    m_dataOfRow.clear();
}

}  // namespace panel
