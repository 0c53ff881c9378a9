#include "Unit2.h"

#include "ui_Unit2.h"

TForm2 *Form2 = nullptr;

TForm2::TForm2(QWidget *owner) : ModalForm(owner), ui(new Ui::TForm2)
{
    Form2 = this;
    ui->setupUi(this);
    setModalResult(ui->Button1, mrOk);
    setModalResult(ui->Button2, mrCancel);
    setCancelButton(ui->Button2);
    FormCreate();
}

TForm2::~TForm2()
{
    delete ui;
    if (Form2 == this)
        Form2 = nullptr;
}

QLineEdit *TForm2::Edit1() const
{
    return ui->Edit1;
}
TNumberEdit *TForm2::NumberEdit1() const
{
    return ui->NumberEdit1;
}

void TForm2::FormCreate()
{
    setWindowTitle(QStringLiteral("Verbinden..."));
    ui->Label1->setText(QStringLiteral("Addresse:"));
    ui->Label2->setText(QStringLiteral("Port:"));
    ui->Button1->setText(QStringLiteral("Okay"));
    ui->Button2->setText(QStringLiteral("Abbrechen"));
}
