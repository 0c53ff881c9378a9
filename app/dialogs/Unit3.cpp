#include "Unit3.h"

#include "ui_Unit3.h"

TForm3 *Form3 = nullptr;

TForm3::TForm3(QWidget *owner) : ModalForm(owner), ui(new Ui::TForm3)
{
    Form3 = this;
    ui->setupUi(this);
    setModalResult(ui->Button1, mrOk);
    setModalResult(ui->Button2, mrCancel);
    setCancelButton(ui->Button2);
    FormCreate();
}

TForm3::~TForm3()
{
    delete ui;
    if (Form3 == this)
        Form3 = nullptr;
}

TNumberEdit *TForm3::NumberEdit1() const
{
    return ui->NumberEdit1;
}

void TForm3::FormCreate()
{
    setWindowTitle(QStringLiteral("Hören"));
    ui->Label2->setText(QStringLiteral("Senden:"));
    ui->Button1->setText(QStringLiteral("Okay"));
    ui->Button2->setText(QStringLiteral("Abbrechen"));
}
