#include "benchscene.h"

#include "recordtable.h"
#include "sceneschema.h"

#include <cstdint>

namespace {

// Repeatable numbers in [low, high).
class Numbers
{
public:
    double next(double low, double high)
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return low + (high - low) * double(m_state >> 11) / double(1ULL << 53);
    }

private:
    std::uint64_t m_state = 42;
};

} // namespace

void fillBenchScene(RecordTable& table, int count)
{
    Numbers n;
    for (int i = 0; i < count; ++i) {
        table.insert();
        const int kind = i % 4;
        table.setValue(SceneField::ODETipo, qint32(kind));
        table.setValue(SceneField::X, n.next(-8, 8));
        table.setValue(SceneField::Y, n.next(-8, 8));
        table.setValue(SceneField::Z, n.next(-4, 4));
        table.setValue(SceneField::SX, kind == ElementKind::Plano ? n.next(2, 4) : 1.0);
        table.setValue(SceneField::SY, kind == ElementKind::Plano ? n.next(2, 4) : 1.0);
        table.setValue(SceneField::SZ, 1.0);
        table.setValue(SceneField::Ang, n.next(0, 90));
        table.setValue(SceneField::EixoX, n.next(0, 1));
        table.setValue(SceneField::EixoY, n.next(0, 1));
        table.setValue(SceneField::EixoZ, 1.0);
        table.setValue(SceneField::Dim1,
                       kind == ElementKind::Plano ? n.next(-0.3, 0.3) : n.next(0.3, 1.2));
        table.setValue(SceneField::Dim2,
                       kind == ElementKind::Plano ? n.next(-0.3, 0.3) : n.next(0.5, 2));
        table.setValue(SceneField::Dim3, kind == ElementKind::Plano ? 1.0 : n.next(0.5, 1.5));
        table.setValue(SceneField::Dim4, n.next(-3, 3));
        table.setValue(SceneField::R, n.next(0, 256));
        table.setValue(SceneField::G, n.next(0, 256));
        table.setValue(SceneField::B, n.next(0, 256));
        table.setValue(SceneField::A, kind == ElementKind::Esfera && i % 16 == 0 ? 128.0 : 0.0);
        table.setValue(SceneField::UsaCor, i % 3 == 0);
        table.post();
    }
}
