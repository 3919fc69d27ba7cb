#pragma once

// What the physics preview's benchmarks share: records appended with only the fields a body needs.
#include "recordtable.h"
#include "sceneschema.h"

#include <initializer_list>
#include <utility>

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
