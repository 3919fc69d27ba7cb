#include "tform1.h"

#include "datasource.h"
#include "error.h"
#include "recordtable.h"
#include "sceneschema.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QTableView>

TForm1::TForm1(const QString& exeDir, QWidget* parent)
    : QMainWindow(parent), ClientDataSet1(new RecordTable(this)),
      DataSource1(new DataSource(ClientDataSet1, this)), DBGrid1(new QTableView(this)),
      m_exeDir(exeDir)
{
    setWindowTitle(QStringLiteral("Form1"));
    DBGrid1->setModel(DataSource1);
    setCentralWidget(DBGrid1);
    resize(1058, 654);
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate()
{
    createSceneTable(*ClientDataSet1, m_exeDir);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    try {
        ClientDataSet1->close();
        event->accept();
    } catch (const Error& error) {
        QMessageBox::critical(this, QStringLiteral("Tavirel"), error.message());
        event->ignore();
    }
}
