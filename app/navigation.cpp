// The record navigator: moving the current-record number and loading the record into the panel.
#include "tform1.h"

#include "localenumbers.h"
#include "recordtable.h"
#include "sceneschema.h"

#include <algorithm>

void TForm1::DBNavigator1Click(DBNavigator::Button button)
{
    const int count = ClientDataSet1->recordCount();
    int number = m_currentRecord;
    switch (button) {
    case DBNavigator::Next:
        number += 1;
        break;
    case DBNavigator::Prior:
        number -= 1;
        break;
    case DBNavigator::First:
        number = 1;
        break;
    case DBNavigator::Last:
        number = count;
        break;
    case DBNavigator::Delete:
        break; // the same place, now holding the next record
    }
    showRecord(number);
}

// Makes record `number`, kept inside the table, the current one and loads it into the panel.
void TForm1::showRecord(int number)
{
    RecordTable& table = *ClientDataSet1;
    Shape1->setBrushColor(Qt::white);
    const int count = table.recordCount();
    setCurrentRecordNumber(std::clamp(number, std::min(1, count), count));
    table.setRecordNumber(m_currentRecord);
    if (count > 0)
        loadRecord();
    TrackBar1Change();
}

void TForm1::loadRecord()
{
    RecordTable& table = *ClientDataSet1;
    auto showFloat = [&](QLineEdit* edit, int field) {
        edit->setText(formatFloat(table.field(field).asFloat()));
    };
    Edit1->setText(table.field(SceneField::Nome).asString());
    const bool plane = table.field(SceneField::ODETipo).asInteger() == ElementKind::Plano;
    // A plane's "TamU"/"TamV" edits show its size, which is what editing writes back.
    showFloat(Edit2, plane ? SceneField::SX : SceneField::X);
    showFloat(Edit3, plane ? SceneField::SY : SceneField::Y);
    showFloat(Edit4, SceneField::Z);
    CheckBox6->setChecked(table.field(SceneField::UserMove).asBoolean());
    CheckBox8->setChecked(table.field(SceneField::MoveX).asBoolean());
    CheckBox9->setChecked(table.field(SceneField::MoveY).asBoolean());
    CheckBox10->setChecked(table.field(SceneField::MoveZ).asBoolean());
    CheckBox1->setChecked(table.field(SceneField::ODEMove).asBoolean());
    RadioGroup1->setItemIndex(table.field(SceneField::ODETipo).asInteger());
    showFloat(Edit15, SceneField::Massa);
    showFloat(Edit16, SceneField::Ang);
    showFloat(Edit5, SceneField::EixoX);
    showFloat(Edit6, SceneField::EixoY);
    showFloat(Edit7, SceneField::EixoZ);
    showFloat(Edit12, table.fieldByName(QStringLiteral("Sx")).index());
    showFloat(Edit13, table.fieldByName(QStringLiteral("Sy")).index());
    showFloat(Edit14, table.fieldByName(QStringLiteral("Sz")).index());
    CheckBox7->setChecked(table.field(SceneField::TemGravidade).asBoolean());
    showFloat(Edit17, SceneField::Atrito);
    CheckBox2->setChecked(table.field(SceneField::UsaCor).asBoolean());
    if (table.field(SceneField::UsaCor).asBoolean()) {
        auto channel = [&](int field) {
            return std::clamp(table.field(field).asInteger(), 0, 255);
        };
        Shape1->setBrushColor(
            QColor(channel(SceneField::R), channel(SceneField::G), channel(SceneField::B)));
        TrackBar1->setValue(table.field(SceneField::A).asInteger());
    }
    showFloat(Edit8, SceneField::Dim1);
    showFloat(Edit9, SceneField::Dim2);
    showFloat(Edit10, SceneField::Dim3);
    showFloat(Edit11, SceneField::Dim4);
}
