// Saves two large scenes in turn over the same file until it is killed: the victim of the
// write-fault test. usage: savechild PATH RECORDS; the scenes hold RECORDS records named "novo"
// and RECORDS / 2 records named "outro".
#include "recordtable.h"
#include "sceneschema.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc != 3)
        return 2;
    const int count = QByteArray(argv[2]).toInt();
    RecordTable scenes[2];
    for (int s = 0; s < 2; ++s) {
        defineSceneFields(scenes[s]);
        scenes[s].createDataSet();
        for (int i = 0; i < (s == 0 ? count : count / 2); ++i) {
            scenes[s].insert();
            scenes[s]
                .field(SceneField::Nome)
                .setAsString(s == 0 ? QStringLiteral("novo") : QStringLiteral("outro"));
            scenes[s].field(SceneField::ID).setAsInteger(i);
            scenes[s].field(SceneField::X).setAsFloat(i * 0.1);
            scenes[s].post();
        }
    }
    std::puts("ready");
    std::fflush(stdout);
    const QString path = QString::fromLocal8Bit(argv[1]);
    for (int turn = 0;; turn = 1 - turn)
        scenes[turn].saveAs(path);
}
