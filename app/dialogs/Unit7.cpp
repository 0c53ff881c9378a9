#include "Unit7.h"

#include "ui_Unit7.h"

TForm7 *Form7 = nullptr;

TForm7::TForm7(QWidget *owner) : ModalForm(owner), ui(new Ui::TForm7)
{
    Form7 = this;
    ui->setupUi(this);
    setModalResult(ui->Button1, mrOk);
    setModalResult(ui->Button2, mrCancel);
    setCancelButton(ui->Button2);
    FormCreate();
    SetLevel(1);
}

TForm7::~TForm7()
{
    delete ui;
    if (Form7 == this)
        Form7 = nullptr;
}

QRadioButton *TForm7::RadioButton1() const
{
    return ui->RadioButton1;
}
QRadioButton *TForm7::RadioButton2() const
{
    return ui->RadioButton2;
}
QRadioButton *TForm7::RadioButton3() const
{
    return ui->RadioButton3;
}

int TForm7::Level() const
{
    if (ui->RadioButton1->isChecked())
        return 0;
    return ui->RadioButton3->isChecked() ? 2 : 1;
}

void TForm7::SetLevel(int level)
{
    QRadioButton *button = level == 0   ? ui->RadioButton1
                           : level == 2 ? ui->RadioButton3
                                        : ui->RadioButton2;
    button->setChecked(true);
    // The keyboard starts on the choice, and the arrow keys move it.
    button->setFocus();
}

void TForm7::FormCreate()
{
    setWindowTitle(QStringLiteral("Gegen den Computer"));
    ui->RadioButton1->setText(QStringLiteral("Leicht"));
    ui->RadioButton2->setText(QStringLiteral("Mittel"));
    ui->RadioButton3->setText(QStringLiteral("Stark"));
    ui->Button1->setText(QStringLiteral("Okay"));
    ui->Button2->setText(QStringLiteral("Abbrechen"));
}
