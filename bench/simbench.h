#pragma once

// What the physics preview's benchmarks share: the min and max statistics they report beside the
// median, and records appended with only the fields a body needs.
#include "recordtable.h"
#include "sceneschema.h"

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

inline double smallest(const std::vector<double>& v)
{
    return *std::min_element(v.begin(), v.end());
}

inline double largest(const std::vector<double>& v)
{
    return *std::max_element(v.begin(), v.end());
}

using Fields = std::initializer_list<std::pair<int, double>>;

// Appends a record of `kind` at scale 1 with `fields` set; the others stay null, which reads as 0.
inline void add(RecordTable& table, int kind, Fields fields)
{
    using namespace SceneField;
    table.insert();
    table.setValue(ODETipo, qint32(kind));
    for (int f : {SX, SY, SZ})
        table.setValue(f, 1.0);
    for (const auto& [field, value] : fields)
        table.setValue(field, value);
    table.post();
}
