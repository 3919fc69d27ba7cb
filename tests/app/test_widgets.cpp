// The window's own widgets: the spin button's repeat, the radio group's index, the navigator.
#include "application.h"
#include "datasource.h"
#include "dbnavigator.h"
#include "radiogroup.h"
#include "recordtable.h"
#include "sceneschema.h"
#include "spinbutton.h"

#include <QElapsedTimer>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

class TestWidgets : public QObject
{
    Q_OBJECT

private slots:
    void spinButton_clickStepsOnce();
    void spinButton_heldRepeatsAfter400msThenEvery100ms();
    void radioGroup_indexIncludesNoneAndIsClamped();
    void radioGroup_reportsEveryChangeButNotTheSameChoice();
    void navigator_isEnabledOnlyWithRecords();
    void qtDialogs_speakPortugueseUnderAPortugueseLocale();
};

void TestWidgets::spinButton_clickStepsOnce()
{
    SpinButton spin;
    spin.resize(20, 41);
    QSignalSpy up(&spin, &SpinButton::upClick);
    QSignalSpy down(&spin, &SpinButton::downClick);
    QTest::mouseClick(spin.upButton(), Qt::LeftButton);
    QTest::mouseClick(spin.downButton(), Qt::LeftButton);
    QTest::mouseClick(spin.downButton(), Qt::LeftButton);
    QCOMPARE(up.count(), 1);
    QCOMPARE(down.count(), 2);
}

// Lower bounds only: a busy machine may repeat later, never sooner.
void TestWidgets::spinButton_heldRepeatsAfter400msThenEvery100ms()
{
    SpinButton spin;
    spin.resize(20, 41);
    spin.show();
    QVERIFY(QTest::qWaitForWindowExposed(&spin));
    QList<qint64> stepTimes;
    QElapsedTimer clock;
    connect(&spin, &SpinButton::upClick, [&] { stepTimes << clock.elapsed(); });
    clock.start();
    QTest::mousePress(spin.upButton(), Qt::LeftButton);
    QCOMPARE(stepTimes.size(), 1); // the press itself
    QTest::qWait(250);
    QCOMPARE(stepTimes.size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(stepTimes.size() >= 4, 5000);
    QTest::mouseRelease(spin.upButton(), Qt::LeftButton);
    const int held = int(stepTimes.size());
    QTest::qWait(300);
    QCOMPARE(stepTimes.size(), held); // the release adds no step and the repeat stops

    QVERIFY2(stepTimes[1] >= 380, qPrintable(QString::number(stepTimes[1])));
    for (int i = 2; i < stepTimes.size(); ++i)
        QVERIFY2(stepTimes[i] - stepTimes[i - 1] >= 90,
                 qPrintable(QString::number(stepTimes[i] - stepTimes[i - 1])));
}

void TestWidgets::radioGroup_indexIncludesNoneAndIsClamped()
{
    RadioGroup group;
    group.setItemIndex(2); // before the items exist: nothing to select
    QCOMPARE(group.itemIndex(), -1);
    group.setItems({"a", "b", "c"});
    group.setItemIndex(1);
    const auto buttons = group.findChildren<QRadioButton*>();
    QCOMPARE(buttons.size(), 3);
    QVERIFY(buttons[1]->isChecked());
    group.setItemIndex(-1);
    QCOMPARE(group.itemIndex(), -1);
    for (QRadioButton* button : buttons)
        QVERIFY(!button->isChecked());
    group.setItemIndex(7);
    QCOMPARE(group.itemIndex(), 2);
    group.setItemIndex(-5);
    QCOMPARE(group.itemIndex(), -1);
}

void TestWidgets::radioGroup_reportsEveryChangeButNotTheSameChoice()
{
    RadioGroup group;
    group.setItems({"a", "b"});
    group.resize(200, 80);
    group.show();
    QVERIFY(QTest::qWaitForWindowExposed(&group));
    QSignalSpy clicked(&group, &RadioGroup::clicked);
    group.setItemIndex(0);
    QCOMPARE(clicked.count(), 1);
    const auto buttons = group.findChildren<QRadioButton*>();
    QTest::mouseClick(buttons[1], Qt::LeftButton, {}, QPoint(8, buttons[1]->height() / 2));
    QCOMPARE(group.itemIndex(), 1);
    QCOMPARE(clicked.count(), 2);
    QTest::mouseClick(buttons[1], Qt::LeftButton, {},
                      QPoint(8, buttons[1]->height() / 2)); // the chosen one again
    QCOMPARE(clicked.count(), 2);
    QVERIFY(buttons[1]->isChecked());
    QVERIFY(!buttons[0]->isChecked());
}

void TestWidgets::navigator_isEnabledOnlyWithRecords()
{
    RecordTable table;
    defineSceneFields(table);
    DataSource source(&table);
    DBNavigator navigator;
    navigator.setDataSource(&source);
    QVERIFY(!navigator.button(DBNavigator::Next)->isEnabled());
    table.createDataSet();
    QVERIFY(!navigator.button(DBNavigator::Delete)->isEnabled());
    table.insert();
    table.field(SceneField::Nome).setAsString("a");
    table.post();
    QVERIFY(navigator.button(DBNavigator::Delete)->isEnabled());
    QSignalSpy clicked(&navigator, &DBNavigator::clicked);
    navigator.click(DBNavigator::First);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked[0][0].value<DBNavigator::Button>(), DBNavigator::First);
}

void TestWidgets::qtDialogs_speakPortugueseUnderAPortugueseLocale()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    auto* application = static_cast<Application*>(QCoreApplication::instance());
    QVERIFY(application->installQtTranslations());
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Cancelar"));
    QCOMPARE(QCoreApplication::translate("QFileDialog", "File &name:"),
             QString("&Nome do arquivo:"));
    QLocale::setDefault(QLocale::c());
}

int main(int argc, char* argv[])
{
    Application application(argc, argv);
    TestWidgets test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_widgets.moc"
