#pragma once

// Fields of the record being edited, written as "Nome=Bola ODETipo=0 Dim1=0.5": a text that reads
// as a number is stored as one, any other as text. Fields not named keep what they had.
#include "recordtable.h"

#include <QString>

inline void setFieldsFromText(RecordTable& table, const QString& fields)
{
    for (const QString& item : fields.split(' ', Qt::SkipEmptyParts)) {
        const QString text = item.section('=', 1);
        bool isNumber = false;
        const double number = text.toDouble(&isNumber);
        table.setValue(table.findField(item.section('=', 0, 0)),
                       isNumber ? FieldValue(number) : FieldValue(text));
    }
}
