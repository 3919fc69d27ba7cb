// Feeds arbitrary bytes to the scene packet reader. Whatever it accepts must write back and read
// again to the same records: a packet that reads but does not survive a save is a fault too.
#include "datapacket.h"
#include "error.h"
#include "recordtable.h"
#include "sceneschema.h"

#include <cstdint>
#include <cstdlib>

namespace {

const std::vector<FieldDef>& sceneFields()
{
    static const std::vector<FieldDef> fields = [] {
        RecordTable table;
        defineSceneFields(table);
        return table.fields();
    }();
    return fields;
}

bool sameRecords(const std::vector<Record>& a, const std::vector<Record>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t r = 0; r < a.size(); ++r)
        for (size_t f = 0; f < a[r].size(); ++f)
            if (!(a[r][f] == b[r][f]))
                return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    std::vector<Record> records;
    try {
        records = readDataPacket(bytes, sceneFields());
    } catch (const TableError&) {
        return 0; // refused with a reason: fine
    }
    const QByteArray written = writeDataPacket(sceneFields(), records);
    if (!sameRecords(records, readDataPacket(written, sceneFields())))
        std::abort();
    return 0;
}
