#pragma once

#include <QMainWindow>

class DataSource;
class QTableView;
class RecordTable;

// The editor window.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    explicit TForm1(const QString& exeDir, QWidget* parent = nullptr);
    ~TForm1() override;

    RecordTable* ClientDataSet1;
    DataSource* DataSource1;
    QTableView* DBGrid1;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();

    QString m_exeDir;
};
