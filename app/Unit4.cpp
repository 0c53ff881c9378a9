#include "Unit4.h"

#include "ui_Unit4.h"

TForm4 *Form4 = nullptr;

TForm4::TForm4(QWidget *owner) : ModalForm(owner), ui(new Ui::TForm4)
{
    Form4 = this;
    ui->setupUi(this);
    // No cancel button: Escape does nothing, the close box still ends the dialog.
    setModalResult(ui->Button1, mrOk);
    FormCreate();
}

TForm4::~TForm4()
{
    delete ui;
    if (Form4 == this)
        Form4 = nullptr;
}

QLineEdit *TForm4::Edit1() const
{
    return ui->Edit1;
}

void TForm4::FormCreate()
{
    setWindowTitle(QStringLiteral("Name"));
    ui->Label1->setText(QStringLiteral("Bitte gib deinen Namen ein:"));
    ui->Edit1->setText(QStringLiteral("Spieler"));
    ui->Button1->setText(QStringLiteral("Okay"));
    ui->Edit1->selectAll();
}
