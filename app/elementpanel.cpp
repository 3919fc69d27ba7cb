// The element kind panel: which inputs each kind of object shows, and what they are called.
#include "tform1.h"

#include "sceneschema.h"

void TForm1::RadioGroup1Click()
{
    // The common layout first.
    Label2->setText(QStringLiteral("X"));
    Label3->setText(QStringLiteral("Y"));
    Label4->show();
    for (QWidget* w : {Label10, Label11, Label12, Label13, Label15, Label16, Label17})
        w->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{Label18, Label6, Label7, Label8, Label19,
                                                      CheckBox1, CheckBox3, CheckBox4, CheckBox5,
                                                      CheckBox6, CheckBox7, RadioGroup2})
        w->show();

    switch (RadioGroup1->itemIndex()) {
    case ElementKind::Esfera:
        Label10->setText(QStringLiteral("Raio"));
        Label10->show();
        break;
    case ElementKind::Capsula:
        Label10->setText(QStringLiteral("Raio"));
        Label11->setText(QStringLiteral("Compr"));
        Label10->show();
        Label11->show();
        break;
    case ElementKind::Cubo:
        Label10->setText(QStringLiteral("Lx"));
        Label11->setText(QStringLiteral("Ly"));
        Label12->setText(QStringLiteral("Lz"));
        for (QWidget* w : {Label10, Label11, Label12})
            w->show();
        break;
    case ElementKind::Plano:
        Label2->setText(QStringLiteral("TamU"));
        Label3->setText(QStringLiteral("TamV"));
        Label10->setText(QStringLiteral("a"));
        Label11->setText(QStringLiteral("b"));
        Label12->setText(QStringLiteral("c"));
        Label13->setText(QStringLiteral("d"));
        for (QWidget* w : {Label10, Label11, Label12, Label13})
            w->show();
        for (QWidget* w : std::initializer_list<QWidget*>{
                 Label18, Label6, Label7, Label8, Label19, Label4, CheckBox1, CheckBox3, CheckBox4,
                 CheckBox5, CheckBox6, CheckBox7, RadioGroup2})
            w->hide();
        break;
    case ElementKind::Arquivo:
        for (QWidget* w : {Label15, Label16, Label17})
            w->show();
        break;
    default:
        break;
    }

    // Each edit follows its label.
    const std::pair<QWidget*, QLabel*> pairs[] = {
        {Edit4, Label4},   {Edit5, Label6},   {Edit6, Label7},   {Edit7, Label8},
        {Edit8, Label10},  {Edit9, Label11},  {Edit10, Label12}, {Edit11, Label13},
        {Edit12, Label15}, {Edit13, Label16}, {Edit14, Label17}, {Edit15, Label18},
        {Edit16, Label19}};
    for (const auto& [edit, label] : pairs)
        edit->setVisible(!label->isHidden());
}
