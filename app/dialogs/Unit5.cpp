#include "Unit5.h"

#include "ui_Unit5.h"

TForm5 *Form5 = nullptr;

TForm5::TForm5(QWidget *owner) : ModalForm(owner), ui(new Ui::TForm5)
{
    Form5 = this;
    ui->setupUi(this);
    setModalResult(ui->Button1, mrOk);
    setModalResult(ui->Button2, mrCancel);
    setCancelButton(ui->Button2);
    FormCreate();
}

TForm5::~TForm5()
{
    delete ui;
    if (Form5 == this)
        Form5 = nullptr;
}

QLabel *TForm5::Label1() const
{
    return ui->Label1;
}

void TForm5::FormCreate()
{
    setWindowTitle(QStringLiteral("Nochmal spielen"));
    ui->Button1->setText(QStringLiteral("Nochmal spielen"));
    ui->Button2->setText(QStringLiteral("Verbindung trennen"));
}
